// The bundled demo built by qmdtool and walked through by the real player, headless, with the
// events of tests/tools/demo/events.txt: every screenshot is compared with its golden picture
// in tests/tools/golden/demo/ and the JSON lines with tests/tools/demo/expected.jsonl.
//
// expected.jsonl holds one line for every line the run prints, in order. An expected line may
// leave keys out (a "state" line names only the variables it cares about), and its "objects"
// may be an object from object names to the fields that matter. A failed run is left in
// build/demo-play/<process id>/; QLM_UPDATE_GOLDEN=1 rewrites the pictures.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/GoldenImage.h"
#include "tools/QmdTool.h"

namespace qlm {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (!line.empty())
      lines.push_back(line);
  }
  return lines;
}

std::string ShellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s)
    out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// Where `actual` differs from the parts of it that `expected` names; empty when it does not.
// Expected objects name a subset of the keys; an expected object against an actual list of
// objects names list entries by their "name".
std::string Mismatch(const json& expected, const json& actual, const std::string& where = "") {
  if (expected.is_object() && actual.is_array()) {
    for (const auto& [name, want] : expected.items()) {
      const auto found = std::find_if(actual.begin(), actual.end(), [&](const json& entry) {
        return entry.is_object() && entry.value("name", json()) == name;
      });
      if (found == actual.end())
        return where + "[" + name + "]: no entry of that name";
      if (std::string m = Mismatch(want, *found, where + "[" + name + "]"); !m.empty())
        return m;
    }
    return {};
  }
  if (expected.is_object() && actual.is_object()) {
    for (const auto& [key, want] : expected.items()) {
      if (!actual.contains(key))
        return where + "/" + key + ": missing";
      if (std::string m = Mismatch(want, actual[key], where + "/" + key); !m.empty())
        return m;
    }
    return {};
  }
  if (expected != actual)
    return where + ": expected " + expected.dump() + ", got " + actual.dump();
  return {};
}

TEST(DemoExpectedLines, NamedPartsMustMatch) {
  const json actual = json::parse(R"({"event":"state","vars":{"a":1,"b":"x"},
      "objects":[{"name":"One","hidden":false,"text":"1"},{"name":"Two","hidden":true}]})");
  struct Case {
    const char* expected;
    bool matches;
  };
  const Case cases[] = {
      {R"({"event":"state"})", true},
      {R"({"vars":{"b":"x"},"objects":{"Two":{"hidden":true}}})", true},
      {R"({"event":"page"})", false},
      {R"({"vars":{"a":2}})", false},
      {R"({"vars":{"c":1}})", false},
      {R"({"vars":{"a":"1"}})", false},
      {R"({"objects":{"Three":{}}})", false},
      {R"({"objects":{"One":{"hidden":true}}})", false},
      {R"({"objects":[{"name":"One"}]})", false},  // a list must be equal as a whole
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Mismatch(json::parse(c.expected), actual).empty(), c.matches) << c.expected;
  }
}

const fs::path kCaseDir = fs::path(QLM_SOURCE_DIR) / "tests/tools/demo";
const fs::path kGoldenDir = fs::path(QLM_SOURCE_DIR) / "tests/tools/golden/demo";

// The screenshot files the events take, in order.
std::vector<std::string> Screenshots() {
  std::vector<std::string> names;
  for (const std::string& line : Lines(ReadText(kCaseDir / "events.txt"))) {
    if (line.starts_with("screenshot "))
      names.push_back(line.substr(11));
  }
  return names;
}

class DemoPlayThrough : public ::testing::Test {
 protected:
  // One run for every test of the suite: build the demo, play the events in a private folder.
  static void SetUpTestSuite() {
    // One folder a process: ctest runs the tests of the suite side by side.
    root_ = fs::path(QLM_BINARY_DIR) / "demo-play" / std::to_string(::getpid());
    fs::remove_all(root_);
    for (const char* d : {"run", "tmp", "data", "config", "home", "profile"})
      fs::create_directories(root_ / d);

    std::ostringstream out;
    std::ostringstream err;
    const fs::path demo = fs::path(QLM_SOURCE_DIR) / "examples/demo";
    // The demo's video and HTML help lie beside the document, as on a disc.
    for (const char* folder : {"media", "help"})
      fs::copy(demo / folder, root_ / folder, fs::copy_options::recursive);
    buildCode_ = RunQmdTool({"build", demo.string(), "-o", (root_ / "demo.qmd").string()}, out, err,
                            ToolEnvironment{});
    buildMessages_ = err.str();
    if (buildCode_ != kToolOk)
      return;

#ifdef QLMPLAYER_PATH
    // A fixed clock and seed make the clock texts the same on every run.
    const std::string r = root_.string();
    const std::string command =
        "cd " + ShellQuote(r) +
        " && env -u DISPLAY -u WAYLAND_DISPLAY HOME=" + ShellQuote(r + "/home") +
        " XDG_RUNTIME_DIR=" + ShellQuote(r + "/run") + " TMPDIR=" + ShellQuote(r + "/tmp") +
        " XDG_DATA_HOME=" + ShellQuote(r + "/data") +
        " XDG_CONFIG_HOME=" + ShellQuote(r + "/config") + " " + ShellQuote(QLMPLAYER_PATH) +
        " --headless --profile-dir profile --start-time 2024-03-15T09:41:00 --seed 7 --events " +
        ShellQuote((kCaseDir / "events.txt").string()) +
        " demo.qmd >out.jsonl 2>out.err </dev/null";
    const int status = std::system(command.c_str());
    playerStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  }

  // The run stays for a look when a test failed.
  static void TearDownTestSuite() {
    const ::testing::TestSuite* suite = ::testing::UnitTest::GetInstance()->current_test_suite();
    if (suite && suite->Passed()) {
      std::error_code ec;
      fs::remove_all(root_, ec);
      fs::remove(root_.parent_path(), ec);  // only when no other run is left in it
    }
  }

  void SetUp() override {
#ifndef QLMPLAYER_PATH
    GTEST_SKIP() << "qlmplayer is not part of this build";
#endif
    ASSERT_EQ(buildCode_, kToolOk) << buildMessages_;
    EXPECT_EQ(buildMessages_, "");
    ASSERT_EQ(playerStatus_, 0) << ReadText(root_ / "out.err");
  }

  static fs::path root_;
  static int buildCode_;
  static std::string buildMessages_;
  static int playerStatus_;
};

fs::path DemoPlayThrough::root_;
int DemoPlayThrough::buildCode_ = -1;
std::string DemoPlayThrough::buildMessages_;
int DemoPlayThrough::playerStatus_ = -1;

TEST_F(DemoPlayThrough, PrintsTheExpectedLinesInOrder) {
  EXPECT_EQ(ReadText(root_ / "out.err"), "");
  const std::vector<std::string> actual = Lines(ReadText(root_ / "out.jsonl"));
  const std::vector<std::string> expected = Lines(ReadText(kCaseDir / "expected.jsonl"));
  const std::string where = "\n  output: " + (root_ / "out.jsonl").string();
  for (size_t i = 0; i < std::min(actual.size(), expected.size()); ++i) {
    const json got = json::parse(actual[i], nullptr, false);
    ASSERT_FALSE(got.is_discarded()) << "line " << i + 1 << " is not JSON: " << actual[i];
    const json want = json::parse(expected[i]);
    const std::string m = want.value("event", json()) != got.value("event", json())
                              ? "expected the line " + expected[i]
                              : Mismatch(want, got);
    // Past the first difference the lines no longer pair up.
    ASSERT_EQ(m, "") << "line " << i + 1 << ": " << actual[i].substr(0, 300) << where;
  }
  if (actual.size() > expected.size())
    ADD_FAILURE() << "an unexpected line " << expected.size() + 1 << ": "
                  << actual[expected.size()].substr(0, 300) << where;
  if (actual.size() < expected.size())
    ADD_FAILURE() << "the run ended before " << expected[actual.size()] << where;
}

TEST_F(DemoPlayThrough, EveryScreenshotMatchesItsGolden) {
  const std::vector<std::string> shots = Screenshots();
  ASSERT_FALSE(shots.empty());
  for (const std::string& shot : shots) {
    SCOPED_TRACE(shot);
    const std::optional<Surface> picture = test::ReadPng(root_ / shot);
    ASSERT_TRUE(picture) << "no screenshot " << (root_ / shot).string();
    EXPECT_EQ(picture->Width(), 640);
    EXPECT_EQ(picture->Height(), 480);
    EXPECT_TRUE(test::MatchesGoldenFile(*picture, kGoldenDir / shot,
                                        "demo/" + fs::path(shot).stem().string()));
  }
  // A golden picture that no screenshot is compared with is left over from an older walk.
  const std::set<std::string> taken(shots.begin(), shots.end());
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(kGoldenDir, ec)) {
    EXPECT_TRUE(taken.contains(entry.path().filename().string()))
        << entry.path().string() << " is not taken by " << (kCaseDir / "events.txt").string();
  }
}

}  // namespace
}  // namespace qlm
