#include "player/WindowInput.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "InputFixture.h"
#include "expr/ExpressionEvaluator.h"
#include "graphics/Font.h"
#include "platform/KeyNames.h"
#include "player/CBubble.h"
#include "script/ScriptRunner.h"

namespace qlm {
namespace {

using test::Object;

// The input of one page on its own: what it asks of the window is written to `calls`, the
// runner behind it is only there for page changes and variables.
class InputRig : public CombinedScriptHost, public WindowInputHost, public EventHandler {
 public:
  explicit InputRig(std::vector<ObjectRecord> objects)
      : bubble(loop, fonts, codePage, [](const IntRect&) {}),
        runner(*this),
        input(pages, states, bubble, display, loop, runner, *this) {
    Project project = test::Pages({"One"});
    project.pages[0].objects = std::move(objects);
    pages.SetProject(std::move(project));
    pages.GoToPage(0);
    loop.SetHandler(this);
  }
  ~InputRig() override { loop.SetHandler(nullptr); }

  void Mouse(MouseAction action, int x, int y) { input.OnMouse(MouseEvent{action, x, y, {}}); }
  PageRecord& Page() { return *pages.CurrentPage(); }

  // WindowInputHost
  void RunObjectScript(const ObjectRecord& object, ScriptSlot slot) override {
    calls.push_back("script " + object.name + " " + std::to_string(static_cast<int>(slot)));
  }
  void InvalidateAll(bool) override { ++repaintedAll; }
  void OpenProjectAction(const std::string& target, const std::string&) override {
    calls.push_back("open " + target);
  }
  void CloseOk() override { calls.push_back("close ok"); }
  void CloseCancel() override { calls.push_back("close cancel"); }
  void SelectListRow(ObjectRecord& list, int, int) override { calls.push_back("row " + list.name); }
  // The window passes on what reaches plug-in objects only.
  void ForwardPluginMouse(ObjectRecord& object, PluginMouse event, int, int) override {
    if (object.typeCode == kObjPlugIn)
      calls.push_back("plugin " + object.name + " " + std::to_string(static_cast<int>(event)));
  }
  void Repaint(const IntRect&) override {}
  void ShowMessage(const std::string& text) override { calls.push_back("message " + text); }
  void Launch(const std::string& program, const std::string&) override {
    calls.push_back("launch " + program);
  }

  // ScriptHost and PageHost
  CPageManager& PageManager() override { return pages; }
  ExpressionEvaluator& Evaluator() override { return evaluator; }
  Dialogs& GetDialogs() override { return dialogs; }
  EventLoop& Loop() override { return loop; }
  bool IsWindowVisible() const override { return true; }
  void Invalidate(const IntRect&, bool) override {}
  void ShowPage() override { calls.push_back("page " + Page().name); }
  void ClosePlayer() override { calls.push_back("close player"); }
  std::string WindowTitle() const override { return "Rig"; }

  // EventHandler
  void OnTimer(uint32_t id) override {
    if (id == window_timer::kOneShot)
      input.FireTimedHides();
    else
      runner.OnTimer(id);
  }
  void OnMessage(const WindowMessage&) override {}
  void OnMouse(const MouseEvent&) override {}
  void OnKey(const KeyEvent&) override {}
  void OnClose() override {}

  test::InputLoop loop;
  test::InputDisplay display;
  test::RecordingDialogs dialogs;
  CPageManager pages;
  ObjectStates states;
  ExpressionEvaluator evaluator;
  FontCache fonts;
  CodePage codePage;
  CBubble bubble;
  ScriptRunner runner;
  WindowInput input;
  std::vector<std::string> calls;
  int repaintedAll = 0;
};

// A script that moves the pressed object within its page's list does not lose the click; an
// object reported gone is clicked no more, even where it still seems to be.
TEST(WindowInput, ThePressedObjectFollowsItsListUntilItGoes) {
  InputRig rig({Object(kObjButton, "Back", {0, 0, 200, 150}),
                Object(kObjButton, "Front", {10, 10, 60, 60})});
  rig.Mouse(MouseAction::kLeftDown, 100, 100);
  // "Back" comes to the front: index 0 becomes 1 and 1 becomes 0.
  std::swap(rig.Page().objects[0], rig.Page().objects[1]);
  rig.input.FollowObjectList(rig.Page(), [](size_t old) { return 1 - old; });
  rig.Mouse(MouseAction::kLeftUp, 100, 100);
  EXPECT_EQ(rig.calls, (std::vector<std::string>{"script Back 1", "script Back 2"}));

  rig.calls.clear();
  rig.Mouse(MouseAction::kLeftDown, 100, 100);
  rig.input.FollowObjectList(rig.Page(), [](size_t) { return std::nullopt; });
  rig.Mouse(MouseAction::kLeftUp, 100, 100);
  EXPECT_EQ(rig.calls, std::vector<std::string>{"script Back 1"});
}

// A playing image that may be dragged follows the pointer from where the last drag left it,
// repainting the whole area; other images stay put. Either is clicked when released over it.
TEST(WindowInput, DraggedImagesFollowThePointerFromWhereTheyWereLeft) {
  for (const bool draggable : {true, false}) {
    InputRig rig({Object(kObjImage, "Picture", {10, 10, 60, 60})});
    ObjectRunState& state = rig.states.Of(rig.Page().objects[0]);
    state.playing = true;
    state.draggable = draggable;
    const uint64_t layout = rig.states.LayoutRevision();
    rig.Mouse(MouseAction::kLeftDown, 20, 20);
    rig.Mouse(MouseAction::kMove, 35, 28);
    rig.Mouse(MouseAction::kLeftUp, 35, 28);
    rig.Mouse(MouseAction::kLeftDown, 40, 40);
    rig.Mouse(MouseAction::kMove, 45, 41);
    rig.Mouse(MouseAction::kLeftUp, 45, 41);
    EXPECT_EQ(state.offsetX, draggable ? 20 : 0);
    EXPECT_EQ(state.offsetY, draggable ? 9 : 0);
    EXPECT_EQ(rig.repaintedAll, draggable ? 2 : 0);
    // The painter's index of where objects lie is made again after a drag.
    EXPECT_EQ(rig.states.LayoutRevision() != layout, draggable);
    EXPECT_EQ(rig.calls, (std::vector<std::string>{"script Picture 1", "script Picture 2",
                                                   "script Picture 1", "script Picture 2"}));
  }
}

// Mouse-over targets hidden after a delay go in the order they fall due, on the one timer;
// forgetting the input forgets the hides still waiting.
TEST(WindowInput, TimedHidesFallDueInOrderUntilForgotten) {
  auto hotSpot = [](const char* name, IntRect rect, const char* target) {
    ObjectRecord o = Object(kObjHotSpot, name, rect);
    o.strings[6] = target;
    o.values[6] = 1;  // shown while over, hidden after the target's delay
    return o;
  };
  auto target = [](const char* name, int32_t delayMs) {
    ObjectRecord o = Object(kObjRectangle, name, {150, 0, 190, 40});
    o.values[10] = 1;
    o.values[19] = delayMs;
    return o;
  };
  for (const bool forget : {false, true}) {
    InputRig rig({hotSpot("Slow", {0, 0, 40, 40}, "SlowTip"),
                  hotSpot("Quick", {50, 0, 90, 40}, "QuickTip"), target("SlowTip", 300),
                  target("QuickTip", 100)});
    auto hidden = [&](const char* name) {
      return CPageManager::FindObjectOnPage(rig.Page(), name)->values[10] != 0;
    };
    rig.Mouse(MouseAction::kMove, 10, 10);
    rig.Mouse(MouseAction::kMove, 60, 10);    // leaves Slow: SlowTip goes at 300
    rig.Mouse(MouseAction::kMove, 120, 100);  // leaves Quick: QuickTip goes at 100
    EXPECT_FALSE(hidden("SlowTip"));
    EXPECT_FALSE(hidden("QuickTip"));
    if (forget)
      rig.input.Forget();
    rig.loop.Run(100);
    EXPECT_EQ(hidden("QuickTip"), !forget);
    EXPECT_FALSE(hidden("SlowTip"));
    rig.loop.Run(200);
    EXPECT_EQ(hidden("SlowTip"), !forget);
    EXPECT_FALSE(rig.loop.HasTimer(window_timer::kOneShot));
  }
}

// The right button reaches the object under it on the current page; Escape that no shortcut
// takes closes the Cancel way.
TEST(WindowInput, RightButtonAndEscapeGoToTheWindow) {
  InputRig rig({Object(kObjPlugIn, "Gadget", {10, 10, 60, 60})});
  rig.Mouse(MouseAction::kRightDown, 20, 20);
  rig.Mouse(MouseAction::kRightUp, 100, 100);
  EXPECT_FALSE(rig.input.RightDown());
  rig.input.OnKey(KeyEvent{KeyAction::kDown, vk::kEscape, {}});
  const std::vector<std::string> expected = {
      "plugin Gadget " + std::to_string(static_cast<int>(PluginMouse::kRightDown)), "close cancel"};
  EXPECT_EQ(rig.calls, expected);
}

}  // namespace
}  // namespace qlm
