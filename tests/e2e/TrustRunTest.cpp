// The trust policy across runs of the real qlmplayer binary: consent asked headless with --ask
// and remembered in the trust store, and the overlay that keeps a presentation's folder as it
// was while its saved files survive between runs.

#include <gtest/gtest.h>

#include <map>

#include "document/ProjectWriter.h"
#include "e2e/E2eSupport.h"
#include "e2e/ProjectText.h"
#include "platform/Sha256.h"
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
      : box(Sandbox::ForCurrentTest("trust")) {
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
      Play({"--ask"},
           "answer 3\n" + run + "script Result = CBK_ReturnVal\ndump\nanswer 4\n" + run +
               "answer 5\n" + run + run,
           "ask");
  EXPECT_EQ(Count(out, kBox), 3u);
  // The program as the host path it resolved to, its end kept when it is long.
  const std::string path = (show / "notes.txt").string();
  EXPECT_EQ(Count(out, "\"text\":\"This presentation wants to start a program.\\nProgram: ") +
                Count(out, path.substr(path.size() - std::min<size_t>(path.size(), 90)) +
                               "\\\"\\nStarted by: the desktop\\nArguments: 0\""),
            6u);
  EXPECT_EQ(Count(out, kBlocked), 1u);
  // Denied in the box, the launch fails without a second box saying so.
  EXPECT_EQ(Count(out, "denied access to the specified file"), 0u);
  EXPECT_EQ(Count(out, "\"Result\":5}"), 1u);
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

// A launch is judged by the file the host would start, not by its written name: a presentation
// within the folder (a document, or a stand-alone file of any name) plays in a new player
// without asking; what only looks like one (a folder named ".qmd", a link or a climb out of the
// folder) is blocked. Outside the folder every launch fails alike, so it tells nothing about
// what is there.
TEST_F(TrustRunTest, LaunchesAreJudgedByTheFileTheyStart) {
  const std::vector<uint8_t> bytes = WriteProject(BuildProjectFromSpec("page A\n"), 29);
  const fs::path outside = box.root / "outside";
  fs::create_directories(outside / "deeper");
  fs::create_directories(show / "folder.qmd");
  fs::create_directories(show / "a/a/a");
  fs::create_symlink(show / "a/a/a", show / "deep");
  EXPECT_TRUE(WriteProjectFile(show / "inner.qmd", BuildProjectFromSpec("page B\n"), 29));
  EXPECT_TRUE(WriteProjectFile(outside / "away.qmd", BuildProjectFromSpec("page C\n"), 29));
  fs::create_symlink(outside / "away.qmd", show / "link.qmd");
  WriteStandalone(QLMPLAYER_PATH, bytes, false, "", show / "other.exe");
  WriteText(outside / "secret.txt", "secret");

  struct Case {
    std::string command;
    bool launched;
    int result;
  } cases[] = {
      {"Run(\"inner.qmd\",\"\")", true, 42},
      {"RunQMD(\"<SrcDir>\\other.exe\",\"NEW_WINDOW\")", true, 42},
      {"Run(\"link.qmd\",\"\")", false, 2},
      {"Run(\"<SrcDir>\\deep\\..\\..\\..\\..\\outside\\away.qmd\",\"\")", false, 2},
      {"Run(\"folder.qmd\",\"\")", false, 5},
      {"Run(\"" + (outside / "secret.txt").string() + "\",\"\")", false, 2},
      {"Run(\"" + (outside / "missing.txt").string() + "\",\"\")", false, 2},
      {"Run(\"" + (outside / "nowhere/missing.txt").string() + "\",\"\")", false, 2},
      {"Run(\"" + (outside / "deeper").string() + "\",\"\")", false, 2},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> out =
        Play({}, "script " + c.command + "\nscript Result = CBK_ReturnVal\ndump\n", "launch");
    EXPECT_EQ(Count(out, "{\"event\":\"launch\""), c.launched ? 1u : 0u) << c.command;
    EXPECT_EQ(Count(out, "\"Result\":" + std::to_string(c.result) + "}"), 1u)
        << c.command << "\n"
        << (out.empty() ? "" : out.back());
    // Whatever is not started is reported.
    EXPECT_EQ(Count(out, "\"event\":\"blocked\",\"what\":\"launch\""), c.launched ? 0u : 1u)
        << c.command;
  }
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

// Saved files and remembered consent belong to the presentation's content: another stand-alone
// file with the same identifier, or a document replaced by another of the same size, starts
// afresh, and a program replaced after "Always allow" is asked about again.
TEST_F(TrustRunTest, SavesAndGrantsBelongToThePresentationsContent) {
  const char* kIdentifier = "{6F1C2A3B-4D5E-4F60-8172-93A4B5C6D7E8}";
  const fs::path other = box.root / "other";
  fs::create_directories(other);
  WriteStandalone(QLMPLAYER_PATH, WriteProject(BuildProjectFromSpec("page A\n"), 29), true,
                  kIdentifier, show / "SHOW.EXE");
  WriteStandalone(QLMPLAYER_PATH, WriteProject(BuildProjectFromSpec("page B\n"), 29), true,
                  kIdentifier, other / "SHOW.EXE");
  for (const fs::path& folder : {show, other}) {
    WriteText(folder / "tool.sh", "#!/bin/sh\n");
    fs::permissions(folder / "tool.sh", fs::perms::owner_all);
  }
  const auto play = [&](const fs::path& file, const std::vector<std::string>& options,
                        const std::string& events, const std::string& tag) {
    WriteText(box.root / (tag + ".events"), events);
    std::vector<std::string> args = options;
    args.insert(args.end(), {"--events", (box.root / (tag + ".events")).string(), file.string()});
    EXPECT_EQ(box.Run(args, tag), 0) << ReadText(box.root / (tag + ".err"));
    return ReadText(box.root / (tag + ".jsonl"));
  };
  const std::string launch = "script Run(\"tool.sh\",\"\")\n";
  const std::string kLaunched = "{\"event\":\"launch\"";

  play(show / "SHOW.EXE", {"--ask"},
       "answer 5\n" + launch +
           "script SysCommand(\"copyfile\",\"<SrcDir>\\tool.sh,<SrcDir>\\saved.bin\")\n",
       "first");
  EXPECT_NE(play(show / "SHOW.EXE", {}, launch, "again").find(kLaunched), std::string::npos);
  const std::string borrowed =
      play(other / "SHOW.EXE", {}, launch + "script FileExist(\"saved\",\"saved.bin\")\ndump\n",
           "borrowed");
  EXPECT_EQ(borrowed.find(kLaunched), std::string::npos);
  EXPECT_NE(borrowed.find("\"saved\":0"), std::string::npos) << borrowed;

  // The program granted is swapped for another.
  WriteText(show / "tool.sh", "#!/bin/sh\nrm -rf ~\n");
  EXPECT_EQ(play(show / "SHOW.EXE", {}, launch, "swapped").find(kLaunched), std::string::npos);

  // A document replaced by another of the same size.
  WriteText(show / "tool.sh", "#!/bin/sh\n");
  play(show / "show.qmd", {"--ask"}, "answer 5\n" + launch, "document");
  EXPECT_NE(play(show / "show.qmd", {}, launch, "same").find(kLaunched), std::string::npos);
  const uintmax_t size = fs::file_size(show / "show.qmd");
  EXPECT_TRUE(WriteProjectFile(show / "show.qmd", BuildProjectFromSpec("page Z\n"), 29));
  ASSERT_EQ(fs::file_size(show / "show.qmd"), size);
  EXPECT_EQ(play(show / "show.qmd", {}, launch, "replaced").find(kLaunched), std::string::npos);
}

// Files saved before presentations were known by their content stay with the presentation.
TEST_F(TrustRunTest, FilesSavedUnderTheOlderNameAreKept) {
  const fs::path document = show / "show.qmd";
  const std::string legacy =
      Sha256::Hex(document.string() + '\n' + std::to_string(fs::file_size(document))).substr(0, 16);
  const fs::path overlay = box.root / "data/qlmplayer/overlay" / legacy;
  fs::create_directories(overlay);
  WriteText(overlay / "saved.txt", "kept");
  const std::vector<std::string> out =
      Play({}, "script FileExist(\"saved\",\"saved.txt\")\ndump\n", "legacy");
  EXPECT_EQ(Count(out, "\"saved\":1"), 1u);
  // And they are still there on the next run.
  EXPECT_EQ(
      Count(Play({}, "script FileExist(\"saved\",\"saved.txt\")\ndump\n", "next"), "\"saved\":1"),
      1u);
}

}  // namespace
}  // namespace qlm::test
