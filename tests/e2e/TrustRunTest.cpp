// The trust policy across runs of the real qlmplayer binary: consent asked headless with --ask
// and remembered in the trust store, and the overlay that keeps a presentation's folder as it
// was while its saved files survive between runs.

#include <gtest/gtest.h>

#include <map>

#include "document/ProjectWriter.h"
#include "e2e/E2eSupport.h"
#include "e2e/ProjectText.h"
#include "support/ProjectFiles.h"
#include "tools/StandaloneFile.h"

namespace qlm::test {
namespace {

namespace fs = std::filesystem;

// Every file below `root` with its bytes.
std::map<std::string, std::string> Tree(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_symlink())
      files[entry.path().lexically_relative(root).string()] =
          "-> " + fs::read_symlink(entry).string();
    else if (entry.is_regular_file())
      files[entry.path().lexically_relative(root).string()] = ReadText(entry.path());
  }
  return files;
}

class TrustRunTest : public ::testing::Test {
 protected:
  explicit TrustRunTest()
      : box("trust-" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())) {
    fs::create_directories(show);
    EXPECT_TRUE(WriteProjectFile(show / "show.qmd", BuildProjectFromSpec("page A\n"), 29));
  }

  // Runs the presentation with `options` and the event lines; the JSON lines it printed.
  std::vector<std::string> Play(std::vector<std::string> options, const std::string& events,
                                const std::string& tag) {
    const fs::path file = box.root / (tag + ".events");
    WriteText(file, events);
    options.insert(options.end(), {"--events", file.string(), (show / "show.qmd").string()});
    EXPECT_EQ(box.Run(options, tag), 0) << ReadText(box.root / (tag + ".err"));
    return Lines(ReadText(box.root / (tag + ".jsonl")));
  }

  static size_t Count(const std::vector<std::string>& lines, const std::string& part) {
    size_t n = 0;
    for (const std::string& line : lines)
      n += line.find(part) != std::string::npos;
    return n;
  }

  Sandbox box;
  fs::path show = box.root / "show";
};

constexpr const char* kLaunch = "{\"event\":\"launch\",\"program\":\"notes.txt\",\"options\":\"\"}";
constexpr const char* kBlocked =
    "{\"event\":\"blocked\",\"what\":\"launch\",\"path\":\"notes.txt\"}";
constexpr const char* kBox = "\"style\":50,";

TEST_F(TrustRunTest, ConsentIsAskedDeniedAllowedOnceOrRememberedUntilForgotten) {
  WriteText(show / "notes.txt", "hello");
  const std::string run = "script Run(\"notes.txt\",\"\")\n";
  // Deny, allow once, always; the fourth launch asks no more.
  std::vector<std::string> out =
      Play({"--ask"}, "answer 3\n" + run + "answer 4\n" + run + "answer 5\n" + run + run, "ask");
  EXPECT_EQ(Count(out, kBox), 3u);
  EXPECT_EQ(Count(out, "\"text\":\"This presentation wants to start:\\nProgram: " +
                           (show / "notes.txt").string()),
            3u);
  EXPECT_EQ(Count(out, kBlocked), 1u);
  EXPECT_EQ(Count(out, "denied access to the specified file"), 1u);
  EXPECT_EQ(Count(out, kLaunch), 3u);
  // The grant is in the trust store, not in the profile scripts write.
  EXPECT_NE(ReadText(box.root / "config/qlmplayer/trust.ini").find("launch notes.txt"),
            std::string::npos);
  EXPECT_EQ(ReadText(box.root / "profile/profile.ini").find("launch"), std::string::npos);

  // The next run remembers it, without a box even headless without --ask.
  out = Play({}, run, "remembered");
  EXPECT_EQ(Count(out, kLaunch), 1u);
  EXPECT_EQ(Count(out, kBox), 0u);

  // Forgotten, the launch is blocked again; a launch not granted never was allowed.
  ASSERT_EQ(box.Run({"--forget-trust"}, "forget"), 0);
  out = Play({}, run + "script Run(\"other.txt\",\"\")\n", "forgotten");
  EXPECT_EQ(Count(out, kLaunch), 0u);
  EXPECT_EQ(Count(out, kBlocked), 1u);
}

TEST_F(TrustRunTest, SavesLandInTheOverlayAndTheFolderStaysByteForByte) {
  WriteText(show / "a.txt", "original");
  fs::create_directories(box.root / "home");
  fs::create_symlink(box.root / "home", show / "homelink");
  const std::map<std::string, std::string> before = Tree(box.root / "show");

  const std::string save =
      "script SysCommand(\"copyfile\",\"<SrcDir>\\show.qmd,<SrcDir>\\a.txt\")\n"
      "script SysCommand(\"copyfile\",\"<SrcDir>\\a.txt,<SrcDir>\\saved.txt\")\n"
      "script SysCommand(\"copyfile\",\"<SrcDir>\\a.txt,<SrcDir>\\homelink\\.bashrc\")\n"
      "script FileExist(\"saved\",\"<SrcDir>\\saved.txt\")\n"
      "script FileExist(\"bashrc\",\"<SrcDir>\\homelink\\.bashrc\")\n"
      "dump\n";
  std::vector<std::string> out = Play({}, save, "save");
  EXPECT_EQ(Count(out, "\"saved\":1,\"bashrc\":1"), 1u) << out.back();
  EXPECT_EQ(Count(out, "blocked"), 0u);
  EXPECT_EQ(Tree(box.root / "show"), before);
  EXPECT_FALSE(fs::exists(box.root / "home/.bashrc"));

  // The next run sees what was saved, from the run before.
  out = Play({},
             "script FileExist(\"saved\",\"saved.txt\")\n"
             "dump\n",
             "again");
  EXPECT_EQ(Count(out, "\"saved\":1"), 1u) << out.back();
  EXPECT_EQ(Tree(box.root / "show"), before);

  // Trusted, the save goes to the folder itself.
  Play({"--trust"}, "script SysCommand(\"copyfile\",\"<SrcDir>\\a.txt,<SrcDir>\\mine.txt\")\n",
       "trusted");
  EXPECT_TRUE(fs::exists(show / "mine.txt"));
}

// A save into a folder that exists neither on the disc nor in the overlay fails as on the disc:
// the script gets 0 and the box; a full overlay fails saves the same way, reported once.
TEST_F(TrustRunTest, SavesIntoMissingFoldersOrAFullOverlayFailAsOnTheDisc) {
  fs::create_directories(show / "Sub");
  const std::string saves =
      "script R1=strtofile('nodir\\f.txt','x',0,0)\n"
      "script R2=strtofile('Sub\\f.txt','x',0,0)\n"
      "dump\n";
  std::vector<std::string> out = Play({}, saves, "missing");
  EXPECT_EQ(Count(out, "\"R1\":0,\"R2\":1"), 1u) << out.back();
  EXPECT_EQ(Count(out, "\"text\":\"Couldn't create the file!nodir\\\\f.txt\""), 1u);
  EXPECT_EQ(Count(out, "messagebox"), 1u);
  EXPECT_FALSE(fs::exists(show / "Sub/f.txt"));

  out = Play({"--overlay-quota", "0"},
             "script R3=strtofile('Sub\\g.txt','x',0,0)\n"
             "script R4=strtofile('h.txt','x',0,0)\n"
             "dump\n",
             "full");
  EXPECT_EQ(Count(out, "\"R3\":0,\"R4\":0"), 1u) << out.back();
  EXPECT_EQ(Count(out, "{\"event\":\"blocked\",\"what\":\"quota\",\"path\":\"Sub\\\\g.txt\"}"), 1u);
  EXPECT_EQ(Count(out, "\"quota\""), 1u);
  EXPECT_EQ(Count(Lines(ReadText(box.root / "full.err")), "the overlay is full"), 1u);
}

// A one-instance stand-alone file keeps its saves wherever the user copies it.
TEST_F(TrustRunTest, CopiesOfAStandaloneFileShareTheirOverlay) {
  const std::vector<uint8_t> bytes = WriteProject(BuildProjectFromSpec("page A\n"), 29);
  const char* kIdentifier = "{6F1C2A3B-4D5E-4F60-8172-93A4B5C6D7E8}";
  fs::create_directories(box.root / "copy");
  WriteStandalone(QLMPLAYER_PATH, bytes, true, kIdentifier, show / "SHOW.EXE");
  WriteStandalone(QLMPLAYER_PATH, bytes, true, kIdentifier, box.root / "copy/SHOW.EXE");
  WriteText(box.root / "save.events",
            "script SysCommand(\"copyfile\",\"<SrcDir>\\SHOW.EXE,<SrcDir>\\saved.bin\")\n");
  WriteText(box.root / "look.events", "script FileExist(\"saved\",\"saved.bin\")\ndump\n");
  ASSERT_EQ(box.Run({"--events", (box.root / "save.events").string(), (show / "SHOW.EXE").string()},
                    "save"),
            0);
  EXPECT_FALSE(fs::exists(show / "saved.bin"));
  ASSERT_EQ(box.Run({"--events", (box.root / "look.events").string(),
                     (box.root / "copy/SHOW.EXE").string()},
                    "look"),
            0);
  EXPECT_NE(ReadText(box.root / "look.jsonl").find("\"saved\":1"), std::string::npos)
      << ReadText(box.root / "look.jsonl");
}

}  // namespace
}  // namespace qlm::test
