#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Display.h"
#include "platform/ProfileStore.h"
#include "platform/host/DiskFileSystem.h"
#include "player/PlayerWindow.h"
#include "script/EvaluatorSyntaxChecker.h"
#include "script/ScriptCompiler.h"
#include "support/RecordingDialogs.h"

namespace qlm::test {

// Time moves only when the test says so.
class InputLoop : public EventLoop {
 public:
  InputLoop() : EventLoop(clock_) {}
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

// Records what the player asks of the window: presents, cursors, the shape.
class InputDisplay : public Display {
 public:
  struct PresentCall {
    int x, y, w, h;
  };
  void Present(const Surface&, int x, int y, int w, int h) override {
    presents.push_back({x, y, w, h});
  }
  void SetTitle(const std::string&) override {}
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
  void RequestFullScreen(int, int) override {}
  ScreenMetrics Screen() const override { return {}; }
  void SetShape(const std::vector<ShapeBox>& boxes) override { shape = boxes; }
  void SetCursor(int index) override { cursors.push_back(index); }
  void SetCursorImage(int index, int w, int h, std::span<const uint32_t>, int, int) override {
    cursorImages[index] = {w, h};
  }

  int width = 0, height = 0, left = 0, top = 0;
  bool minimized = false;
  std::vector<PresentCall> presents;
  std::vector<ShapeBox> shape;
  std::vector<int> cursors;
  std::map<int, std::pair<int, int>> cursorImages;
};

class NoProfile : public ProfileStore {
 public:
  int GetInt(const std::string&, const std::string&, int fallback) const override {
    return fallback;
  }
  std::string GetString(const std::string&, const std::string&,
                        const std::string& fallback) const override {
    return fallback;
  }
  bool WriteInt(const std::string&, const std::string&, int) override { return true; }
  bool WriteString(const std::string&, const std::string&, const std::string&) override {
    return true;
  }
};

// Windows paths are host paths below a root.
class UnderRoot : public DiskFileSystem {
 public:
  explicit UnderRoot(std::filesystem::path root) : root_(std::move(root)) {}
  std::filesystem::path ToHost(const std::string& windowsPath) const override {
    std::string p = windowsPath;
    for (char& c : p)
      if (c == '\\')
        c = '/';
    if (p.size() > 1 && p[1] == ':')
      p = p.substr(2);
    return root_ / std::filesystem::path(p).relative_path();
  }
  std::string ToWindows(const std::filesystem::path& hostPath) const override {
    return "C:" + hostPath.string();
  }

 private:
  std::filesystem::path root_;
};

class RecordingEvents : public PlayerEvents {
 public:
  void OnPage(const std::string& name) override { pages.push_back(name); }
  void OnLaunch(const std::string& program, const std::string& options) override {
    launches.push_back({program, options});
  }
  std::vector<std::string> pages;
  std::vector<std::pair<std::string, std::string>> launches;
};

inline ScriptBody CompileScript(const std::string& text) {
  EvaluatorSyntaxChecker checker;
  RecordingDialogs dialogs;
  ScriptCompiler compiler(checker, dialogs);
  ScriptBody body;
  EXPECT_TRUE(compiler.CompileScript(body, text, true)) << text;
  return body;
}

inline ObjectRecord Object(int32_t kind, const std::string& name, IntRect rect,
                           const std::string& clickScript = {}) {
  ObjectRecord o = ObjectRecord::Fresh();
  o.typeCode = kind;
  o.extended = true;
  o.name = name;
  o.rect = rect;
  if (!clickScript.empty())
    o.scripts[2] = CompileScript(clickScript);
  return o;
}

inline Project Pages(std::initializer_list<const char*> names, int w = 200, int h = 150) {
  Project p;
  p.settings.title = "Input";
  p.settings.clientWidth = static_cast<uint32_t>(w);
  p.settings.clientHeight = static_cast<uint32_t>(h);
  for (const char* name : names) {
    PageRecord page;
    page.name = name;
    p.pages.push_back(std::move(page));
  }
  p.storedPageCount = static_cast<uint32_t>(p.pages.size());
  return p;
}

// One initialised player over a test loop, a recording display and recording dialogs.
class InputPlayer {
 public:
  explicit InputPlayer(Project project, const std::string& rootName = "input")
      : files_(Root(rootName)), context{loop, display,    dialogs, profile_, files_,
                                        {},   CodePage(), &events, 7u} {
    context.folders.embedded = "C:\\Temp\\QLMPlayer\\";
    window = std::make_unique<PlayerWindow>(context);
    loop.SetHandler(window.get());
    EXPECT_TRUE(window->OpenProject(std::move(project)));
    window->Initialize();
    loop.Run(20);
  }
  ~InputPlayer() { loop.SetHandler(nullptr); }

  static std::filesystem::path Root(const std::string& name) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::filesystem::path root = std::filesystem::path(QLM_BINARY_DIR) / "input-test" /
                                       info->test_suite_name() / info->name() / name;
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root);
    return root;
  }

  void Mouse(MouseAction action, int x, int y) {
    loop.PostInput(MouseEvent{action, x, y, {}});
    loop.Pump();
  }
  void Move(int x, int y) { Mouse(MouseAction::kMove, x, y); }
  void Down(int x, int y) {
    Move(x, y);
    Mouse(MouseAction::kLeftDown, x, y);
  }
  void Up(int x, int y) {
    Move(x, y);
    Mouse(MouseAction::kLeftUp, x, y);
  }
  void Click(int x, int y) {
    Down(x, y);
    Up(x, y);
  }
  void Key(KeyAction action, uint32_t vk, Modifiers m = {}) {
    loop.PostInput(KeyEvent{action, vk, m});
    loop.Pump();
  }
  void Press(uint32_t vk, Modifiers m = {}) {
    Key(KeyAction::kDown, vk, m);
    Key(KeyAction::kUp, vk, m);
  }

  double Number(const std::string& name) {
    double v = 0;
    window->Variables().GetNumber(name, v);
    return v;
  }
  ObjectRecord& Find(const std::string& qualified) {
    ObjectRecord* o = window->Pages().FindObjectByQualifiedName(qualified);
    EXPECT_NE(o, nullptr) << qualified;
    static ObjectRecord none;
    return o ? *o : none;
  }
  bool Hidden(const std::string& qualified) { return Find(qualified).values[10] != 0; }
  std::string Page() const { return window->Pages().CurrentPage()->name; }

  InputLoop loop;
  InputDisplay display;
  RecordingDialogs dialogs;
  RecordingEvents events;

 private:
  NoProfile profile_;
  UnderRoot files_;

 public:
  PlayerContext context;
  std::unique_ptr<PlayerWindow> window;
};

}  // namespace qlm::test
