// Plays every folder under tests/e2e/cases through the real qlmplayer binary.
//
// A case folder holds:
//   project.txt     the project (see ProjectText.h), written as project.qmd; optional
//   args            the player's arguments after --headless, one a line; "{project}" stands for
//                   the written project, "{dir}" for the case's sandbox folder
//   events.txt      the events played with --events; optional; "{dir}" as in args
//   files/          optional: copied into the sandbox folder, beside the written project
//   expected.jsonl  the JSON lines the run must print, in order; "{dir}" as in args, "{zdir}"
//                   for the sandbox folder as a Windows path on drive Z:, JSON-escaped
//   *.png           screenshots the events take (by that name, in the sandbox folder) must
//                   match these, with the tolerance of the golden images
//   manifest        optional: "exit N" (the expected exit status, default 0) and
//                   "known-failure REASON" (the case is expected to fail; passing is an error,
//                   so the mark goes the day the fault is fixed), and "folder NAME" (the project
//                   and files/ go into the sub-folder NAME of the sandbox, so that the sandbox's
//                   home, profile and output lie outside the presentation's folder), and
//                   "unsanitized-only REASON" (the case is skipped in a sanitizer build), and
//                   "native-only REASON" (the case needs what the WebAssembly build does not
//                   have yet, such as the media, speech or web-page modules)
// On a failure the actual output is left in build/e2e/<case>/out.jsonl.
//
// Built with QLM_WEB_PLAYER_JS, the same cases are played by the WebAssembly build under node
// (in build/e2e-web/), and must give the same lines and the same screenshots.

#include <gtest/gtest.h>

#include <algorithm>

#include "document/ProjectWriter.h"
#include "e2e/E2eSupport.h"
#include "e2e/ProjectText.h"
#include "support/GoldenImage.h"
#include "support/ProjectFiles.h"

#if defined(__has_feature)
#define QLM_HAS_ADDRESS_SANITIZER __has_feature(address_sanitizer)
#else
#define QLM_HAS_ADDRESS_SANITIZER 0
#endif

namespace qlm::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(fs::path(QLM_SOURCE_DIR) / "tests/e2e/cases")) {
    if (entry.is_directory())
      names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string Substitute(std::string text, const std::string& key, const std::string& value) {
  for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
    text.replace(at, key.size(), value);
  return text;
}

class E2eCase : public ::testing::TestWithParam<std::string> {};

TEST_P(E2eCase, PlaysAsExpected) {
  const fs::path dir = fs::path(QLM_SOURCE_DIR) / "tests/e2e/cases" / GetParam();
#ifdef QLM_WEB_PLAYER_JS
  Sandbox box("case-" + GetParam(), "e2e-web");
  box.program = "node --no-experimental-fetch " + ShellQuote(QLM_WEB_PLAYER_JS);
  const std::string goldenTag = "e2e-web/";
#else
  Sandbox box("case-" + GetParam());
  const std::string goldenTag = "e2e/";
#endif

  int expectedExit = 0;
  std::string knownFailure;
  fs::path folder = box.root;
  for (const std::string& line : Lines(ReadText(dir / "manifest"))) {
    if (line.starts_with("exit "))
      expectedExit = std::stoi(line.substr(5));
    else if (line.starts_with("known-failure"))
      knownFailure = line.size() > 14 ? line.substr(14) : "(no reason given)";
    else if (line.starts_with("folder "))
      folder = box.root / line.substr(7);
#if defined(__SANITIZE_ADDRESS__) || QLM_HAS_ADDRESS_SANITIZER
    else if (line.starts_with("unsanitized-only"))
      GTEST_SKIP() << line;
#endif
#ifdef QLM_WEB_PLAYER_JS
    else if (line.starts_with("native-only"))
      GTEST_SKIP() << line;
#endif
  }
  fs::create_directories(folder);

  if (fs::is_directory(dir / "files"))
    fs::copy(dir / "files", folder, fs::copy_options::recursive);
  const fs::path project = folder / "project.qmd";
  if (fs::exists(dir / "project.txt")) {
    ASSERT_TRUE(WriteProjectFile(project, BuildProjectFromSpec(ReadText(dir / "project.txt")), 29));
  }
  std::vector<std::string> args;
  if (fs::exists(dir / "events.txt")) {
    const fs::path events = box.root / "events.txt";
    WriteText(events, Substitute(ReadText(dir / "events.txt"), "{dir}", box.root.string()));
    args = {"--events", events.string()};
  }
  for (const std::string& line : Lines(ReadText(dir / "args"))) {
    args.push_back(
        Substitute(Substitute(line, "{project}", project.string()), "{dir}", box.root.string()));
  }

  const int status = box.Run(args);
  const std::vector<std::string> actual = Lines(ReadText(box.root / "out.jsonl"));
  std::string zdir = "Z:" + box.root.string();
  for (size_t at = 0; (at = zdir.find('/', at)) != std::string::npos; at += 2)
    zdir.replace(at, 1, "\\\\");
  const std::vector<std::string> expected = Lines(Substitute(
      Substitute(ReadText(dir / "expected.jsonl"), "{dir}", box.root.string()), "{zdir}", zdir));
  const bool passed = status == expectedExit && actual == expected;
  if (!knownFailure.empty()) {
    EXPECT_FALSE(passed) << "the known failure \"" << knownFailure
                         << "\" passes now: remove the mark from its manifest";
    return;
  }
  EXPECT_EQ(status, expectedExit) << ReadText(box.root / "out.err");
  EXPECT_EQ(actual, expected) << "actual output: " << (box.root / "out.jsonl").string() << "\n"
                              << ReadText(box.root / "out.err");
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() != ".png")
      continue;
    const std::string shot = entry.path().filename().string();
    const std::optional<Surface> taken = ReadPng(box.root / shot);
    ASSERT_TRUE(taken) << "the events took no screenshot " << shot;
    EXPECT_TRUE(MatchesGoldenFile(*taken, entry.path(), goldenTag + GetParam() + "/" + shot));
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, E2eCase, ::testing::ValuesIn(CaseNames()), [](const auto& param) {
  std::string name = param.param;
  std::replace_if(
      name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); },
      '_');
  return name;
});

}  // namespace
}  // namespace qlm::test
