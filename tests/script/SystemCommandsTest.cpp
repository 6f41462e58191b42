#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "TestScriptHost.h"
#include "platform/host/DiskFileSystem.h"
#include "platform/host/IniProfileStore.h"
#include "script/CommandHelpers.h"
#include "script/ScriptText.h"

namespace qlm {
namespace {

namespace fs = std::filesystem;
using test::MakeObject;
using test::MakePage;
using test::TestScriptHost;

// Drive C: of the scripts is a fresh temporary folder.
class TempDrive : public DiskFileSystem {
 public:
  TempDrive() {
    root_ = fs::temp_directory_path() /
            ("qlm-syscmd-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  ~TempDrive() override { fs::remove_all(root_); }

  fs::path ToHost(const std::string& windowsPath) const override {
    std::string rest = windowsPath.starts_with("C:\\") ? windowsPath.substr(3) : windowsPath;
    for (char& c : rest) {
      if (c == '\\')
        c = '/';
    }
    return root_ / rest;
  }
  std::string ToWindows(const fs::path& hostPath) const override {
    std::string rest = fs::relative(hostPath, root_).string();
    for (char& c : rest) {
      if (c == '/')
        c = '\\';
    }
    return "C:\\" + rest;
  }

  void Write(const std::string& windowsPath, const std::string& bytes) const {
    const fs::path path = ToHost(windowsPath);
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }
  std::string Read(const std::string& windowsPath) const {
    std::ifstream in(ToHost(windowsPath), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  const fs::path& Root() const { return root_; }

 private:
  static inline int counter_ = 0;
  fs::path root_;
};

Project OnePage(const std::string& exitScript = {}) {
  Project project;
  project.pages.push_back(MakePage("A", {}, exitScript));
  project.pages[0].objects = {MakeObject("Label", {10, 10, 50, 30}),
                              MakeObject("CBK_OpenFile", {60, 10, 90, 30}),
                              MakeObject("CBK_SelColor", {100, 10, 140, 30})};
  return project;
}

std::string Text(const TestScriptHost& host, const std::string& name) {
  std::string text = "(unset)";
  host.evaluator.GetText(name, text);
  return text;
}

TEST(SystemCommandsTest, RunAndNewWindowProjectsGoThroughTheLauncher) {
  struct Case {
    const char* line;
    const char* program;
    const char* options;
  } cases[] = {
      {"Run(\"Prog$\",\"WAIT\")", "C:\\tools\\viewer.exe", "WAIT"},
      {"Run(\"readme.txt\",\"Opts$\")", "readme.txt", "MAXIMIZE"},
      {"RunQMD(\"next.qmd\",\"NEW_WINDOW,TOPMOST(100)\")", "next.qmd", "TOPMOST(100)"},
      {"RunQMD(\"Prog$\",\"NEW_WINDOW\")", "C:\\tools\\viewer.exe", ""},
  };
  for (const Case& c : cases) {
    TestScriptHost host(OnePage());
    host.ShowPage();
    host.evaluator.SetText("Prog$", "C:\\tools\\viewer.exe");
    host.evaluator.SetText("Opts$", "MAXIMIZE");
    EXPECT_TRUE(host.Run(std::string(c.line) + "\r\nafter=1")) << c.line;
    ASSERT_EQ(host.launches.size(), 1u) << c.line;
    EXPECT_EQ(host.launches[0].first, c.program) << c.line;
    EXPECT_EQ(host.launches[0].second, c.options) << c.line;
    // The script goes on; nothing is pending for the window.
    EXPECT_EQ(host.Number("after"), 1) << c.line;
    EXPECT_TRUE(host.runner.Navigation().PendingProject().path.empty()) << c.line;
    EXPECT_FALSE(host.runner.StopFlag()) << c.line;
  }
}

TEST(SystemCommandsTest, RunQmdInTheSameWindowLeavesThePageAndStopsScripts) {
  TestScriptHost host(OnePage("left=1"));
  host.ShowPage();
  EXPECT_FALSE(host.Run("RunQMD(\"C:\\show\\b.qmd\",\"Intro\")\r\nafter=1"));
  EXPECT_EQ(host.Number("after"), 0);
  EXPECT_EQ(host.Number("left"), 1);
  EXPECT_EQ(host.runner.Navigation().PendingProject().path, "C:\\show\\b.qmd");
  EXPECT_EQ(host.runner.Navigation().PendingProject().page, "Intro");
  EXPECT_TRUE(host.runner.StopFlag());
  EXPECT_TRUE(host.loop.HasTimer(window_timer::kOpenProject));
  // A second RunQMD replaces what is pending (once the window lets scripts run again).
  host.runner.SetStopFlag(false);
  EXPECT_FALSE(host.Run("RunQMD(\"c.qmd\",\"\")"));
  EXPECT_EQ(host.runner.Navigation().PendingProject().path, "c.qmd");
  EXPECT_EQ(host.runner.Navigation().PendingProject().page, "");
  EXPECT_TRUE(host.launches.empty());
}

TEST(SystemCommandsTest, RunQmdWithoutAFileEndsTheScript) {
  TestScriptHost host(OnePage("left=1"));
  host.ShowPage();
  EXPECT_FALSE(host.Run("RunQMD(\"\",\"NEW_WINDOW\")\r\nafter=1"));
  EXPECT_EQ(host.Number("after"), 0);
  EXPECT_EQ(host.Number("left"), 0);
  EXPECT_TRUE(host.launches.empty());
  EXPECT_FALSE(host.runner.StopFlag());
  EXPECT_FALSE(host.loop.HasTimer(window_timer::kOpenProject));
}

TEST(SystemCommandsTest, SysCommandWindowKeywords) {
  struct Case {
    const char* keyword;
    const char* values;
    std::vector<std::string> log;
  } cases[] = {
      {"CenterWindow", "", {"center"}},
      {"RESIZEWINDOW", "640,0", {"resize:640,0"}},
      {"resizewindow", "w*2", {"resize:200,0"}},
      {"movewindow", "10+5,-20", {"move:15,-20"}},
      {"AlwaysOnTop", "", {"topmost"}},
      {"NotAlwaysOnTop", "", {"not topmost"}},
      {"Key$", "", {"center"}},
      {" centerwindow", "", {}},
      {"center", "", {}},
  };
  for (const Case& c : cases) {
    TestScriptHost host(OnePage());
    host.ShowPage();
    host.evaluator.SetNumber("w", 100);
    host.evaluator.SetText("Key$", "centerWINDOW");
    host.log.clear();
    EXPECT_TRUE(host.Run("SysCommand(\"" + std::string(c.keyword) + "\",\"" + c.values + "\")"));
    EXPECT_EQ(host.log, c.log) << c.keyword;
  }
}

TEST(SystemCommandsTest, CopyFileCopiesOnlyWhatIsNamed) {
  struct Case {
    const char* values;
    bool copied;
  } cases[] = {
      {"C:\\a.txt,C:\\b.txt", true},
      {"C:\\a.txt, C:\\out\\b.txt", true},
      {"C:\\none.txt,C:\\b.txt", false},
      {"C:\\a.txt,C:\\folder", false},
      {"C:\\folder,C:\\b.txt", false},
      {"C:\\a.txt,C:\\missing\\b.txt", false},
      {"C:\\a.txt", false},
  };
  for (const Case& c : cases) {
    TempDrive drive;
    drive.Write("C:\\a.txt", std::string("new\0bytes", 9));
    drive.Write("C:\\b.txt", "old");
    drive.Write("C:\\out\\b.txt", "old");
    drive.Write("C:\\folder\\keep.txt", "kept");
    TestScriptHost host(OnePage());
    host.ShowPage();
    host.fileSystem = &drive;
    EXPECT_TRUE(host.Run("SysCommand(\"copyfile\",\"" + std::string(c.values) + "\")"));
    const std::string source(Trim(SplitList(c.values, 2)[0]));
    if (c.copied) {
      const std::string target(Trim(SplitList(c.values, 2)[1]));
      EXPECT_EQ(drive.Read(target), std::string("new\0bytes", 9)) << c.values;
      EXPECT_TRUE(host.dialogs.boxes.empty()) << c.values;
    } else {
      EXPECT_EQ(host.dialogs.Texts(), std::vector<std::string>{"Can't copy\n" + source})
          << c.values;
      EXPECT_EQ(drive.Read("C:\\b.txt"), "old") << c.values;
      EXPECT_EQ(drive.Read("C:\\folder\\keep.txt"), "kept") << c.values;
      EXPECT_FALSE(fs::exists(drive.ToHost("C:\\missing"))) << c.values;
    }
    // No temporary file is left behind.
    size_t entries = 0;
    for (const auto& entry : fs::recursive_directory_iterator(drive.Root())) {
      EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
      ++entries;
    }
    EXPECT_EQ(entries, 6u) << c.values;
  }
}

TEST(SystemCommandsTest, FileExistAndFileString) {
  TempDrive drive;
  drive.Write("C:\\data\\a.txt", "x");
  struct Case {
    const char* line;
    const char* fileText;
    double result;
  } cases[] = {
      {"FileExist(\"r\",\"C:\\data\\a.txt\")", "", 1},
      {"FileExist(\"r\",\"Path$\")", "", 1},
      {"FileExist(\"r\",\"C:\\data\")", "", 1},
      {"FileExist(\"r\",\"C:\\data\\b.txt\")", "", 0},
      {"FileExist(\"r\",\"\")", "", 0},
      {"FileString(\"r\",\"report\")", "", -1},
      {"FileString(\"r\",\"report\")", "C:\\Docs\\Report.TXT", 1},
      {"FileString(\"r\",\"Word$\")", "C:\\Docs\\Report.TXT", 1},
      {"FileString(\"r\",\"notes\")", "C:\\Docs\\Report.TXT", 0},
  };
  for (const Case& c : cases) {
    TestScriptHost host(OnePage());
    host.ShowPage();
    host.fileSystem = &drive;
    host.fileText = c.fileText;
    host.evaluator.SetText("Path$", "C:\\data\\a.txt");
    host.evaluator.SetText("Word$", "DOCS\\rep");
    host.evaluator.SetNumber("r", 99);
    EXPECT_TRUE(host.Run(c.line));
    EXPECT_EQ(host.Number("r"), c.result) << c.line << " with " << c.fileText;
  }
}

TEST(SystemCommandsTest, SearchForFilesFillsTheSongListFromOneFolder) {
  TempDrive drive;
  for (const char* name : {"media\\b.ogg", "media\\a.MP2", "media\\c.txt", "media\\sub\\d.ogg",
                           "media\\noext", "e.ogg"})
    drive.Write(std::string("C:\\") + name, "x");
  struct Case {
    const char* folder;
    const char* extensions;
    std::vector<std::string> songs;
  } cases[] = {
      {"C:\\media", "", {"C:\\media\\a.MP2", "C:\\media\\b.ogg"}},
      {" C:\\media ", "TXT, .ogg", {"C:\\media\\b.ogg", "C:\\media\\c.txt"}},
      {"C:\\media", "wav", {}},
      {"C:\\nowhere", "", {}},
  };
  for (const Case& c : cases) {
    TestScriptHost host(OnePage());
    host.ShowPage();
    host.fileSystem = &drive;
    host.songs = {"old.mp3"};
    EXPECT_TRUE(
        host.Run("SearchForFiles(\"" + std::string(c.folder) + "\",\"" + c.extensions + "\")"));
    EXPECT_EQ(host.songs, c.songs) << c.folder << " " << c.extensions;
  }
}

TEST(SystemCommandsTest, FileDialogsSetPathNameAndFolder) {
  struct Case {
    const char* command;
    std::optional<std::string> choice;
    const char* kind;
    const char* path;
    const char* name;
    const char* folder;
  } cases[] = {
      {"OpenFile", "C:\\Docs\\a.txt", "open", "C:\\Docs\\a.txt", "a.txt", "C:\\Docs\\"},
      {"SaveFile", "C:\\out.bin", "save", "C:\\out.bin", "out.bin", "C:\\"},
      {"OpenFile", "plain", "open", "plain", "plain", ""},
      {"OpenFile", std::nullopt, "open", "", "", ""},
      {"SaveFile", std::nullopt, "save", "", "", ""},
  };
  for (const Case& c : cases) {
    TestScriptHost host(OnePage());
    host.ShowPage();
    host.evaluator.SetText("Filter$", "Text|*.txt|");
    host.evaluator.SetText("OpenFile$", "stale");
    host.evaluator.SetText("CBK_OpenFile", "stale");
    host.evaluator.SetText("CBK_OpenDir", "stale");
    host.fileText = "C:\\before.txt";
    host.dialogs.choices.push_back(c.choice);
    EXPECT_TRUE(host.Run(std::string(c.command) + "(\"Filter$\",\"new.txt\")"));
    ASSERT_EQ(host.dialogs.pickers.size(), 1u);
    EXPECT_EQ(host.dialogs.pickers[0].kind, c.kind);
    EXPECT_EQ(host.dialogs.pickers[0].filter, "Text|*.txt|");
    EXPECT_EQ(host.dialogs.pickers[0].initial, "new.txt");
    EXPECT_EQ(Text(host, "OpenFile$"), c.path) << c.command;
    EXPECT_EQ(Text(host, "CBK_OpenFile"), c.name) << c.command;
    EXPECT_EQ(Text(host, "CBK_OpenDir"), c.folder) << c.command;
    // The object of the same name shows the name; "<File>" follows a choice only.
    EXPECT_EQ(host.pages.CurrentPage()->objects[1].text, c.name);
    EXPECT_EQ(host.fileText, c.choice ? *c.choice : "C:\\before.txt");
  }
}

TEST(SystemCommandsTest, BrowseForFolderSetsTheFolderOnOkOnly) {
  TestScriptHost host(OnePage());
  host.ShowPage();
  host.dialogs.choices = {"C:\\Music", std::nullopt};
  EXPECT_TRUE(host.Run("BrowseForFolder(\"Pick one\",\"C:\\\")"));
  EXPECT_EQ(Text(host, "CBK_OpenDir"), "C:\\Music");
  EXPECT_TRUE(host.Run("BrowseForFolder(\"Again\",\"\")"));
  EXPECT_EQ(Text(host, "CBK_OpenDir"), "C:\\Music");
  ASSERT_EQ(host.dialogs.pickers.size(), 2u);
  EXPECT_EQ(host.dialogs.pickers[0].kind, "folder");
  EXPECT_EQ(host.dialogs.pickers[0].filter, "Pick one");
  EXPECT_EQ(host.dialogs.pickers[0].initial, "C:\\");
}

TEST(SystemCommandsTest, ColourPickerFeedsColourKeywords) {
  TestScriptHost host(OnePage());
  host.ShowPage();
  host.dialogs.colour = 0x00332211;
  EXPECT_TRUE(host.Run("ColorPicker()"));
  EXPECT_EQ(Text(host, "CBK_SelColor"), "17,34,51");
  EXPECT_EQ(host.pages.CurrentPage()->objects[2].text, "17,34,51");
  // Cancelled: the last choice stays.
  host.dialogs.colour.reset();
  EXPECT_TRUE(host.Run("ColorPicker()"));
  EXPECT_EQ(Text(host, "CBK_SelColor"), "17,34,51");
}

TEST(SystemCommandsTest, FontPickerTextAndFontKeyword) {
  struct Case {
    FontChoice font;
    int dpi;
    const char* text;
  } cases[] = {
      {{"Arial", -16, 700, false, true, true, 0}, 96, "Arial|BOLD|12|0|STRIKEUNDER|"},
      {{"Times New Roman", -20, 400, true, false, false, 0},
       120,
       "Times New Roman|ITALIC|12|0|NONE|"},
      {{"Courier New", 13, 700, true, true, false, 161},
       96,
       "Courier New|BOLDITALIC|10|161|UNDERLINE|"},
      {{"Tahoma", -11, 600, false, false, true, 0}, 96, "Tahoma|REGULAR|8|0|STRIKEOUT|"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FontChoiceText(c.font, c.dpi), c.text);

  // The chosen font reaches a text object through FONT=CBK_Font.
  Project project = OnePage();
  project.pages[0].objects[0].typeCode = kObjText;
  TestScriptHost host(std::move(project));
  host.ShowPage();
  host.dialogs.font = cases[0].font;
  EXPECT_TRUE(host.Run("FontPicker()\r\nSetObjectParam(\"Label\",\"FONT=CBK_Font\")"));
  EXPECT_EQ(Text(host, "CBK_Font"), "Arial|BOLD|12|0|STRIKEUNDER|");
  const ObjectFont& font = host.pages.CurrentPage()->objects[0].font;
  EXPECT_EQ(font.faceName, "Arial");
  EXPECT_EQ(font.height, -16);
  EXPECT_EQ(font.weight, 700);
  EXPECT_FALSE(font.italic);
  EXPECT_TRUE(font.underline);
  EXPECT_TRUE(font.strikeOut);
}

TEST(SystemCommandsTest, SavedVariablesOutliveThePlayer) {
  TempDrive drive;
  IniProfileStore store(drive.Root());
  {
    TestScriptHost host(OnePage());
    host.ShowPage();
    host.profile = &store;
    host.profileSection = "MyShow";
    host.evaluator.SetNumber("score", 2.75);
    host.evaluator.SetText("Name$", "Ann");
    host.evaluator.SetNumber("i", 3);
    host.evaluator.SetText("Item$[3]", "third");
    EXPECT_TRUE(
        host.Run("SaveVariable(\"Score\",\"score\")\r\nSaveVariable(\"\",\"Name$\")\r\n"
                 "SaveVariable(\"Item\",\"Item$[i]\")"));
  }
  EXPECT_EQ(store.GetInt("MyShow", "Score", -1), 2);
  EXPECT_EQ(store.GetString("MyShow", "Default", ""), "Ann");
  EXPECT_EQ(store.GetString("QLM", "Default", "none"), "none");

  IniProfileStore reopened(drive.Root());
  TestScriptHost host(OnePage());
  host.ShowPage();
  host.profile = &reopened;
  host.profileSection = "MyShow";
  host.evaluator.SetNumber("k", 5);
  EXPECT_TRUE(
      host.Run("LoadVariable(\"Score\",\"s\")\r\nLoadVariable(\"Default\",\"Who$\")\r\n"
               "LoadVariable(\"Item\",\"Got$[k]\")\r\nLoadVariable(\"Missing\",\"m\")"));
  EXPECT_EQ(host.Number("s"), 2);
  EXPECT_EQ(Text(host, "Who$"), "Ann");
  EXPECT_EQ(Text(host, "Got$[5]"), "third");
  EXPECT_EQ(host.Number("m"), 0);
}

TEST(SystemCommandsTest, ClipboardSendsAndReceives) {
  struct Case {
    const char* line;
    std::optional<std::string> before;
    std::optional<std::string> clipboard;
    const char* received;
  } cases[] = {
      {"Clipboard(\"send\",\"Name$\")", std::nullopt, "Ann", "keep"},
      {"Clipboard(\" SEND \",\"6*7\")", std::nullopt, "42", "keep"},
      {"Clipboard(\"Got$\",\"\")", "hi there", "hi there", "hi there"},
      {"Clipboard(\"Got$\",\"\")", std::nullopt, std::nullopt, "keep"},
  };
  for (const Case& c : cases) {
    TestScriptHost host(OnePage());
    host.ShowPage();
    host.evaluator.SetText("Name$", "Ann");
    host.evaluator.SetText("Got$", "keep");
    host.clipboard = c.before;
    EXPECT_TRUE(host.Run(c.line));
    EXPECT_EQ(host.clipboard, c.clipboard) << c.line;
    EXPECT_EQ(Text(host, "Got$"), c.received) << c.line;
  }
}

// The font library gets a name of the file that was opened and checked: a file put in its place
// afterwards is not what it reads.
TEST(SystemCommandsTest, InstallFontHandsOnTheCheckedFileAndReportsFailure) {
  TempDrive drive;
  fs::create_directories(drive.ToHost("C:\\fonts"));
  for (const bool installs : {true, false}) {
    std::ofstream(drive.ToHost("C:\\fonts\\Fancy.ttf")) << "font";
    TestScriptHost host(OnePage());
    host.ShowPage();
    host.fileSystem = &drive;
    host.fontsInstall = installs;
    host.invalidatedAll = 0;
    EXPECT_TRUE(host.Run("InstallFont(\"C:\\fonts\\Fancy.ttf\")"));
    ASSERT_EQ(host.fonts.size(), 1u);
    std::ofstream(drive.ToHost("C:\\fonts\\Other.ttf")) << "other";
    fs::rename(drive.ToHost("C:\\fonts\\Other.ttf"), drive.ToHost("C:\\fonts\\Fancy.ttf"));
    std::ifstream handed(host.fonts[0], std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(handed), {}), "font");
    if (installs) {
      EXPECT_TRUE(host.dialogs.boxes.empty());
      EXPECT_EQ(host.invalidatedAll, 1);
    } else {
      EXPECT_EQ(
          host.dialogs.Texts(),
          std::vector<std::string>{"Error, Cannot create Font resource \nC:\\fonts\\Fancy.ttf"});
      EXPECT_EQ(host.invalidatedAll, 0);
    }
  }
  // A file that is not there never reaches the font library.
  TestScriptHost host(OnePage());
  host.ShowPage();
  host.fileSystem = &drive;
  EXPECT_TRUE(host.Run("InstallFont(\"C:\\fonts\\Missing.ttf\")"));
  EXPECT_TRUE(host.fonts.empty());
  EXPECT_EQ(
      host.dialogs.Texts(),
      std::vector<std::string>{"Error, Cannot create Font resource \nC:\\fonts\\Missing.ttf"});
}

}  // namespace
}  // namespace qlm
