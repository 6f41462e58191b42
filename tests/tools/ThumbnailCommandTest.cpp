#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "document/ProjectWriter.h"
#include "graphics/ImageCodec.h"
#include "support/ShellCommand.h"
#include "support/TestFolder.h"

namespace qlm {
namespace {

namespace fs = std::filesystem;

struct ToolRun {
  int status = -1;
  std::vector<nlohmann::json> lines;
};

class ThumbnailCommandTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ = test::MakeTestFolder("qlm_thumbs");
    fs::create_directories(root_ / "pile" / "disc");
    fs::create_directories(root_ / "home");
    Project project;
    project.settings.clientWidth = 320;
    project.settings.clientHeight = 200;
    const std::vector<uint8_t> bytes = WriteProject(project, 29);
    Write("pile/disc/Show.qmd", bytes);
    Write("pile/cut.qmd", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 40));
  }
  void TearDown() override { fs::remove_all(root_); }

  void Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::ofstream(root_ / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }

  ToolRun Thumbnails(const std::string& options, const std::string& inputs = "") {
    const std::string home = (root_ / "home").string();
    const std::string command = "HOME='" + home + "' XDG_DATA_HOME='" + home +
                                "' XDG_CONFIG_HOME='" + home + "' " + QMDTOOL_PATH +
                                " thumbnails --json " +
                                (inputs.empty() ? "'" + (root_ / "pile").string() + "'" : inputs) +
                                " -o '" + (root_ / "out").string() + "' " + options;
    const test::ShellOutput output = test::RunShellCommand(command);
    ToolRun run;
    run.status = output.status;
    std::istringstream lines(output.text);
    for (std::string line; std::getline(lines, line);)
      run.lines.push_back(nlohmann::json::parse(line));
    return run;
  }

  fs::path root_;
};

#ifdef QLMPLAYER_PATH
TEST_F(ThumbnailCommandTest, WritesTheFirstFrameOfEveryPresentationThatPlays) {
  const ToolRun run = Thumbnails("--jobs 2 --mount 'D=" + (root_ / "pile").string() +
                                 ":cdrom' --player '" + std::string(QLMPLAYER_PATH) + "'");
  EXPECT_EQ(run.status, 1);  // the cut document gives no picture
  ASSERT_EQ(run.lines.size(), 3u);
  EXPECT_EQ(run.lines[0]["ok"], false);
  // The reader's message box, as the player showed it.
  EXPECT_NE(run.lines[0]["error"].get<std::string>().find("cut.qmd"), std::string::npos)
      << run.lines[0]["error"];
  EXPECT_EQ(run.lines[1]["ok"], true);
  const fs::path png = root_ / "out" / "disc" / "Show.qmd.png";
  EXPECT_EQ(run.lines[1]["png"], png.string());
  std::ifstream in(png, std::ios::binary);
  char signature[8] = {};
  in.read(signature, 8);
  EXPECT_EQ(std::string(signature + 1, 3), "PNG");
  EXPECT_EQ(run.lines[2]["summary"]["written"], 1);
  EXPECT_EQ(run.lines[2]["summary"]["failed"], 1);
  EXPECT_FALSE(fs::exists(root_ / "out" / "cut.qmd.png"));
}
#endif

// A player that never finishes is ended at the time limit and the rest still run.
TEST_F(ThumbnailCommandTest, APlayerThatHangsIsEndedAtTheTimeLimit) {
  const fs::path player = root_ / "hanging-player";
  std::ofstream(player) << "#!/bin/sh\nsleep 60\n";
  fs::permissions(player, fs::perms::owner_all);
  const auto start = std::chrono::steady_clock::now();
  const ToolRun run = Thumbnails("--timeout 1 --player '" + player.string() + "'");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_EQ(run.status, 1);
  ASSERT_EQ(run.lines.size(), 3u);
  for (size_t i = 0; i < 2; ++i)
    EXPECT_EQ(run.lines[i]["error"], "no first frame within the time limit");
}

// Files of one name named together each keep their own picture; the picture's flags say when it
// is one colour and when the player ended at the time limit.
TEST_F(ThumbnailCommandTest, SameNamesKeepTheirPicturesAndFlagsAreReported) {
  const std::vector<uint8_t> show = WriteProject(Project(), 29);
  for (const char* disc : {"a", "b", "c"}) {
    fs::create_directories(root_ / disc);
    Write(std::string(disc) + "/show.qmd", show);
  }
  // A stand-in player: a two-colour picture, except for "b" (one colour) and "c" (ended by its
  // time limit, status 3, with the frame it had).
  Write("two.png", EncodePng(Image24{2, 1, {1, 2, 3, 4, 5, 6}}));
  Write("one.png", EncodePng(Image24{2, 1, {7, 7, 7, 7, 7, 7}}));
  const fs::path player = root_ / "player";
  std::ofstream(player) << "#!/bin/sh\nwhile [ \"$1\" != --screenshot ]; do shift; done\n"
                        << "case \"$4\" in */b/*) cp '" << (root_ / "one.png").string()
                        << "' \"$2\";; */c/*) cp '" << (root_ / "two.png").string()
                        << "' \"$2\"; exit 3;; *) cp '" << (root_ / "two.png").string()
                        << "' \"$2\";; esac\n";
  fs::permissions(player, fs::perms::owner_all);
  const std::string inputs = "'" + (root_ / "a" / "show.qmd").string() + "' '" +
                             (root_ / "b" / "show.qmd").string() + "' '" +
                             (root_ / "c" / "show.qmd").string() + "'";
  const ToolRun run = Thumbnails("--player '" + player.string() + "'", inputs);
  EXPECT_EQ(run.status, 0);
  ASSERT_EQ(run.lines.size(), 4u);
  const struct {
    const char* png;
    bool blank;
    bool timedOut;
  } expected[] = {{"show.qmd.png", false, false},
                  {"show.qmd.2.png", true, false},
                  {"show.qmd.3.png", false, true}};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(run.lines[i]["png"], (root_ / "out" / expected[i].png).string());
    EXPECT_TRUE(fs::is_regular_file(root_ / "out" / expected[i].png)) << expected[i].png;
    EXPECT_EQ(run.lines[i]["blank"], expected[i].blank) << run.lines[i];
    EXPECT_EQ(run.lines[i]["timedOut"], expected[i].timedOut) << run.lines[i];
  }
  EXPECT_EQ(run.lines[3]["summary"]["blank"], 1);
}

}  // namespace
}  // namespace qlm
