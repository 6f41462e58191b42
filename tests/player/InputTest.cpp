#include <gtest/gtest.h>

#include "InputFixture.h"
#include "platform/KeyNames.h"
#include "player/FrameComposer.h"
#include "player/PlayerWindow.h"
#include "support/RecordingDialogs.h"

namespace qlm::test {
namespace {

// A text button on the page under a text button of the Master Layer that overlaps its right
// half.
Project Overlapping() {
  Project p = Pages({"One"});
  p.pages[0].objects.push_back(Object(kObjTextButton, "Under", {10, 10, 110, 60}, "under=under+1"));
  p.masterLayer.objects.push_back(Object(kObjTextButton, "Over", {60, 10, 160, 60}, "over=over+1"));
  return p;
}

TEST(PlayerInput, OnlyThePressedObjectOfTheTopLayerIsClicked) {
  InputPlayer p(Overlapping());
  // Pressed on the Master Layer, released over the page object beneath: no click.
  p.Down(70, 20);
  EXPECT_EQ(p.window->States().HighlightOf(p.Find("Master Layer::Over")), Highlight::Pressed);
  p.Up(20, 20);
  EXPECT_EQ(p.Number("over"), 0);
  EXPECT_EQ(p.Number("under"), 0);
  EXPECT_EQ(p.window->States().HighlightOf(p.Find("Master Layer::Over")), Highlight::Normal);

  p.Click(70, 20);  // both hold the point: the Master Layer's wins
  p.Click(20, 20);
  EXPECT_EQ(p.Number("over"), 1);
  EXPECT_EQ(p.Number("under"), 1);

  // A hidden object is not found: the page object beneath takes the click.
  p.Find("Master Layer::Over").values[10] = 1;
  p.Click(70, 20);
  EXPECT_EQ(p.Number("over"), 1);
  EXPECT_EQ(p.Number("under"), 2);
}

TEST(PlayerInput, PressScriptRunsOnPressClickScriptOnRelease) {
  Project p0 = Pages({"One"});
  ObjectRecord b = Object(kObjButton, "B", {10, 10, 50, 50}, "clicks=clicks+1");
  b.scripts[1] = CompileScript("presses=presses+1\r\nat=clicks");
  p0.pages[0].objects.push_back(std::move(b));
  InputPlayer p(std::move(p0));
  p.Down(20, 20);
  EXPECT_EQ(p.Number("presses"), 1);
  EXPECT_EQ(p.Number("clicks"), 0);
  p.Up(20, 20);
  EXPECT_EQ(p.Number("clicks"), 1);
  EXPECT_EQ(p.Number("at"), 0);
}

TEST(PlayerInput, PressTargetsTakeEffectAndHeldTargetsGoAtReleaseAnywhere) {
  struct Case {
    const char* what;
    uint32_t code;
    bool secondTarget;  // a second target is named (changes effect 9)
    bool startHidden;
    bool hiddenWhileHeld;
    bool hiddenAfterRelease;
  } cases[] = {
      {"0 shows while held", 0, false, true, false, true},
      {"8 shows", 8, false, true, false, false},
      {"10 toggles a hidden one", 10, false, true, false, false},
      {"10 toggles a shown one", 10, false, false, true, true},
      {"9 with a second target hides at once", 9, true, false, true, true},
      {"9 alone hides at release", 9, false, false, false, true},
      {"unknown codes do nothing", 77, false, true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Project project = Pages({"One", "Two"});
    ObjectRecord button = Object(kObjButton, "Btn", {10, 10, 50, 50});
    button.strings[7] = "Target";
    button.values[7] = c.code;
    if (c.secondTarget) {
      button.strings[8] = "Other";
      button.values[8] = 8;
    }
    ObjectRecord target = Object(kObjRectangle, "Target", {100, 10, 150, 50});
    target.values[10] = c.startHidden ? 1 : 0;
    project.pages[0].objects.push_back(std::move(button));
    project.pages[0].objects.push_back(std::move(target));
    project.pages[0].objects.push_back(Object(kObjRectangle, "Other", {100, 80, 150, 120}));
    InputPlayer p(std::move(project));
    p.Down(20, 20);
    EXPECT_EQ(p.Hidden("Target"), c.hiddenWhileHeld);
    p.Up(190, 140);  // released outside the button
    EXPECT_EQ(p.Hidden("Target"), c.hiddenAfterRelease);
  }
}

TEST(PlayerInput, ClickActionCodes) {
  struct Case {
    const char* what;
    uint32_t code;
    const char* target;
    const char* params;
    bool exitAllowed;
    const char* page;  // current page afterwards
    bool scriptRuns;
    bool closed;
    bool minimized;
    bool launched;
  } cases[] = {
      {"none runs the script", 0, "", "", true, "Two", true, false, false, false},
      {"first page", 7, "", "", true, "One", false, false, false, false},
      {"last page", 8, "", "", true, "Three", false, false, false, false},
      {"next page", 9, "", "", true, "Three", false, false, false, false},
      {"previous page", 10, "", "", true, "One", false, false, false, false},
      {"page by name", 11, "One", "", true, "One", false, false, false, false},
      {"minimise", 12, "", "", true, "Two", false, false, true, false},
      {"close", 6, "", "", true, "Two", false, true, false, false},
      {"close not allowed", 6, "", "", false, "Two", false, false, false, false},
      {"launch, then the script", 1, "notepad.exe", "readme.txt", true, "Two", true, false, false,
       true},
      {"another project in a new window", 5, "other.qmd", " new_window, Intro ", true, "Two", true,
       false, false, true},
      {"another project that is missing", 5, "missing.qmd", "Intro", true, "Two", false, false,
       false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Project project = Pages({"One", "Two", "Three"});
    ObjectRecord o = Object(kObjHotSpot, "Act", {10, 10, 60, 60}, "ran=ran+1");
    o.values[0] = c.code;
    o.strings[1] = c.target;
    o.strings[2] = c.params;
    project.pages[1].objects.push_back(std::move(o));
    project.pages[1].objects.push_back(Object(kObjText, "CBK_ReturnVal", {80, 80, 150, 100}));
    InputPlayer p(std::move(project));
    p.window->RunScriptText("Page(\"Two\")");
    p.window->SetExitAllowed(c.exitAllowed);
    p.window->SetQuietOpen(true);
    p.Click(20, 20);
    p.loop.Run(10);
    EXPECT_EQ(p.Page(), c.page);
    EXPECT_EQ(p.Number("ran"), c.scriptRuns ? 1 : 0);
    EXPECT_EQ(p.window->IsClosed(), c.closed);
    EXPECT_EQ(p.display.minimized, c.minimized);
    ASSERT_EQ(p.events.launches.size(), c.launched ? 1u : 0u);
    if (c.launched) {
      EXPECT_EQ(p.Number("CBK_ReturnVal"), 42);
      EXPECT_EQ(p.Find("Two::CBK_ReturnVal").text, "42");
    }
    const bool refused = c.code == 6 && !c.exitAllowed;
    ASSERT_EQ(p.dialogs.boxes.size(), refused ? 1u : 0u);
    if (refused) {
      EXPECT_EQ(p.dialogs.boxes[0].text, "Unable to exit");
    }
  }
}

TEST(PlayerInput, NewWindowPassesTheStartPageOnAndKeepsTheProject) {
  Project project = Pages({"One"});
  ObjectRecord o = Object(kObjHotSpot, "Open", {10, 10, 60, 60});
  o.values[0] = 5;
  o.strings[1] = "<SrcDir>\\other.qmd";
  o.strings[2] = "  NEW_WINDOW,Intro  ";
  project.pages[0].objects.push_back(std::move(o));
  InputPlayer p(std::move(project));
  p.window->SetSourcePath("C:\\Show\\player.exe");
  p.Click(20, 20);
  ASSERT_EQ(p.events.launches.size(), 1u);
  EXPECT_EQ(p.events.launches[0].first, "C:\\Show\\other.qmd");
  EXPECT_EQ(p.events.launches[0].second, "Intro");
  // The parameters are trimmed in the object itself.
  EXPECT_EQ(p.Find("Open").strings[2], "NEW_WINDOW,Intro");
  // "NEW_WINDOWS" is no keyword: the document would replace this project.
  p.Find("Open").strings[2] = "NEW_WINDOWS";
  p.window->SetQuietOpen(true);
  p.Click(20, 20);
  EXPECT_EQ(p.events.launches.size(), 1u);
}

TEST(PlayerInput, ClickOnAGridSetsTheCellFromOne) {
  // 5 x 3 cells of 20 x 20 (no image A: the rectangle split) leave a strip of the 101 x 61
  // rectangle outside the grid.
  struct Case {
    int x, y;
    double column, row;
  } cases[] = {
      {20, 30, 1, 1},
      {20 + 2 * 20 + 3, 30 + 1 * 20 + 19, 3, 2},
      {20 + 99, 30 + 59, 5, 3},
      {20 + 100, 30 + 10, -1, -1},
      {20 + 10, 30 + 60, -1, -1},
  };
  for (const Case& c : cases) {
    Project project = Pages({"One"});
    ObjectRecord grid = Object(kObjGrid, "Grid", {20, 30, 121, 91}, "clicked=MXCOL*10+MXROW");
    grid.values[1] = 5;  // columns
    grid.values[2] = 3;  // rows
    grid.scripts[1] = CompileScript("pressed=MXCOL*10+MXROW");
    project.pages[0].objects.push_back(std::move(grid));
    InputPlayer p(std::move(project));
    p.Down(c.x, c.y);
    EXPECT_EQ(p.Number("pressed"), c.column * 10 + c.row) << c.x << "," << c.y;
    p.Up(c.x, c.y);
    EXPECT_EQ(p.Number("MXCOL"), c.column) << c.x << "," << c.y;
    EXPECT_EQ(p.Number("MXROW"), c.row) << c.x << "," << c.y;
    EXPECT_EQ(p.Number("clicked"), c.column * 10 + c.row) << c.x << "," << c.y;
  }
}

TEST(PlayerInput, ClickCancelsAnIdlePageTimerOnly) {
  for (const char* target : {"IF_IDLE", "Two"}) {
    SCOPED_TRACE(target);
    InputPlayer p(Pages({"One", "Two"}));
    p.window->RunScriptText(std::string("PageTimer(\"100\",\"") + target + "\")");
    p.Click(5, 5);
    p.loop.Run(200);
    EXPECT_EQ(p.Page(), std::string(target) == "IF_IDLE" ? "One" : "Two");
  }
}

TEST(PlayerInput, MouseOverActionsOnTheirTargets) {
  struct Case {
    uint32_t action;
    bool startHidden;
    bool hiddenOver;
    bool hiddenAfterLeave;
    bool scriptRan;
  } cases[] = {
      {0, true, false, true, false},   // shown while over
      {1, true, false, false, false},  // shown, hidden later (timed below)
      {2, true, false, false, false},  // shown and kept
      {3, false, true, true, false},   // hidden and kept
      {4, true, true, true, true},     // the target's script runs
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.action);
    Project project = Pages({"One"});
    ObjectRecord hot = Object(kObjHotSpot, "Hot", {10, 10, 60, 60});
    hot.strings[6] = "Tip";
    hot.values[6] = c.action;
    ObjectRecord tip = Object(kObjRectangle, "Tip", {100, 10, 150, 60}, "ran=ran+1");
    tip.values[10] = c.startHidden ? 1 : 0;
    tip.values[19] = 300;  // the delay of the timed hide
    project.pages[0].objects.push_back(std::move(hot));
    project.pages[0].objects.push_back(std::move(tip));
    InputPlayer p(std::move(project));
    p.Move(20, 20);
    EXPECT_EQ(p.window->States().HighlightOf(p.Find("Hot")), Highlight::Hover);
    EXPECT_EQ(p.Hidden("Tip"), c.hiddenOver);
    p.Move(25, 25);  // the same object again: nothing new happens
    EXPECT_EQ(p.Number("ran"), c.scriptRan ? 1 : 0);
    p.Move(180, 130);
    EXPECT_EQ(p.window->States().HighlightOf(p.Find("Hot")), Highlight::Normal);
    EXPECT_EQ(p.Hidden("Tip"), c.hiddenAfterLeave);
    if (c.action == 1) {
      p.loop.Run(299);
      EXPECT_FALSE(p.Hidden("Tip"));
      p.loop.Run(1);
      EXPECT_TRUE(p.Hidden("Tip"));
    }
  }
}

TEST(PlayerInput, HoverLooksPressedWhileTheButtonIsHeldAndLowerLayersLetGo) {
  InputPlayer p(Overlapping());
  p.Move(20, 20);
  EXPECT_EQ(p.window->States().HighlightOf(p.Find("Under")), Highlight::Hover);
  // The Master Layer takes the pointer: the page object beneath is left.
  p.Move(70, 20);
  EXPECT_EQ(p.window->States().HighlightOf(p.Find("Under")), Highlight::Normal);
  EXPECT_EQ(p.window->States().HighlightOf(p.Find("Master Layer::Over")), Highlight::Hover);
  p.Down(70, 20);
  p.Move(20, 20);  // still held: the object entered looks pressed
  EXPECT_EQ(p.window->States().HighlightOf(p.Find("Under")), Highlight::Pressed);
  p.Up(20, 20);
  EXPECT_EQ(p.Number("under"), 0);
}

TEST(PlayerInput, ShortcutsMatchNameAndModifiersCurrentPageFirst) {
  Project project = Pages({"One"});
  auto shortcut = [](const char* name, const char* key, uint32_t shift, uint32_t enabled,
                     const char* script) {
    ObjectRecord o = Object(kObjScript, name, {0, 0, 0, 0}, script);
    o.strings[6] = key;
    o.imageValues[1] = enabled;
    o.imageValues[2] = shift;
    return o;
  };
  project.pages[0].objects.push_back(shortcut("Help", "F1", 1, 1, "help=help+1"));
  project.pages[0].objects.push_back(shortcut("Off", "X", 0, 0, "off=off+1"));
  project.pages[0].objects.push_back(shortcut("Page", "Q", 0, 1, "q$='page'"));
  project.masterLayer.objects.push_back(shortcut("Layer", "Q", 0, 1, "q$='layer'"));
  project.masterLayer.objects.push_back(shortcut("Down", "DOWN", 0, 1, "down=down+1"));
  project.masterLayer.objects.push_back(shortcut("Esc", "ESC", 0, 1, "esc=esc+1"));
  InputPlayer p(std::move(project));

  p.Press(vk::kF1);
  EXPECT_EQ(p.Number("help"), 0);  // Shift must be held
  p.Press(vk::kF1, {.shift = true, .ctrl = true});
  EXPECT_EQ(p.Number("help"), 0);
  p.Press(vk::kF1, {.shift = true});
  EXPECT_EQ(p.Number("help"), 1);
  p.Press('X');
  EXPECT_EQ(p.Number("off"), 0);  // not enabled
  p.Press('Q');
  std::string q;
  p.window->Variables().GetText("q$", q);
  EXPECT_EQ(q, "page");
  // Q while Down is held is named DOWN.
  p.Key(KeyAction::kDown, vk::kDown);
  EXPECT_EQ(p.Number("down"), 1);
  p.Press('Q');
  EXPECT_EQ(p.Number("down"), 2);
  p.Key(KeyAction::kUp, vk::kDown);
  // Escape taken by a shortcut does not close the window.
  p.Press(vk::kEscape);
  EXPECT_EQ(p.Number("esc"), 1);
  EXPECT_FALSE(p.window->IsClosed());
}

TEST(PlayerInput, EscapeWithoutShortcutCloses) {
  InputPlayer p(Pages({"One"}));
  p.Press(vk::kEscape);
  EXPECT_TRUE(p.window->IsClosed());
}

}  // namespace
}  // namespace qlm::test
