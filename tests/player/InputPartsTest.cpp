#include <gtest/gtest.h>

#include <fstream>

#include "InputFixture.h"
#include "golden/GoldenImage.h"
#include "platform/KeyNames.h"
#include "player/ClickAction.h"
#include "player/CursorTable.h"
#include "player/KeyShortcut.h"

namespace qlm::test {
namespace {

TEST(KeyName, CodesArrowsAndOverrides) {
  struct Case {
    uint32_t vk;
    HeldArrows arrows;
    const char* name;
  } cases[] = {
      {'Q', {}, "Q"},
      {'Q', {.down = true}, "DOWN"},
      {'Q', {.down = true, .right = true}, "RIGHT"},  // the last one tested wins
      {'Q', {.up = true, .left = true}, "LEFT"},
      {vk::kDown, {.down = true}, "DOWN"},
      {113, {}, "Q"},  // F2 has no name of its own: its code is the letter q
      {vk::kF1, {.down = true}, "F1"},
      {vk::kReturn, {.up = true}, "ENTER"},
      {vk::kBack, {}, "BACK"},
      {vk::kTab, {}, "TAB"},
      {vk::kEscape, {}, "ESC"},
      {vk::kSpace, {}, "SPACE"},
      {vk::kPrior, {}, "PAGEUP"},
      {vk::kNext, {}, "PAGEDOWN"},
      {vk::kEnd, {}, "END"},
      {vk::kHome, {}, "HOME"},
      {vk::kInsert, {}, "INSERT"},
      {vk::kDelete, {}, "DELETE"},
      {vk::kNumPad0, {}, "0"},
      {vk::kNumPad0 + 9, {.down = true}, "9"},
      {0x6A, {}, "J"},  // the keypad's * is the letter j
      {vk::kShift, {}, ""},
      {'7', {}, "7"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FormKeyName(c.vk, c.arrows), c.name) << c.vk;
}

TEST(GridCell, CellsOfImageSizeOrOfTheRectangle) {
  ObjectRecord grid = ObjectRecord::Fresh();
  grid.typeCode = kObjGrid;
  grid.rect = {10, 10, 100, 100};
  grid.values[1] = 4;
  grid.values[2] = 2;
  grid.stateImages[1].present = true;
  grid.stateImages[1].stored.data.image = Image24{16, 8, std::vector<uint8_t>(16 * 8 * 3)};
  struct Case {
    int x, y;
    std::optional<std::pair<int, int>> cell;
  } cases[] = {
      {10, 10, std::pair{0, 0}}, {25, 17, std::pair{0, 0}}, {26, 18, std::pair{1, 1}},
      {73, 25, std::pair{3, 1}}, {74, 10, std::nullopt},    {10, 26, std::nullopt},
      {9, 10, std::nullopt},
  };
  for (const Case& c : cases) {
    const auto cell = GridCellAt(grid, c.x, c.y);
    ASSERT_EQ(cell.has_value(), c.cell.has_value()) << c.x << "," << c.y;
    if (cell) {
      EXPECT_EQ(cell->column, c.cell->first);
      EXPECT_EQ(cell->row, c.cell->second);
    }
  }
  grid.values[1] = 0;
  EXPECT_FALSE(GridCellAt(grid, 10, 10));
}

TEST(ClickAction, StartPageOfParameters) {
  EXPECT_EQ(StartPageOf("Intro"), "Intro");
  EXPECT_EQ(StartPageOf("  Intro"), "Intro");
  EXPECT_EQ(StartPageOf("x, Intro,More"), "Intro,More");
  EXPECT_EQ(StartPageOf("x,"), "");
}

TEST(Bubble, WaitsHalfASecondAndTracksFivePixels) {
  InputLoop loop;
  FontCache fonts;
  CodePage codePage;
  std::vector<IntRect> repaints;
  CBubble bubble(loop, fonts, codePage, [&](const IntRect& r) { repaints.push_back(r); });
  bubble.SetClientSize(300, 200);
  struct Timers : EventHandler {
    explicit Timers(CBubble& b) : bubble(b) {}
    void OnTimer(uint32_t id) override { EXPECT_TRUE(bubble.OnTimer(id)); }
    void OnMessage(const WindowMessage&) override {}
    CBubble& bubble;
  } timers(bubble);
  loop.SetHandler(&timers);
  bubble.Show("Tip", 50, 40);
  loop.Run(499);
  EXPECT_FALSE(bubble.Visible());
  loop.PostInput(WindowMessage{});  // nothing for the bubble
  loop.Run(1);
  ASSERT_TRUE(bubble.Visible());
  ASSERT_EQ(repaints.size(), 1u);
  EXPECT_EQ(repaints[0].top, 40 + CBubble::kDropBelow);
  // Within 5 pixels both ways the anchor follows; the same text changes nothing.
  bubble.Track(55, 35);
  bubble.Show("Tip", 55, 35);
  EXPECT_TRUE(bubble.Visible());
  EXPECT_EQ(bubble.Anchor(), (IntPoint{55, 35}));
  bubble.Track(61, 35);
  EXPECT_FALSE(bubble.Visible());
  EXPECT_FALSE(bubble.Active());
  EXPECT_EQ(repaints.size(), 2u);
  // Another text while one is shown replaces it at once.
  bubble.Show("One", 10, 10);
  loop.Run(500);
  bubble.Show("Two", 20, 20);
  EXPECT_TRUE(bubble.Visible());
  EXPECT_EQ(bubble.Text(), "Two");
  // Hidden while waiting: the timer goes too.
  bubble.Hide();
  bubble.Show("Three", 20, 20);
  bubble.Hide();
  loop.Run(1000);
  EXPECT_FALSE(bubble.Visible());
  loop.SetHandler(nullptr);
}

TEST(Bubble, ShownOverAnObjectWithATipAndGoneWhenPressed) {
  Project project = Pages({"One"}, 200, 120);
  project.pages[0].backgroundColour = 0x808080;
  ObjectRecord box = Object(kObjRectangle, "Box", {20, 20, 120, 60});
  box.colours[1] = 0xC08040;
  box.values[1] = 3;
  box.hasSecondText = 1;
  box.secondText = "Press here\nto start";
  project.pages[0].objects.push_back(std::move(box));
  InputPlayer p(std::move(project));
  p.Move(40, 30);
  p.loop.Run(499);
  EXPECT_FALSE(p.window->Bubble().Visible());
  p.Move(44, 34);  // 4 pixels: still waiting, anchored here now
  p.loop.Run(1);
  ASSERT_TRUE(p.window->Bubble().Visible());
  p.loop.Run(10);
  const Surface& frame = p.window->Frame();
  EXPECT_EQ(frame.Pixel(44 + 2, 34 + CBubble::kDropBelow + 2),
            Surface::FromColorRef(CBubble::kBackground));
  EXPECT_TRUE(MatchesGolden(frame, "bubble"));
  p.Down(44, 34);
  p.loop.Run(10);
  EXPECT_FALSE(p.window->Bubble().Visible());
  EXPECT_EQ(p.window->Frame().Pixel(44 + 2, 34 + CBubble::kDropBelow + 2),
            Surface::FromColorRef(0xC08040));
}

// A 32 x 32 monochrome cursor: a black square at (4..11, 4..11) on a transparent ground, hot
// spot (5, 6).
std::vector<uint8_t> MonochromeCursor() {
  std::vector<uint8_t> f;
  auto u16 = [&](uint32_t v) { f.insert(f.end(), {uint8_t(v), uint8_t(v >> 8)}); };
  auto u32 = [&](uint32_t v) {
    f.insert(f.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
  };
  const uint32_t dibSize = 40 + 8 + 32 * 4 + 32 * 4;
  u16(0), u16(2), u16(1);
  f.insert(f.end(), {32, 32, 2, 0});
  u16(5), u16(6), u32(dibSize), u32(22);
  u32(40), u32(32), u32(64), u16(1), u16(1), u32(0), u32(0), u32(0), u32(0), u32(2), u32(0);
  u32(0x000000), u32(0xFFFFFF);       // palette: black, white
  for (int row = 0; row < 32; ++row)  // colour: all black
    u32(0);
  for (int row = 31; row >= 0; --row) {  // AND mask, bottom row first: 1 = transparent
    uint32_t bits = 0xFFFFFFFF;
    if (row >= 4 && row < 12)
      bits = 0xF00FFFFF;  // columns 4..11 opaque (bytes are big-endian bit order)
    f.insert(f.end(),
             {uint8_t(bits >> 24), uint8_t(bits >> 16), uint8_t(bits >> 8), uint8_t(bits)});
  }
  return f;
}

TEST(CursorFile, DecodesTheMaskAndRefusesDamage) {
  const std::vector<uint8_t> file = MonochromeCursor();
  const auto image = DecodeCursorFile(file);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 32);
  EXPECT_EQ(image->height, 32);
  EXPECT_EQ(image->hotX, 5);
  EXPECT_EQ(image->hotY, 6);
  EXPECT_EQ(image->argb[4 * 32 + 4], 0xFF000000u);
  EXPECT_EQ(image->argb[11 * 32 + 11], 0xFF000000u);
  EXPECT_EQ(image->argb[3 * 32 + 4], 0u);
  EXPECT_EQ(image->argb[4 * 32 + 12], 0u);

  std::vector<uint8_t> truncated(file.begin(), file.end() - 200);
  EXPECT_FALSE(DecodeCursorFile(truncated));
  std::vector<uint8_t> farOffset = file;
  farOffset[18] = 0xFF;  // the image lies beyond the end
  EXPECT_FALSE(DecodeCursorFile(farOffset));
  std::vector<uint8_t> huge = file;
  huge[22 + 5] = 0x10;  // width 4096
  EXPECT_FALSE(DecodeCursorFile(huge));
  EXPECT_FALSE(DecodeCursorFile({}));
}

TEST(Cursors, ObjectNumbersSelectEntriesProjectCursorsOnlyWhenEmbedded) {
  for (const bool embedded : {true, false}) {
    SCOPED_TRACE(embedded);
    Project project = Pages({"One"});
    auto add = [&](int32_t kind, const char* name, int x, uint32_t cursor) {
      ObjectRecord o = Object(kind, name, {x, 10, x + 20, 30});
      o.values[18] = cursor;
      project.pages[0].objects.push_back(std::move(o));
    };
    add(kObjRectangle, "Own", 10, 3);        // entry 2
    add(kObjTextButton, "Project", 40, 12);  // the first project cursor, entry 11
    add(kObjLine, "Line", 70, 3);            // lines have no cursor of their own
    add(kObjHotSpot, "Plain", 100, 0);
    if (embedded) {
      EmbeddedSound file;
      file.kind = EmbeddedSound::kFirstFileKind;
      file.name = "CURSOR_1.CUR";
      const std::vector<uint8_t> bytes = MonochromeCursor();
      file.data.bytes = bytes;
      project.sounds.push_back(std::move(file));
    }
    InputPlayer p(std::move(project));
    EXPECT_EQ(p.window->Cursors().Has(11), embedded);
    EXPECT_EQ(p.display.cursorImages[11].first, embedded ? 32 : 0);
    struct Step {
      int x;
      int shown;
    } steps[] = {{15, 2}, {45, embedded ? 11 : 2}, {75, -1}, {105, -1}, {190, -1}};
    for (const Step& s : steps) {
      p.Move(s.x, 20);
      EXPECT_EQ(p.window->ShownCursor(), s.shown) << s.x;
    }
  }
}

TEST(PaintCycle, OnePresentOfTheUpdateBoxPerPaint) {
  Project project = Pages({"One"}, 200, 150);
  project.pages[0].backgroundColour = 0x00FF00;
  ObjectRecord box = Object(kObjRectangle, "Box", {20, 20, 60, 60});
  box.colours[1] = 0x0000FF;
  box.values[1] = 3;
  project.pages[0].objects.push_back(std::move(box));
  InputPlayer p(std::move(project));
  ASSERT_FALSE(p.display.presents.empty());
  EXPECT_EQ(p.display.presents.back().w, 200);
  EXPECT_EQ(p.window->Frame().Pixel(30, 30), Surface::FromColorRef(0x0000FF));
  p.display.presents.clear();
  // Two changes before the paint: one present covering both.
  p.window->Invalidate({20, 20, 30, 30}, true);
  p.window->Invalidate({50, 40, 70, 50}, true);
  p.Find("Box").colours[1] = 0xFF0000;
  p.loop.Run(1);
  ASSERT_EQ(p.display.presents.size(), 1u);
  EXPECT_EQ(p.display.presents[0].x, 20);
  EXPECT_EQ(p.display.presents[0].y, 20);
  EXPECT_EQ(p.display.presents[0].w, 50);
  EXPECT_EQ(p.display.presents[0].h, 30);
  // Only the box was composed again.
  EXPECT_EQ(p.window->Frame().Pixel(25, 25), Surface::FromColorRef(0xFF0000));
  EXPECT_EQ(p.window->Frame().Pixel(55, 55), Surface::FromColorRef(0x0000FF));
  // The frame border is drawn inside the client area.
  p.window->SetFrameBorder(true);
  p.window->InvalidateAll(true);
  p.loop.Run(1);
  EXPECT_EQ(p.window->Frame().Pixel(0, 75), 0u);
  EXPECT_EQ(p.window->Frame().Pixel(199, 149), 0u);
  EXPECT_EQ(p.window->Frame().Pixel(1, 75), Surface::FromColorRef(0x00FF00));
}

TEST(PaintCycle, AliasShowsItsHiddenSourceUntilItIsHiddenItself) {
  Project project = Pages({"One", "Two"}, 200, 150);
  ObjectRecord source = Object(kObjRectangle, "Source", {10, 10, 30, 30});
  source.colours[1] = 0x0000FF;
  source.values[1] = 3;
  source.values[10] = 1;
  project.pages[1].objects.push_back(std::move(source));
  ObjectRecord alias = Object(kObjRectangle, "Alias", {100, 50, 120, 70});
  alias.noImages = 1;
  alias.text = "Two::Source";
  project.pages[0].objects.push_back(std::move(alias));
  InputPlayer p(std::move(project));
  EXPECT_EQ(p.window->Frame().Pixel(110, 60), Surface::FromColorRef(0x0000FF));
  EXPECT_EQ(p.window->Frame().Pixel(20, 20), Surface::FromColorRef(0xFFFFFF));
  p.window->RunScriptText("Hide(\"Alias\")");
  p.loop.Run(1);
  EXPECT_EQ(p.window->Frame().Pixel(110, 60), Surface::FromColorRef(0xFFFFFF));
}

TEST(PaintCycle, PressedTextButtonGolden) {
  Project project = Pages({"One"}, 160, 80);
  ObjectRecord push = Object(kObjTextButton, "Push", {10, 10, 150, 40});
  push.text = "Start";
  push.colours[1] = 0xC0C0C0;
  project.pages[0].objects.push_back(std::move(push));
  ObjectRecord flat = Object(kObjTextButton, "Flat", {10, 45, 150, 75});
  flat.text = "Flat";
  flat.values[2] = 1;
  flat.colours[3] = 0x800000;
  flat.values[20] = 0xFFFFFF;
  project.pages[0].objects.push_back(std::move(flat));
  InputPlayer p(std::move(project));
  const Surface atRest = p.window->Frame();
  p.Down(80, 25);
  p.loop.Run(1);
  EXPECT_NE(p.window->Frame(), atRest);
  EXPECT_TRUE(MatchesGolden(p.window->Frame(), "pressed_text_button"));
  p.Up(80, 25);
  p.Move(190, 5);
  p.loop.Run(1);
  EXPECT_EQ(p.window->Frame(), atRest);
}

TEST(WindowShape, PolygonShapesAWindowWithoutTitleBar) {
  for (const bool titleBar : {false, true}) {
    Project project = Pages({"One"});
    project.settings.showTitleBar = titleBar ? 1 : 0;
    project.settings.shapedWindow = 1;
    project.shapePolygon = {{0, 0}, {40, 0}, {0, 40}};
    InputPlayer p(std::move(project));
    EXPECT_EQ(p.display.shape.empty(), titleBar);
  }
}

TEST(BodyDrag, AWindowWithoutTitleBarFollowsThePointer) {
  for (const uint32_t allowed : {1u, 0u}) {
    Project project = Pages({"One"});
    project.settings.showTitleBar = 0;
    project.settings.dragWindow = allowed;
    InputPlayer p(std::move(project));
    p.display.left = 100;
    p.display.top = 100;
    p.Down(10, 10);
    p.Move(25, 18);
    p.Mouse(MouseAction::kLeftUp, 25, 18);
    EXPECT_EQ(p.display.left, allowed ? 115 : 100);
    EXPECT_EQ(p.display.top, allowed ? 108 : 100);
  }
}

}  // namespace
}  // namespace qlm::test
