#include "graphics/Canvas.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace qlm {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 0x0000FF;       // stored colour 0x00BBGGRR
constexpr uint32_t kRedPixel = 0xFF0000;  // the same in the frame's 0x00RRGGBB

// The frame as rows of characters: '.' for white, '#' for anything else.
std::vector<std::string> Picture(const Surface& s) {
  std::vector<std::string> rows;
  for (int y = 0; y < s.Height(); ++y) {
    std::string row;
    for (int x = 0; x < s.Width(); ++x)
      row += s.Pixel(x, y) == 0xFFFFFF ? '.' : '#';
    rows.push_back(row);
  }
  return rows;
}

Image24 Solid(uint32_t w, uint32_t h, uint8_t b, uint8_t g, uint8_t r) {
  Image24 image{w, h, {}};
  for (uint32_t i = 0; i < w * h; ++i)
    image.pixels.insert(image.pixels.end(), {b, g, r});
  return image;
}

ImageDrawOptions WithOpacity(double opacity) {
  ImageDrawOptions o;
  o.opacity = opacity;
  return o;
}

ImageDrawOptions WithMask(const Image24& mask) {
  ImageDrawOptions o;
  o.mask = &mask;
  return o;
}

TEST(CanvasTest, OriginAndClipPlaceDrawingInWindowCoordinates) {
  // A 4 x 3 surface showing the window box (10, 20)-(14, 23).
  Surface s(4, 3, kWhite);
  Canvas canvas(s, {10, 20});
  canvas.SetClip({11, 0, 100, 100});
  canvas.FillRect({0, 0, 12, 22}, kRed);
  EXPECT_EQ(Picture(s), (std::vector<std::string>{".#..", ".#..", "...."}));
  EXPECT_EQ(s.Pixel(1, 0), kRedPixel);
  {
    Canvas::ClipScope scope(canvas, {13, 22, 14, 23});
    canvas.FillRect({0, 0, 100, 100}, kRed);
  }
  EXPECT_EQ(canvas.Clip(), (IntRect{11, 20, 14, 23}));
  EXPECT_EQ(Picture(s), (std::vector<std::string>{".#..", ".#..", "...#"}));
}

TEST(CanvasTest, LinesLeaveOutTheEndPointAndStayCheap) {
  Surface s(6, 4, kWhite);
  Canvas canvas(s);
  canvas.Line({0, 0}, {5, 0}, 0);
  canvas.Line({0, 1}, {5, 3}, 0);
  canvas.Line({5, 3}, {5, 3}, 0);  // an empty line draws nothing
  EXPECT_EQ(Picture(s), (std::vector<std::string>{"#####.", "##....", "..##..", "....#."}));

  // Lines far longer than the surface only walk the visible part.
  Surface t(5, 5, kWhite);
  Canvas big(t);
  const int32_t far = std::numeric_limits<int32_t>::max();
  big.Line({-far, 2}, {far, 2}, 0);
  big.Line({2, far}, {2, -far}, 0);
  EXPECT_EQ(Picture(t), (std::vector<std::string>{"..#..", "..#..", "#####", "..#..", "..#.."}));
}

TEST(CanvasTest, FramesAndEdges) {
  Surface s(6, 6, kWhite);
  Canvas canvas(s);
  canvas.FrameRect({0, 0, 6, 5}, 0, 2);
  EXPECT_EQ(Picture(s),
            (std::vector<std::string>{"######", "######", "##..##", "######", "######", "......"}));

  struct Case {
    EdgeStyle style;
    uint32_t outerTopLeft, outerBottomRight, innerTopLeft, innerBottomRight;
  };
  const Case cases[] = {
      {EdgeStyle::Raised, 0xE0E0E0, 0x404040, 0xFFFFFF, 0x808080},
      {EdgeStyle::Sunken, 0x808080, 0xFFFFFF, 0x404040, 0xE0E0E0},
      {EdgeStyle::ButtonUp, 0xFFFFFF, 0x404040, 0xE0E0E0, 0x808080},
      {EdgeStyle::ButtonDown, 0x404040, 0xFFFFFF, 0x808080, 0xE0E0E0},
  };
  for (const Case& c : cases) {
    Surface e(8, 8, 0x123456);
    Canvas ec(e);
    ec.Edge({1, 1, 7, 7}, c.style);
    EXPECT_EQ(e.Pixel(1, 1), c.outerTopLeft);
    EXPECT_EQ(e.Pixel(1, 5), c.outerTopLeft);
    EXPECT_EQ(e.Pixel(6, 6), c.outerBottomRight);
    EXPECT_EQ(e.Pixel(6, 1), c.outerBottomRight);  // the bottom-right line owns the corner
    EXPECT_EQ(e.Pixel(2, 2), c.innerTopLeft);
    EXPECT_EQ(e.Pixel(5, 5), c.innerBottomRight);
    EXPECT_EQ(e.Pixel(3, 3), 0x123456u);
    EXPECT_EQ(e.Pixel(0, 0), 0x123456u);
  }
}

TEST(CanvasTest, FocusRectInvertsEveryOtherPixelAndUndoesItself) {
  Surface s(5, 4, kWhite);
  Canvas canvas(s);
  canvas.FocusRect({0, 0, 5, 4});
  EXPECT_EQ(Picture(s), (std::vector<std::string>{"#.#.#", ".....", "#...#", ".#.#."}));
  canvas.FocusRect({0, 0, 5, 4});
  EXPECT_EQ(s, Surface(5, 4, kWhite));
}

TEST(CanvasTest, ShapesAreCrispAndPolygonsFillEvenOdd) {
  Surface s(9, 9, kWhite);
  Canvas canvas(s);
  // Two nested squares in one path: the inner one is a hole.
  const IntPoint squares[] = {{0, 0}, {9, 0}, {9, 9}, {0, 9}, {0, 0},
                              {3, 3}, {6, 3}, {6, 6}, {3, 6}, {3, 3}};
  canvas.Polygon(squares, 0x000000, std::nullopt);
  EXPECT_EQ(s.Pixel(1, 1), 0u);
  EXPECT_EQ(s.Pixel(4, 4), kWhite);
  for (uint32_t p : s.Pixels())
    EXPECT_TRUE(p == 0 || p == kWhite) << std::hex << p;  // no antialiased greys

  Surface e(9, 7, kWhite);
  Canvas ec(e);
  ec.Ellipse({0, 0, 9, 7}, kRed, 0x000000);
  EXPECT_EQ(e.Pixel(0, 0), kWhite);
  EXPECT_EQ(e.Pixel(8, 6), kWhite);
  EXPECT_EQ(e.Pixel(4, 3), kRedPixel);
  EXPECT_EQ(e.Pixel(0, 3), 0u);
  EXPECT_EQ(e.Pixel(4, 0), 0u);
  for (uint32_t p : e.Pixels())
    EXPECT_TRUE(p == 0 || p == kWhite || p == kRedPixel) << std::hex << p;
}

TEST(CanvasTest, ImagesStretchWithKeyOpacityAndMask) {
  // 2 x 1 image: a red pixel and a green one (B, G, R bytes).
  const Image24 image{2, 1, {0, 0, 255, 0, 255, 0}};
  Surface s(4, 2, kWhite);
  Canvas canvas(s);
  canvas.DrawImage(image, {0, 0, 4, 2});
  EXPECT_EQ(s.Pixel(0, 0), kRedPixel);
  EXPECT_EQ(s.Pixel(1, 1), kRedPixel);
  EXPECT_EQ(s.Pixel(2, 0), 0x00FF00u);
  EXPECT_EQ(s.Pixel(3, 1), 0x00FF00u);

  Surface k(2, 1, kWhite);
  Canvas kc(k);
  kc.DrawImage(image, {0, 0, 2, 1}, {.keyColor = 0x00FF00});  // green is the key
  EXPECT_EQ(k.Pixel(0, 0), kRedPixel);
  EXPECT_EQ(k.Pixel(1, 0), kWhite);

  Surface o(1, 1, 0x000000);
  Canvas oc(o);
  oc.DrawImage(Solid(1, 1, 200, 200, 200), {0, 0, 1, 1}, WithOpacity(0.5));
  EXPECT_EQ(o.Pixel(0, 0), 0x646464u);  // half of 200
  oc.DrawImage(Solid(1, 1, 255, 255, 255), {0, 0, 1, 1}, WithOpacity(0.0));
  EXPECT_EQ(o.Pixel(0, 0), 0x646464u);

  // Mask: black shows the image, white keeps what is beneath.
  const Image24 mask{2, 1, {0, 0, 0, 255, 255, 255}};
  Surface m(2, 1, kWhite);
  Canvas mc(m);
  mc.DrawImage(image, {0, 0, 2, 1}, WithMask(mask));
  EXPECT_EQ(m.Pixel(0, 0), kRedPixel);
  EXPECT_EQ(m.Pixel(1, 0), kWhite);
}

TEST(CanvasTest, ImagesWithMissingPixelsDrawWhatTheyHave) {
  Image24 image = Solid(4, 4, 0, 0, 0);
  image.pixels.resize(4 * 3 + 6);  // one full row and half of the next
  Surface s(4, 4, kWhite);
  Canvas canvas(s);
  canvas.DrawImage(image, {0, 0, 4, 4});
  EXPECT_EQ(Picture(s), (std::vector<std::string>{"####", "##..", "....", "...."}));
  // Degenerate targets and sizes draw nothing.
  canvas.DrawImage(Image24{}, {0, 0, 4, 4});
  canvas.DrawImage(Solid(1, 1, 0, 0, 0), {4, 4, 0, 0});
  canvas.DrawImage(Solid(1, 1, 0, 0, 0), {std::numeric_limits<int32_t>::min(), 0,
                                          std::numeric_limits<int32_t>::max(), 4});
}

TEST(CanvasTest, TilesRepeatFromTheAreaCornerAndStopAtItsEdge) {
  const Image24 tile{2, 2, {0, 0, 0, 255, 255, 255, 255, 255, 255, 255, 255, 255}};
  Surface s(6, 4, 0x00FF00);
  Canvas canvas(s, {10, 10});
  canvas.TileImage(tile, {10, 10, 15, 13});
  EXPECT_EQ(Picture(s), (std::vector<std::string>{"#.#.##", ".....#", "#.#.##", "######"}));
  EXPECT_EQ(s.Pixel(5, 0), 0x00FF00u);
}

}  // namespace
}  // namespace qlm
