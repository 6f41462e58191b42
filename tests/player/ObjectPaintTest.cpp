#include <gtest/gtest.h>

#include <limits>

#include "PaintFixture.h"
#include "document/ObjectFields.h"
#include "golden/GoldenImage.h"

namespace qlm::test {
namespace {

constexpr uint32_t kWhitePixel = 0xFFFFFF;

class ObjectPaintTest : public ::testing::Test, public PaintFixture {
 protected:
  // Room for every object a test adds, so the references Add returns stay valid.
  ObjectPaintTest() { page_.objects.reserve(256); }

  PageRecord page_;
  TestPaintRuntime runtime_;

  ObjectRecord& Add(ObjectRecord o) {
    page_.objects.push_back(std::move(o));
    return page_.objects.back();
  }
  Surface Frame(int w = 320, int h = 240) { return Paint(page_, w, h, runtime_); }
  void State(const std::string& name, Highlight h) { runtime_.states[name].highlight = h; }
};

ObjectRecord TextObject(IntRect r, std::string name, std::string text, uint32_t align = 0) {
  ObjectRecord o = MakeObject(kObjText, r, std::move(name));
  o.text = std::move(text);
  o.values[1] = align;
  o.colours[1] = 0x000000;
  o.colours[2] = 0x0000C0;  // hover: red
  o.colours[3] = 0xC00000;  // pressed: blue
  o.font.height = -14;
  return o;
}

TEST_F(ObjectPaintTest, TextLinesAlignmentAndStates) {
  Add(TextObject({10, 5, 150, 60}, "left", "Left\r\nsecond line\\nthird", 0));
  Add(TextObject({160, 5, 310, 60}, "centre", "Centred\r\ntwo", 1));
  Add(TextObject({10, 65, 150, 125}, "right", "Right\r\naligned", 2));
  ObjectRecord& boxes = Add(TextObject({160, 65, 310, 125}, "boxes", "A\r\nB", 1));
  boxes.values[4] = 1;  // each line centred in its own box
  Add(TextObject({10, 130, 100, 150}, "hover", "Hover"));
  Add(TextObject({110, 130, 200, 150}, "pressed", "Pressed"));
  State("hover", Highlight::Hover);
  State("pressed", Highlight::Pressed);
  ObjectRecord& styled = Add(TextObject({10, 160, 310, 190}, "styled", "Bold italic underlined"));
  styled.font.weight = 700;
  styled.font.italic = 1;
  styled.font.underline = 1;
  styled.font.faceName = "Times New Roman";
  styled.font.height = 20;
  ObjectRecord& latin = Add(TextObject({10, 200, 310, 235}, "latin", "Caf\xE9 \x80 5"));
  latin.font.faceName = "Courier New";
  latin.font.strikeOut = 1;
  Add(TextObject({0, 0, 0, 0}, "empty", ""));
  EXPECT_TRUE(MatchesGolden(Frame(), "text"));
}

TEST_F(ObjectPaintTest, TextIsClippedToItsRectangle) {
  ObjectRecord& o = Add(TextObject({10, 10, 30, 20}, "t", "A long text that does not fit"));
  o.font.height = -30;
  const Surface frame = Frame(100, 60);
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 100; ++x) {
      if (!IntRect{10, 10, 30, 20}.Contains(x, y)) {
        ASSERT_EQ(frame.Pixel(x, y), kWhitePixel) << x << "," << y;
      }
    }
  }
}

TEST(ObjectPainterTextLines, BreaksAtLineFeedsAndBackslashN) {
  struct Case {
    const char* text;
    std::vector<std::string> lines;
  } const cases[] = {
      {"one", {"one"}},
      {"one\r\ntwo", {"one", "two"}},
      {"one\\ntwo\\n", {"one", "two", ""}},
      {"one\ntwo", {"one", "two"}},  // a bare LF keeps the character before it
      {"a\\\\nb", {"a\\", "b"}},
      {"back\\slash", {"back\\slash"}},
      {"", {""}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ObjectPainter::TextLines(c.text), c.lines) << c.text;
}

TEST_F(ObjectPaintTest, RectanglesLinesEllipsesAndPolygons) {
  const uint32_t borders[] = {0, 1, 2, 3};
  for (int i = 0; i < 4; ++i) {
    ObjectRecord& r = Add(Box({10 + i * 75, 10, 70 + i * 75, 50}, 0x80C0FF));
    r.values[1] = borders[i];
    r.colours[2] = 0x800000;
  }
  Add(Box({10, 60, 50, 90}, 0x00A000, "moved"));
  runtime_.states["moved"].offsetX = 20;
  runtime_.states["moved"].offsetY = 5;

  ObjectRecord& down = Add(MakeObject(kObjLine, {100, 60, 160, 100}, "down"));
  down.colours[1] = 0x0000FF;
  ObjectRecord& up = Add(MakeObject(kObjLine, {100, 60, 160, 100}, "up"));
  up.colours[1] = 0xFF0000;
  up.values[2] = 1;

  for (int i = 0; i < 3; ++i) {
    ObjectRecord& e = Add(MakeObject(kObjCircle, {170 + i * 50, 60, 215 + i * 50, 100}, "e"));
    e.colours[1] = 0x40A0A0;
    e.colours[2] = 0x000080;
    e.values[1] = static_cast<uint32_t>(i);
  }
  ObjectRecord& star = Add(MakeObject(kObjPolygon, {20, 110, 120, 210}, "star"));
  star.points1 = {{50, 0}, {79, 90}, {2, 35}, {98, 35}, {21, 90}};
  star.colours[1] = 0x00C0FF;
  star.colours[2] = 0x000000;
  ObjectRecord& plain = Add(MakeObject(kObjPolygon, {140, 110, 240, 210}, "triangle"));
  plain.points1 = {{0, 90}, {50, 0}, {100, 90}};
  plain.colours[1] = 0xA000A0;
  plain.values[1] = 1;  // no outline
  EXPECT_TRUE(MatchesGolden(Frame(), "shapes"));
}

TEST_F(ObjectPaintTest, ImageObjectsStateBStretchAndOpacity) {
  page_.backgroundColour = 0x00FFFF;
  ObjectRecord& a = Add(MakeObject(kObjImage, {10, 10, 42, 42}, "natural"));
  SetImage(a, 1, Picture(32, 32, 0xFF0000, 0x0000FF));
  a.ratio = 1.0;
  ObjectRecord& b = Add(MakeObject(kObjImage, {60, 10, 92, 42}, "stateB"));
  SetImage(b, 1, Picture(32, 32, 0xFF0000));
  SetImage(b, 2, Picture(32, 32, 0x00A000, 0xFFFFFF, 8));
  b.values[1] = 1;
  b.ratio = 1.0;
  ObjectRecord& stretched = Add(MakeObject(kObjImage, {110, 10, 230, 70}, "stretched"));
  SetImage(stretched, 1, Picture(16, 8, 0x000000, 0xFFFFFF, 2));
  stretched.ratio = 1.0;
  ObjectRecord& half = Add(MakeObject(kObjImage, {10, 80, 110, 130}, "half"));
  SetImage(half, 1, Picture(10, 10, 0xFF0000));  // ratio stays the fresh 0.5
  ObjectRecord& noB = Add(MakeObject(kObjImage, {130, 80, 162, 112}, "noB"));
  SetImage(noB, 1, Picture(32, 32, 0x000080));
  noB.values[1] = 1;  // asks for B, which it lacks: A is drawn
  noB.ratio = 1.0;
  ObjectRecord& gif = Add(MakeObject(kObjAnimatedGif, {180, 80, 212, 112}, "gif"));
  SetImage(gif, 1, Picture(4, 4, 0x808000));
  ObjectRecord& meta = Add(MakeObject(kObjMetafile, {230, 80, 262, 112}, "meta"));
  meta.hasMetafile = true;
  const Surface frame = Frame();
  EXPECT_EQ(frame.Pixel(30, 100), 0x7F7F7Fu);  // blue at half over yellow
  EXPECT_TRUE(MatchesGolden(frame, "images"));
}

TEST_F(ObjectPaintTest, ParagraphsWrapAlignAndScroll) {
  const char* text =
      "The quick brown fox jumps over the lazy dog. Pack my box with five dozen liquor jugs.\r\n"
      "Second paragraph.";
  for (uint32_t mode = 0; mode < 3; ++mode) {
    ObjectRecord& p = Add(
        MakeObject(kObjParagraph,
                   {5 + static_cast<int>(mode) * 105, 5, 105 + static_cast<int>(mode) * 105, 150},
                   "p" + std::to_string(mode)));
    p.text = text;
    p.values[1] = mode;
    p.colours[1] = 0x400000;
    p.font.height = -12;
  }
  ObjectRecord& scrolled = Add(MakeObject(kObjParagraph, {5, 160, 155, 235}, "scrolled"));
  scrolled.text = text;
  scrolled.colours[1] = 0x000000;
  scrolled.font.height = -12;
  runtime_.states["scrolled"].scroll = 14;
  ObjectRecord& stored = Add(MakeObject(kObjParagraph, {165, 160, 315, 235}, "stored"));
  stored.text = text;
  stored.colours[1] = 0x000000;
  stored.font.height = -12;
  stored.values[2] = 14;  // the stored scroll position, when the player gives none
  const Surface frame = Frame();
  EXPECT_TRUE(MatchesGolden(frame, "paragraphs"));
  // The runtime's scroll and the stored one move the text alike.
  for (int y = 160; y < 235; ++y) {
    for (int x = 0; x < 150; ++x)
      ASSERT_EQ(frame.Pixel(5 + x, y), frame.Pixel(165 + x, y)) << x << "," << y;
  }

  // Scrolling by n pixels moves the text up by n pixels.
  page_.objects.erase(page_.objects.begin(), page_.objects.end() - 2);
  runtime_.states["scrolled"].scroll = 0;
  const Surface top = Frame();
  runtime_.states["scrolled"].scroll = 5;
  const Surface down = Frame();
  for (int y = 160; y < 230; ++y) {
    for (int x = 5; x < 140; ++x)
      ASSERT_EQ(down.Pixel(x, y), top.Pixel(x, y + 5)) << x << "," << y;
  }
}

TEST_F(ObjectPaintTest, ButtonsInTheirThreeStates) {
  const Highlight states[] = {Highlight::Normal, Highlight::Hover, Highlight::Pressed};
  for (int i = 0; i < 3; ++i) {
    const std::string n = std::to_string(i);
    ObjectRecord& push =
        Add(MakeObject(kObjTextButton, {10, 10 + i * 40, 110, 40 + i * 40}, "push" + n));
    push.text = "Push " + n;
    push.colours[1] = 0xC0C0C0;
    push.colours[2] = 0x000000;
    State(push.name, states[i]);
    ObjectRecord& flat =
        Add(MakeObject(kObjTextButton, {120, 10 + i * 40, 220, 40 + i * 40}, "flat" + n));
    flat.text = "Flat " + n;
    flat.values[2] = 1;
    flat.colours[2] = 0x000000;
    flat.colours[3] = 0x800000;
    flat.values[20] = 0xFFFFFF;
    State(flat.name, states[i]);
    ObjectRecord& framed =
        Add(MakeObject(kObjButton, {230, 10 + i * 40, 310, 40 + i * 40}, "framed" + n));
    SetImage(framed, 1, Picture(16, 16, 0x0000FF));
    SetImage(framed, 2, Picture(16, 16, 0x00FF00));
    SetImage(framed, 3, Picture(16, 16, 0xFF0000));
    State(framed.name, states[i]);
  }
  ObjectRecord& ownFont = Add(MakeObject(kObjTextButton, {10, 130, 150, 170}, "ownFont"));
  ownFont.text = "Own font";
  ownFont.values[1] = 1;
  ownFont.font.height = -18;
  ownFont.font.weight = 700;
  ownFont.colours[1] = 0xFFE0E0;
  ownFont.colours[2] = 0x800000;
  EXPECT_TRUE(MatchesGolden(Frame(), "buttons"));
}

TEST_F(ObjectPaintTest, GridsAndVideoStills) {
  ObjectRecord& grid = Add(MakeObject(kObjGrid, {10, 10, 200, 120}, "grid"));
  grid.values[1] = 4;
  grid.values[2] = 3;
  SetImage(grid, 1, Picture(20, 20, 0x0000FF, 0xFF00FF, 5));
  SetImage(grid, 2, Picture(20, 20, 0x00FF00));
  SetImage(grid, 3, Picture(10, 30, 0xFF0000));  // its own size
  grid.imageValues[1] = 1;
  grid.colours[1] = 0xFF00FF;  // magenta is transparent in A
  runtime_.grids["grid"] = {1, 0, 2, 3, 0, 1, 0, 2, 9, 3, 1, 0};

  ObjectRecord& keyed = Add(MakeObject(kObjVideo, {210, 10, 250, 50}, "keyed"));
  SetImage(keyed, 1, Picture(20, 20, 0x00A0A0, 0xFF00FF, 5));
  keyed.imageValues[1] = 1;
  keyed.colours[1] = 0xFF00FF;
  ObjectRecord& masked = Add(MakeObject(kObjVideo, {260, 10, 300, 50}, "masked"));
  SetImage(masked, 1, Picture(20, 20, 0xA000A0));
  SetImage(masked, 0, Picture(20, 20, 0x000000, 0xFFFFFF, 10));
  masked.values[19] = 1;
  ObjectRecord& playing = Add(MakeObject(kObjVideo, {210, 60, 250, 100}, "playing"));
  SetImage(playing, 1, Picture(20, 20, 0x000000));
  runtime_.states["playing"].videoPlaying = true;
  const Surface frame = Frame();
  EXPECT_EQ(frame.Pixel(230, 80), kWhitePixel);
  EXPECT_TRUE(MatchesGolden(frame, "grid_video"));
}

TEST_F(ObjectPaintTest, WindowedControlsAndPlugInsDrawTheirFrames) {
  ObjectRecord& field = Add(MakeObject(kObjInputField, {10, 10, 150, 34}, "field"));
  field.text = "typed text";
  field.font.height = -12;
  SetBorderStyle(field, object_border::kRaised);  // the Windows edge of an edit box
  SetObjectColour(field, ColourSlot::kFieldText, 0x000000);
  ObjectRecord& list = Add(MakeObject(kObjListBox, {160, 10, 310, 90}, "list"));
  list.stringList = {"First item", "Second item", "Third item"};
  list.font.height = -12;
  Add(MakeObject(kObjBrowser, {10, 100, 100, 150}, "browser"));
  Add(MakeObject(kObjFlash, {110, 100, 200, 150}, "flash"));
  Add(MakeObject(kObjProgram, {210, 100, 310, 150}, "program"));
  ObjectRecord& empty = Add(MakeObject(kObjPlugIn, {10, 160, 150, 190}, "emptyPlugIn"));
  empty.font.height = -12;
  ObjectRecord& missing = Add(MakeObject(kObjPlugIn, {160, 160, 310, 190}, "missingPlugIn"));
  missing.text = "Clock.dll";
  missing.font.height = -12;
  for (int32_t kind : std::initializer_list<int32_t>{kObjHotSpot, kObjScript, 18, kObjMci, 30, 8, 9,
                                                     10, kObjTimer, 26, 28}) {
    ObjectRecord& invisible = Add(MakeObject(kind, {0, 200, 320, 240}, "invisible"));
    invisible.text = "not drawn";
    invisible.colours[1] = 0;
  }
  const Surface frame = Frame();
  for (int x = 0; x < 320; ++x)
    ASSERT_EQ(frame.Pixel(x, 220), kWhitePixel) << x;
  EXPECT_TRUE(MatchesGolden(frame, "controls"));

  // A plug-in that is loaded draws itself.
  runtime_.plugInDraws = true;
  runtime_.plugInsAsked.clear();
  const Surface drawn = Frame();
  EXPECT_EQ(drawn.Pixel(20, 170), 0x00FF00u);
  EXPECT_EQ(runtime_.plugInsAsked, (std::vector<std::string>{"emptyPlugIn", "missingPlugIn"}));
}

// Without an engine a Flash object names its movie above the middle of its frame and says that
// it cannot be shown below it.
TEST_F(ObjectPaintTest, FlashObjectsNameTheirMovieAndSayTheyCannotPlay) {
  auto darkRows = [](const Surface& frame, int top, int bottom) {
    int rows = 0;
    for (int y = top; y < bottom; ++y) {
      for (int x = 12; x < 308; ++x) {
        if ((frame.Pixel(x, y) & 0xFF) < 0x80) {
          ++rows;
          break;
        }
      }
    }
    return rows;
  };
  ObjectRecord& flash = Add(MakeObject(kObjFlash, {10, 10, 310, 70}, "flash"));
  flash.font.height = -12;
  const Surface unnamed = Frame();
  EXPECT_EQ(darkRows(unnamed, 12, 40), 0);
  EXPECT_GT(darkRows(unnamed, 40, 68), 5);
  flash.text = "intro.swf";
  const Surface named = Frame();
  EXPECT_GT(darkRows(named, 12, 40), 5);
  EXPECT_TRUE(MatchesGolden(named, "flash"));
}

TEST_F(ObjectPaintTest, HiddenAndNotDrawableObjectsStayAwayUnlessForced) {
  Add(Box({0, 0, 10, 10}, 0x000000, "hidden")).values[10] = 1;
  Add(Box({10, 0, 20, 10}, 0x000000, "undrawable")).values[12] = 0;
  Add(MakeObject(kObjPlugIn, {20, 0, 30, 10}, "hiddenPlugIn")).values[10] = 1;
  EXPECT_EQ(Frame(30, 10), Surface(30, 10, kWhitePixel));
  // The plug-in is still asked: it decides for itself.
  EXPECT_EQ(runtime_.plugInsAsked, (std::vector<std::string>{"hiddenPlugIn"}));

  Surface forced(30, 10, kWhitePixel);
  Canvas canvas(forced);
  DrawObjectFlags force;
  force.force = true;
  Objects().DrawObject(canvas, page_.objects[0], {}, runtime_, force);
  Objects().DrawObject(canvas, page_.objects[1], {}, runtime_, force);
  EXPECT_EQ(forced.Pixel(5, 5), 0u);
  EXPECT_EQ(forced.Pixel(15, 5), 0u);
}

TEST_F(ObjectPaintTest, AbsurdFieldsDrawSafely) {
  const int32_t big = std::numeric_limits<int32_t>::max();
  const int32_t small = std::numeric_limits<int32_t>::min();
  const IntRect huge{small, small, big, big};
  for (int kind = 1; kind <= 30; ++kind) {
    ObjectRecord& o = Add(MakeObject(kind, huge, "k" + std::to_string(kind)));
    o.text = "x";
    o.values[1] = 0xFFFFFFFF;
    o.values[2] = 0xFFFFFFFF;
    o.font.height = small;
    o.font.width = big;
    o.font.weight = big;
    o.ratio = std::numeric_limits<double>::quiet_NaN();
    o.points1 = {{small, small}, {big, 0}, {0, big}};
    Image24 shortImage = Picture(1000, 1000, 0);
    shortImage.pixels.resize(10);
    SetImage(o, 1, shortImage);
    runtime_.grids[o.name] = std::vector<uint8_t>(100, 1);
  }
  Add(Box({0, 0, 10, 10}, 0, "offset"));
  runtime_.states["offset"].offsetX = big;
  runtime_.states["offset"].offsetY = small;
  const Surface frame = Frame(64, 48);
  EXPECT_EQ(frame.Width(), 64);
}

}  // namespace
}  // namespace qlm::test
