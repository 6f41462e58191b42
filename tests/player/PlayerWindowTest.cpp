#include "player/PlayerWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "document/DocumentFixtures.h"
#include "document/Inflate.h"
#include "document/ProjectWriter.h"
#include "platform/Display.h"
#include "platform/ProfileStore.h"
#include "platform/host/DiskFileSystem.h"
#include "script/EvaluatorSyntaxChecker.h"
#include "script/ScriptCompiler.h"
#include "support/ProjectFiles.h"
#include "support/RecordingDialogs.h"

namespace qlm {
namespace {

namespace fs = std::filesystem;

// Time moves only when the test says so.
class TestLoop : public EventLoop {
 public:
  TestLoop() : EventLoop(clock_) {}
  void Run(uint64_t ms) {
    const uint64_t end = clock_.TickCount() + ms;
    for (;;) {
      Pump();
      const auto next = NextTimerDue();
      if (!next || *next > end || QuitRequested())
        break;
      clock_.AdvanceTo(*next);
    }
    clock_.AdvanceTo(end);
    Pump();
  }

 protected:
  void WaitForEvents(uint64_t deadline) override { clock_.AdvanceTo(deadline); }

 private:
  VirtualClock clock_;
};

class TestDisplay : public Display {
 public:
  void Present(const Surface&, int, int, int, int) override { ++presents; }
  void SetTitle(const std::string& t) override { title = t; }
  void SetClientSize(int w, int h) override {
    width = w;
    height = h;
  }
  int ClientWidth() const override { return width; }
  int ClientHeight() const override { return height; }
  void SetPosition(int x, int y) override {
    left = x;
    top = y;
  }
  int Left() const override { return left; }
  int Top() const override { return top; }
  void SetDecorations(bool, bool) override {}
  void SetTopmost(bool) override {}
  void SetMinimized(bool m) override { minimized = m; }
  bool IsMinimized() const override { return minimized; }
  void RequestFullScreen(int w, int h) override { fullScreen = {w, h}; }
  ScreenMetrics Screen() const override { return screen; }

  ScreenMetrics screen;
  std::string title;
  int width = 0, height = 0, left = -1, top = -1, presents = 0;
  bool minimized = false;
  std::pair<int, int> fullScreen{0, 0};
};

class MemoryProfile : public ProfileStore {
 public:
  int GetInt(const std::string& s, const std::string& e, int fallback) const override {
    auto it = values.find(s + "/" + e);
    return it == values.end() ? fallback : std::stoi(it->second);
  }
  std::string GetString(const std::string& s, const std::string& e,
                        const std::string& fallback) const override {
    auto it = values.find(s + "/" + e);
    return it == values.end() ? fallback : it->second;
  }
  bool WriteInt(const std::string& s, const std::string& e, int v) override {
    values[s + "/" + e] = std::to_string(v);
    return true;
  }
  bool WriteString(const std::string& s, const std::string& e, const std::string& v) override {
    values[s + "/" + e] = v;
    return true;
  }
  std::map<std::string, std::string> values;
};

// Windows paths are host paths below a root; backslashes become slashes.
class RootFiles : public DiskFileSystem {
 public:
  explicit RootFiles(fs::path root) : root_(std::move(root)) {}
  fs::path ToHost(const std::string& windowsPath) const override {
    if (windowsPath.starts_with('/'))
      return windowsPath;  // a host path already
    std::string p = windowsPath;
    for (char& c : p)
      if (c == '\\')
        c = '/';
    if (p.size() > 1 && p[1] == ':')
      p = p.substr(2);
    return root_ / fs::path(p).relative_path();
  }
  std::string ToWindows(const fs::path& hostPath) const override {
    return "C:" + hostPath.string();
  }

 private:
  fs::path root_;
};

// One player with all its services: two of these live side by side in one test.
struct Player {
  explicit Player(const fs::path& root, uint64_t imageCacheBytes = 256ull << 20)
      : files(root), context{loop, display, dialogs, profile, files, {}, CodePage(), nullptr, 7u} {
    context.folders.embedded = "C:\\Temp\\QLMPlayer\\";
    context.imageCacheBytes = imageCacheBytes;
    window = std::make_unique<PlayerWindow>(context);
    loop.SetHandler(window.get());
  }
  ~Player() { loop.SetHandler(nullptr); }

  double Number(const std::string& name) {
    double v = 0;
    window->Variables().GetNumber(name, v);
    return v;
  }
  std::string Text(const std::string& name) {
    std::string t;
    window->Variables().GetText(name, t);
    return t;
  }

  TestLoop loop;
  TestDisplay display;
  test::RecordingDialogs dialogs;
  MemoryProfile profile;
  RootFiles files;
  PlayerContext context;
  std::unique_ptr<PlayerWindow> window;
};

ScriptBody Compile(const std::string& text) {
  EvaluatorSyntaxChecker checker;
  test::RecordingDialogs dialogs;
  ScriptCompiler compiler(checker, dialogs);
  ScriptBody body;
  EXPECT_TRUE(compiler.CompileScript(body, text, true)) << text;
  return body;
}

ObjectRecord ScriptObject(const std::string& name, const std::string& script) {
  ObjectRecord o = ObjectRecord::Fresh();
  o.typeCode = kObjScript;
  o.extended = true;
  o.name = name;
  o.rect = {10, 10, 30, 30};
  o.scripts[2] = Compile(script);
  return o;
}

Project ThreePages() {
  Project p;
  p.settings.title = "Three";
  p.settings.clientWidth = 320;
  p.settings.clientHeight = 200;
  for (const char* name : {"One", "Two", "Three"}) {
    PageRecord page;
    page.name = name;
    p.pages.push_back(std::move(page));
  }
  p.pages[0].enterScript = Compile("entered$='One'");
  p.pages[1].enterScript = Compile("entered$='Two'");
  p.pages[2].enterScript = Compile("entered$='Three'");
  p.pages[0].objects.push_back(ScriptObject("Hello", "hello=hello+1"));
  p.storedPageCount = 3;
  return p;
}

class PlayerWindowTest : public ::testing::Test {
 protected:
  fs::path Root(const std::string& name) {
    const fs::path root = fs::path(QLM_BINARY_DIR) / "player-window-test" /
                          ::testing::UnitTest::GetInstance()->current_test_info()->name() / name;
    fs::remove_all(root);
    fs::create_directories(root);
    return root;
  }
};

TEST_F(PlayerWindowTest, TwoPlayersInOneProcessShareNothing) {
  Player a(Root("a")), b(Root("b"));
  ASSERT_TRUE(a.window->OpenProject(ThreePages()));
  ASSERT_TRUE(b.window->OpenProject(ThreePages()));
  a.window->Initialize();
  b.window->Initialize();

  a.window->RunScriptText("x=1\r\nPageTimer(\"100\",\"Three\")");
  b.window->RunScriptText("x=2");
  a.loop.Run(100);
  b.loop.Run(100);

  EXPECT_EQ(a.Number("x"), 1);
  EXPECT_EQ(b.Number("x"), 2);
  EXPECT_EQ(a.window->Pages().CurrentPage()->name, "Three");
  EXPECT_EQ(a.Text("entered$"), "Three");
  EXPECT_EQ(b.window->Pages().CurrentPage()->name, "One");
  EXPECT_EQ(b.Text("entered$"), "One");
}

TEST_F(PlayerWindowTest, FailedOpenKeepsTheRunningProject) {
  Player p(Root("p"));
  ASSERT_TRUE(p.window->OpenProject(ThreePages()));
  p.window->Initialize();
  p.window->RunScriptText("Page(\"Two\")\r\nkept=5");
  const fs::path bad = Root("files") / "bad.qmd";
  std::ofstream(bad) << "not a project at all";

  struct Case {
    fs::path path;
    bool quiet;
    LoadStatus status;
    size_t messages;
  } cases[] = {
      {bad.parent_path() / "missing.qmd", true, LoadStatus::CannotOpen, 0},
      {bad.parent_path() / "missing.qmd", false, LoadStatus::CannotOpen, 1},
      {bad, true, LoadStatus::NotQmd, 1},
  };
  for (const Case& c : cases) {
    p.dialogs.boxes.clear();
    p.window->SetQuietOpen(c.quiet);
    EXPECT_FALSE(p.window->OpenDocument(c.path.string())) << c.path;
    EXPECT_EQ(p.window->LastLoadStatus(), c.status) << c.path;
    EXPECT_EQ(p.dialogs.boxes.size(), c.messages) << c.path;
    EXPECT_EQ(p.window->Pages().CurrentPage()->name, "Two");
    EXPECT_EQ(p.window->Pages().Pages().size(), 3u);
    EXPECT_EQ(p.Number("kept"), 5);
  }
  EXPECT_EQ(p.dialogs.boxes.size(), 1u);
  p.dialogs.boxes.clear();
  p.window->SetQuietOpen(false);
  p.window->OpenDocument((bad.parent_path() / "missing.qmd").string());
  ASSERT_EQ(p.dialogs.boxes.size(), 1u);
  EXPECT_EQ(p.dialogs.boxes[0].text.rfind("Cannot find the file\n", 0), 0u);
}

// Three pages with a packed background and an image object each; the third background's
// stream is damaged.
Project PicturePages() {
  Project p = ThreePages();
  for (size_t i = 0; i < p.pages.size(); ++i) {
    PageRecord& page = p.pages[i];
    page.hasImage = 1;
    page.image.form = ImageForm::Zlib;
    page.image.image = test::Gradient(320, 200, static_cast<uint8_t>(i));
    ObjectRecord picture = ObjectRecord::Fresh();
    picture.typeCode = kObjImage;
    picture.name = "Picture";
    picture.rect = {40, 30, 104, 78};
    picture.stateImages[1] =
        test::MarkedImage(0, ImageForm::Zlib, 64, 48, static_cast<uint8_t>(9 * i));
    page.objects.push_back(std::move(picture));
  }
  return p;
}

TEST_F(PlayerWindowTest, PicturesDecodedWhenDrawnShowWhatDecodedOnesShow) {
  const fs::path root = Root("files");
  const fs::path file = root / "pictures.qmd";
  std::vector<uint8_t> bytes = WriteProject(PicturePages(), 29);
  // The third background's zlib stream claims one pixel row more than it holds.
  const Image24 third = test::Gradient(320, 200, 2);
  const std::vector<uint8_t> stream = DeflateZlib(third.pixels);
  const auto at = std::search(bytes.begin(), bytes.end(), stream.begin(), stream.end());
  ASSERT_NE(at, bytes.end());
  // The height stands 12 bytes before the stream's length: width, height, marker, length.
  auto height = at - 12;
  ASSERT_EQ(*height, 200);
  *height = 201;
  ASSERT_TRUE(WriteFileAtomically(
      file, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));

  // One player reads every picture at once, the other when drawn, with room for one page only.
  test::RecordingDialogs loadDialogs;
  LoadContext eager(loadDialogs);
  LoadResult decoded = LoadProjectFromMemory(bytes, eager);
  ASSERT_TRUE(decoded.Ok());
  EXPECT_EQ(loadDialogs.Texts(), std::vector<std::string>{"Uncompress failed"});
  Player a(Root("a")), b(Root("b"), 320 * 200 * 3 + 64 * 48 * 3);
  ASSERT_TRUE(a.window->OpenProject(std::move(decoded.project)));
  ASSERT_TRUE(b.window->OpenDocument(file.string()));
  EXPECT_TRUE(b.dialogs.boxes.empty());
  a.window->Initialize();
  b.window->Initialize();
  bool thirdShown = false;
  for (const std::string page : {"One", "Two", "Three", "Two", "One"}) {
    SCOPED_TRACE(page);
    for (Player* p : {&a, &b}) {
      p->window->RunScriptText("Page(\"" + page + "\")");
      p->loop.Run(10);
    }
    EXPECT_EQ(b.window->Frame().ToImage24(), a.window->Frame().ToImage24());
    // The damage shows when the damaged page is first drawn, and only then.
    thirdShown = thirdShown || page == "Three";
    EXPECT_EQ(b.dialogs.Texts().size(), thirdShown ? 1u : 0u);
  }
  EXPECT_EQ(b.dialogs.Texts(), std::vector<std::string>{"Uncompress failed"});
}

// The document is cut short on disc while it is shown. Whatever was not read before is lost:
// the page comes up empty with a message, and nothing touches the mapping past the file's end.
TEST_F(PlayerWindowTest, ADocumentCutShortWhileShownShowsWhatIsLostEmpty) {
  const fs::path file = Root("files") / "pictures.qmd";
  ASSERT_TRUE(test::WriteProjectFile(file, PicturePages(), 29));
  Player p(Root("p"));
  ASSERT_TRUE(p.window->OpenDocument(file.string()));
  p.window->Initialize();
  p.loop.Run(10);
  fs::resize_file(file, fs::file_size(file) / 4);
  for (const std::string page : {"Two", "Three"}) {
    p.window->RunScriptText("Page(\"" + page + "\")");
    p.loop.Run(10);
    EXPECT_EQ(p.window->Pages().CurrentPage()->name, page);
  }
  ASSERT_FALSE(p.dialogs.Texts().empty());
  for (const std::string& text : p.dialogs.Texts())
    EXPECT_EQ(text, "This file is corrupted");
  const Image24 frame = p.window->Frame().ToImage24();
  EXPECT_TRUE(
      std::all_of(frame.pixels.begin(), frame.pixels.end(), [](uint8_t v) { return v == 0xFF; }));
}

TEST_F(PlayerWindowTest, RememberedPositionIsReadAtStartAndSavedOnClose) {
  struct Case {
    std::optional<std::pair<int, int>> stored;
    int x, y;
  } cases[] = {
      {std::nullopt, (1024 - 320) / 2, (768 - 200) / 2},  // nothing stored: centred
      {std::pair{-1, 50}, (1024 - 320) / 2, (768 - 200) / 2},
      {std::pair{40, 50}, 40, 50},
  };
  for (const Case& c : cases) {
    Player p(Root("p"));
    Project project = ThreePages();
    project.settings.rememberPosition = 1;
    project.settings.profileSection = "Show";
    if (c.stored) {
      p.profile.WriteInt("Show", "X", c.stored->first);
      p.profile.WriteInt("Show", "Y", c.stored->second);
    }
    ASSERT_TRUE(p.window->OpenProject(std::move(project)));
    p.window->Initialize();
    p.loop.Run(0);  // the deferred move
    EXPECT_EQ(p.display.Left(), c.x);
    EXPECT_EQ(p.display.Top(), c.y);

    p.display.SetPosition(77, 88);
    p.window->CloseOk();
    EXPECT_TRUE(p.loop.QuitRequested());
    EXPECT_EQ(p.profile.GetInt("Show", "X", 0), 77);
    EXPECT_EQ(p.profile.GetInt("Show", "Y", 0), 88);
  }
}

TEST_F(PlayerWindowTest, ResolutionChangeBecomesAFullScreenRequest) {
  struct Case {
    int screenWidth;
    uint32_t index;
    bool alwaysChange;
    bool changes;
  } cases[] = {
      {800, 1, false, false},  // equal widths never change
      {800, 1, true, false},
      {1024, 1, false, true},  // a wider screen changes
      {1024, 1, true, true},
      {640, 1, false, false},  // a narrower one only when asked to change always
      {640, 1, true, true},
      {1024, 7, true, false},  // no such resolution
  };
  for (const Case& c : cases) {
    Player p(Root("p"));
    p.display.screen.width = c.screenWidth;
    Project project = ThreePages();
    project.settings.changeResolution = 1;
    project.settings.resolutionIndex = c.index;
    project.settings.alwaysChange = c.alwaysChange;
    ASSERT_TRUE(p.window->OpenProject(std::move(project)));
    p.window->Initialize();
    EXPECT_EQ(p.window->DisplayChanged(), c.changes) << c.screenWidth << " " << c.alwaysChange;
    EXPECT_EQ(p.display.fullScreen.first, c.changes ? 800 : 0);
    p.window->ShutDown();
    EXPECT_EQ(p.display.fullScreen.first, 0) << "the display is given back";
  }
}

TEST_F(PlayerWindowTest, EmbeddedFilesAreWrittenInsideTheirFolderOnly) {
  const fs::path root = Root("p");
  Player p(root);
  Project project = ThreePages();
  auto sound = [](uint32_t kind, std::string name) {
    EmbeddedSound s;
    s.kind = kind;
    s.name = std::move(name);
    s.data.bytes = {'d', 'a', 't', 'a'};
    return s;
  };
  project.sounds = {sound(10, "logo.txt"), sound(3, "tune.mid"), sound(12, "..\\..\\evil.txt"),
                    sound(11, "../evil2.txt"), sound(10, "..")};
  ASSERT_TRUE(p.window->OpenProject(std::move(project)));

  const fs::path folder = root / "Temp" / "QLMPlayer";
  EXPECT_TRUE(fs::exists(folder / "logo.txt"));
  EXPECT_FALSE(fs::exists(folder / "tune.mid")) << "sound kinds below 10 are the media's";
  EXPECT_FALSE(fs::exists(root / "evil.txt"));
  EXPECT_FALSE(fs::exists(root / "Temp" / "evil2.txt"));
  EXPECT_EQ(p.dialogs.boxes.size(), 3u) << "each refused name is reported";
  EXPECT_EQ(p.window->WrittenEmbeddedFiles().size(), 1u);

  p.window->ShutDown();
  EXPECT_FALSE(fs::exists(folder / "logo.txt")) << "temporary copies go at shut-down";
}

TEST_F(PlayerWindowTest, PrivateMessagesReachPagesAndScripts) {
  Player p(Root("p"));
  ASSERT_TRUE(p.window->OpenProject(ThreePages()));
  p.window->Initialize();
  using namespace player_message;
  struct Case {
    WindowMessage message;
    std::string page;
  } cases[] = {
      {{kHtmlLink, 0, 0, {"page:next"}}, "Two"},
      {{kHtmlLink, 0, 0, {"page:last"}}, "Three"},
      {{kHtmlLink, 0, 0, {"page:back"}}, "Two"},
      {{kHtmlLink, 0, 0, {"page:One"}}, "One"},
      {{kHtmlLink, 0, 0, {"script:Hello"}}, "One"},
      {{kRunScriptText, 1, 0, {"viaMessage=3"}}, "One"},
      // An activation from an executable of another name changes nothing.
      {{kActivation, 0, 0, {"OTHER.EXE", "x.qmd y"}}, "One"},
  };
  for (const Case& c : cases) {
    p.loop.PostMessage(c.message);
    p.loop.Run(0);
    EXPECT_EQ(p.window->Pages().CurrentPage()->name, c.page)
        << (c.message.texts.empty() ? "" : c.message.texts[0]);
  }
  EXPECT_EQ(p.Number("hello"), 1);
  EXPECT_EQ(p.Number("viaMessage"), 3);
  EXPECT_EQ(p.Text("CmdLineParam$[0]"), "0");
}

TEST_F(PlayerWindowTest, ActivationPublishesTheCommandLineAndOpensTheDocument) {
  const fs::path root = Root("p");
  Player p(root);
  p.window->SetExeFileName("SHOW.EXE");
  ASSERT_TRUE(p.window->OpenProject(ThreePages()));
  p.window->Initialize();
  Project next = ThreePages();
  next.pages[0].name = "Next";
  const fs::path doc = root / "next.qmd";
  ASSERT_TRUE(test::WriteProjectFile(doc, next, 29));

  p.loop.PostMessage({player_message::kActivation, 0, 0, {"SHOW.EXE", doc.string() + " arg"}});
  p.loop.Run(0);
  EXPECT_EQ(p.Text("CmdLineParam$[0]"), "2");
  EXPECT_EQ(p.Text("CmdLineParam$[2]"), "arg");
  EXPECT_EQ(p.window->Pages().CurrentPage()->name, "One") << "the open waits for timer 999";

  p.loop.Run(100);
  EXPECT_EQ(p.window->Pages().CurrentPage()->name, "Next");
  EXPECT_EQ(p.Text("CBK_PageName"), "Next");
}

}  // namespace
}  // namespace qlm
