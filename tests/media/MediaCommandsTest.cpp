#include <gtest/gtest.h>

#include "document/PageManager.h"
#include "expr/ExpressionEvaluator.h"
#include "expr/SystemVariables.h"
#include "media/MediaFixture.h"
#include "media/MediaSession.h"
#include "mediamodule/MpvMediaBackend.h"
#include "platform/headless/VirtualEventLoop.h"
#include "script/EvaluatorSyntaxChecker.h"
#include "script/ScriptCompiler.h"
#include "script/ScriptRoles.h"
#include "script/ScriptRunner.h"
#include "support/RecordingDialogs.h"

namespace qlm {

void RegisterCoreCommands(ScriptRunner& runner);

namespace {

ObjectRecord Object(int32_t kind, std::string name, std::string text = {}) {
  ObjectRecord object;
  object.typeCode = kind;
  object.name = std::move(name);
  object.text = std::move(text);
  object.rect = {10, 20, 110, 70};
  return object;
}

// A player window for the media commands: one page, files under a temporary folder as drive
// C:, "<SrcDir>" for C:\ and "<File>" for the last chosen file.
class MediaHost : public CombinedScriptHost, public PageManagerOwner, public BoundTextObjectFinder {
 public:
  MediaHost()
      : folder("media-commands"),
        files(folder.Path()),
        backend(MpvMediaBackend::Options{.nullAudio = true}),
        media(loop, &backend, &files),
        runner(*this) {
    Project project;
    PageRecord page;
    page.name = "One";
    page.objects.push_back(Object(kObjMci, "Intro", "<SrcDir>\\tone.wav"));
    page.objects.push_back(Object(kObjText, "Label", "<SrcDir>\\tone.wav"));
    ObjectRecord list = Object(kObjListBox, "Songs");
    list.stringList = {"<SrcDir>\\x.mp3", "D:\\y.mp3"};
    page.objects.push_back(list);
    page.objects.push_back(Object(kObjText, "CBK_NumInList"));
    project.pages.push_back(page);
    pages.SetProject(std::move(project));
    pages.SetOwner(this);
    pages.GoToPage(0);
    RegisterCoreCommands(runner);
    RegisterMediaCommands(runner, media);
    media.boundObjects = this;
    media.windowHandle = 77;
    test::WriteWave(folder.Path() / "tone.wav", 500);
  }

  void Run(const std::string& text) {
    EvaluatorSyntaxChecker checker;
    ScriptCompiler compiler(checker, dialogs);
    ScriptBody body;
    compiler.CompileScript(body, text, true);
    runner.ExecuteScript(body);
  }
  double Number(const std::string& name) const {
    double value = -999;
    evaluator.GetNumber(name, value);
    return value;
  }
  std::string Text(const std::string& name) const {
    std::string value = "(none)";
    evaluator.Variables().GetText(name, value);
    return value;
  }
  std::string FileText(const std::string& name) const {
    std::ifstream in(folder.Path() / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // ScriptHost
  CPageManager& PageManager() override { return pages; }
  ExpressionEvaluator& Evaluator() override { return evaluator; }
  Dialogs& GetDialogs() override { return dialogs; }
  EventLoop& Loop() override { return loop; }
  bool IsWindowVisible() const override { return true; }
  void Invalidate(const IntRect&, bool) override {}
  void InvalidateAll(bool) override {}
  void ClosePlayer() override {}
  void ShowPage() override {}
  std::string WindowTitle() const override { return "Title"; }
  FileSystem* Files() override { return &files; }
  std::string ExpandPathMacros(const std::string& text) override {
    std::string out = text;
    for (const auto& [macro, value] :
         {std::pair<std::string, std::string>{"<SrcDir>", "C:"}, {"<File>", fileMacro}}) {
      for (size_t at = out.find(macro); at != std::string::npos; at = out.find(macro, at))
        out.replace(at, macro.size(), value);
    }
    return out;
  }
  // PageManagerOwner
  void RunPageExitScript(PageRecord&) override {}
  // BoundTextObjectFinder
  struct Bound : BoundTextObject {
    ObjectRecord* object = nullptr;
    void SetText(const std::string& text) override { object->text = text; }
    void RepaintRect() override {}
  } bound;
  BoundTextObject* FindBoundObject(const std::string& name) override {
    bound.object = CPageManager::FindObjectOnPage(*pages.CurrentPage(), name);
    return bound.object ? &bound : nullptr;
  }

  test::TempFolder folder;
  test::FolderFileSystem files;
  VirtualEventLoop loop;
  MpvMediaBackend backend;
  MediaSession media;
  CPageManager pages;
  ExpressionEvaluator evaluator;
  test::RecordingDialogs dialogs;
  ScriptRunner runner;
  std::string fileMacro = "C:\\chosen.mp3";
};

TEST(MediaCommands, SongListAddDelResetPublish) {
  MediaHost host;
  host.Run("SongListAdd(\"a.mp3\")\nSongListAdd(\"<File>\")\nSongListAdd(\"<SrcDir>\\b.mp3\")");
  EXPECT_EQ(host.media.songs.Entries(),
            (std::vector<std::string>{"a.mp3", "C:\\chosen.mp3", "<SrcDir>\\b.mp3"}));
  EXPECT_EQ(host.Number("CBK_NumInList"), 3);
  EXPECT_EQ(host.Number("CBK_CurItemList"), 0);
  EXPECT_EQ(host.Number("CBK_TotalListSec"), 0);
  EXPECT_EQ(host.Text("CBK_TotalList"), "");
  EXPECT_EQ(CPageManager::FindObjectOnPage(*host.pages.CurrentPage(), "CBK_NumInList")->text, "3");

  host.Run("SongListDel(\"3\")");  // index = count: nothing
  EXPECT_EQ(host.media.songs.Count(), 3u);
  host.Run("n = 1.9\nSongListDel(\"n\")\nSongListDel(\"0\")\nSongListDel(\"-1\")");
  EXPECT_EQ(host.media.songs.Entries(), std::vector<std::string>{"<SrcDir>\\b.mp3"});
  host.Run("SongListRND()");
  EXPECT_EQ(host.media.songs.Entries(), std::vector<std::string>{"<SrcDir>\\b.mp3"});
  host.Run("SongListReset()");
  EXPECT_EQ(host.media.songs.Count(), 0u);
  EXPECT_EQ(host.Number("CBK_NumInList"), 0);
}

TEST(MediaCommands, SongListRndShufflesWithoutLosingEntries) {
  MediaHost host;
  host.evaluator.SeedRandom(7);
  host.Run("SongListAdd(\"1\")\nSongListAdd(\"2\")\nSongListAdd(\"3\")\nSongListAdd(\"4\")");
  const std::vector<std::string> before = host.media.songs.Entries();
  host.Run("SongListRND()");
  std::vector<std::string> after = host.media.songs.Entries();
  EXPECT_NE(after, before);
  std::sort(after.begin(), after.end());
  EXPECT_EQ(after, before);
}

TEST(MediaCommands, SongListLoadAndSave) {
  MediaHost host;
  std::filesystem::create_directories(host.folder.Path() / "lists");
  std::ofstream(host.folder.Path() / "lists" / "a.pls", std::ios::binary)
      << "[playlist]\r\nFile1=song.mp3\r\nFile2=D:\\abs.mp3\r\n";
  host.Run("SongListAdd(\"old\")\nSongListLoad(\"<SrcDir>\\lists\\a.pls\",\"\")");
  EXPECT_EQ(host.media.songs.Entries(),
            (std::vector<std::string>{"C:\\lists\\song.mp3", "D:\\abs.mp3"}));
  EXPECT_EQ(host.Number("CBK_NumInList"), 2);

  host.Run("SongListSave(\"\",\"<SrcDir>\\out.m3l\")");
  EXPECT_EQ(host.FileText("out.m3l"), "C:\\lists\\song.mp3\r\nD:\\abs.mp3");
  host.Run("SongListSave(\"<List>Songs\",\"<SrcDir>\\box.m3l\")");
  EXPECT_EQ(host.FileText("box.m3l"), "C:\\x.mp3\r\nD:\\y.mp3");

  // No path: the save dialog asks; a name without extension gets the default one.
  host.dialogs.choices.push_back("C:\\picked");
  host.Run("SongListSave(\"\",\"\")");
  ASSERT_EQ(host.dialogs.pickers.size(), 1u);
  EXPECT_EQ(host.dialogs.pickers[0].kind, "save");
  EXPECT_EQ(host.dialogs.pickers[0].filter, "M3L Files (*.m3l)|*.m3l|All Files (*.*)|*.*||");
  EXPECT_EQ(host.FileText("picked.tch"), "C:\\lists\\song.mp3\r\nD:\\abs.mp3");

  // A missing list empties the song list silently; a too big one says so.
  host.Run("SongListLoad(\"C:\\none.m3u\",\"\")");
  EXPECT_EQ(host.media.songs.Count(), 0u);
  EXPECT_TRUE(host.dialogs.boxes.empty());
  std::filesystem::resize_file(host.folder.Path() / "lists" / "a.pls", 1048576);
  host.Run("SongListAdd(\"x\")\nSongListLoad(\"C:\\lists\\a.pls\",\"PLS\")");
  EXPECT_EQ(host.media.songs.Count(), 0u);
  EXPECT_EQ(host.dialogs.Texts(), std::vector<std::string>{"The list file is too big"});
  std::filesystem::resize_file(host.folder.Path() / "lists" / "a.pls", 1048575);
  host.Run("SongListLoad(\"C:\\lists\\a.pls\",\"PLS\")");
  EXPECT_EQ(host.media.songs.Count(), 2u);
}

TEST(MediaCommands, MciCommandStoresTheAnswerValue) {
  MediaHost host;
  const struct {
    const char* line;
    double result;
  } cases[] = {
      {"MCICommand(\"open <SrcDir>\\tone.wav alias s parent <This>\")", 1},
      {"MCICommand(\"status s length\")", 500},
      {"MCICommand(\"status s mode\")", -1},
      {"MCICommand(\"play s\")", 0},
      {"MCICommand(\"status s mode\")", -2},
      {"MCICommand(\"set s time format msf\")", 0},
      {"MCICommand(\"status s length\")", 0},
      {"MCICommand(\"bogus s\")", 0},
  };
  for (const auto& c : cases) {
    host.Run(c.line);
    EXPECT_EQ(host.Number("MCIResult"), c.result) << c.line;
  }
  host.loop.Advance(600);
  host.Run("MCICommand(\"status s mode\")");
  EXPECT_EQ(host.Number("MCIResult"), -1);
}

TEST(MediaCommands, MciObjectOpensPlaysAndClosesItsDevice) {
  MediaHost host;
  host.Run("MCIObject(\"Label\",\"play\")");  // not an MCI object
  EXPECT_EQ(host.media.devices.OpenCount(), 0u);
  host.Run("MCIObject(\"Intro\",\"PLAY\")");
  ASSERT_TRUE(host.media.devices.IsOpen("intro"));
  EXPECT_EQ(host.media.devices.Send("status intro mode").answer, "playing");
  host.Run("MCIObject(\"Intro\",\"Pause\")");
  EXPECT_EQ(host.media.devices.Send("status intro mode").answer, "paused");
  host.Run("MCIObject(\"Intro\",\"close\")");
  EXPECT_FALSE(host.media.devices.IsOpen("intro"));
}

TEST(MciObjects, SendsTheOpenStringsOfWaveAndPictureDevices) {
  const struct {
    const char* file;
    const char* verb;
    std::vector<std::string> sent;
  } cases[] = {
      {"intro.wav", "play", {"open C:\\intro.wav alias M", "play M"}},
      {"clip.avi",
       "Stop",
       {"open C:\\clip.avi alias M style child parent 9", "put M window at 10 20 100 50",
        "window M state hide", "stop M"}},
      {"a.wav",
       "open",
       {"open C:\\a.wav alias M style child parent 9", "put M window at 10 20 100 50",
        "window M state hide"}},
      {"", "play", {}},
      {"x.WAV", "close", {}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> sent;
    MciObjects objects([&sent](std::string_view command) {
      sent.emplace_back(command);
      return MciReply{};
    });
    ObjectRecord object = Object(kObjMci, "M", c.file);
    objects.Command(object, c.verb, std::string("C:\\") + c.file, 9);
    EXPECT_EQ(sent, c.sent) << c.file << " " << c.verb;
  }
}

TEST(MciObjects, OpensOnceAndClosesThePageObjects) {
  std::vector<std::string> sent;
  MciObjects objects([&sent](std::string_view command) {
    sent.emplace_back(command);
    return MciReply{};
  });
  PageRecord page;
  page.objects = {Object(kObjMci, "A", "aa.wav"), Object(kObjMci, "B", "bb.wav"),
                  Object(kObjText, "C", "cc.wav")};
  objects.Command(page.objects[0], "play", "aa.wav", 0);
  objects.Command(page.objects[0], "stop", "aa.wav", 0);
  EXPECT_TRUE(objects.IsOpen(page.objects[0]));
  objects.ClosePage(page);
  EXPECT_FALSE(objects.IsOpen(page.objects[0]));
  EXPECT_EQ(sent, (std::vector<std::string>{"open aa.wav alias A", "play A", "stop A", "stop A",
                                            "close A"}));
}

}  // namespace
}  // namespace qlm
