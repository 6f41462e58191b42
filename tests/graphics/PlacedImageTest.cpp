// Pictures drawn scaled and turned freely (Canvas::DrawImagePlaced).
#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>

#include "graphics/Canvas.h"

namespace qlm {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 0xFF0000;  // frame pixels are 0x00RRGGBB
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kYellow = 0xFFFF00;

// 8 x 4: the left half red with a yellow top row, the right half blue (stored B, G, R).
Image24 Marked() {
  Image24 image{8, 4, {}};
  for (uint32_t y = 0; y < 4; ++y) {
    for (uint32_t x = 0; x < 8; ++x) {
      const uint32_t rgb = x >= 4 ? kBlue : y == 0 ? kYellow : kRed;
      image.pixels.insert(image.pixels.end(),
                          {static_cast<uint8_t>(rgb), static_cast<uint8_t>(rgb >> 8),
                           static_cast<uint8_t>(rgb >> 16)});
    }
  }
  return image;
}

Surface WhiteFrame() {
  Surface frame(100, 100);
  Canvas(frame).FillRect({0, 0, 100, 100}, 0xFFFFFF);
  return frame;
}

bool Near(uint32_t a, uint32_t b, int tolerance = 8) {
  for (int shift : {0, 8, 16}) {
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) >
        tolerance)
      return false;
  }
  return true;
}

// The picture, 80 x 40 around (50, 50), turned clockwise: the left half goes up and the top
// row goes to the right; at 180 degrees everything is upside down.
TEST(PlacedImage, TurnsClockwiseAroundTheCentre) {
  struct Case {
    double angle;
    int x, y;
    uint32_t colour;
  } cases[] = {
      {0, 20, 55, kRed},      {0, 80, 50, kBlue},   {0, 20, 32, kYellow},   {0, 50, 20, kWhite},
      {90, 45, 20, kRed},     {90, 50, 80, kBlue},  {90, 68, 20, kYellow},  {90, 20, 50, kWhite},
      {180, 80, 45, kRed},    {180, 20, 50, kBlue}, {180, 80, 68, kYellow}, {-90, 55, 80, kRed},
      {-90, 32, 80, kYellow}, {450, 45, 20, kRed},
  };
  for (const Case& c : cases) {
    Surface frame = WhiteFrame();
    Canvas(frame).DrawImagePlaced(Marked(), {50, 50, 80, 40, c.angle});
    EXPECT_TRUE(Near(frame.Pixel(c.x, c.y), c.colour))
        << c.angle << " at " << c.x << "," << c.y << ": " << std::hex << frame.Pixel(c.x, c.y);
  }
}

// 45 degrees: the corners of an unturned picture stay empty, the centre line is covered far
// beyond the unturned half-height, and the turned edge is smooth (blended pixels exist).
TEST(PlacedImage, AnyAngleIsSmooth) {
  Surface frame = WhiteFrame();
  Canvas(frame).DrawImagePlaced(Marked(), {50, 50, 80, 40, 45});
  EXPECT_EQ(frame.Pixel(10, 30), kWhite);  // the unturned picture's top-left corner
  EXPECT_TRUE(Near(frame.Pixel(70, 70), kBlue));
  EXPECT_TRUE(Near(frame.Pixel(30, 30), kRed));
  int blended = 0;
  for (uint32_t pixel : frame.Pixels()) {
    const uint32_t p = pixel & 0xFFFFFF;
    blended += p != kWhite && !Near(p, kRed, 0) && !Near(p, kBlue, 0) && !Near(p, kYellow, 0);
  }
  EXPECT_GT(blended, 20);
}

// Opacity blends with what lies beneath; the clip holds; bad placements draw nothing.
TEST(PlacedImage, OpacityClipAndBadPlacements) {
  Surface frame = WhiteFrame();
  {
    Canvas canvas(frame);
    Canvas::ClipScope clip(canvas, {0, 0, 50, 100});
    canvas.DrawImagePlaced(Marked(), {50, 50, 80, 40, 0}, 0.5);
  }
  EXPECT_TRUE(Near(frame.Pixel(20, 55), 0xFF8080));  // red half over white
  EXPECT_EQ(frame.Pixel(80, 50), kWhite);            // outside the clip
  EXPECT_EQ(frame.Pixel(5, 50), kWhite);             // outside the picture
  for (const ImagePlacement& bad :
       {ImagePlacement{50, 50, 0, 40, 0}, ImagePlacement{50, 50, 80, -1, 0},
        ImagePlacement{50, 50, 80, 40, std::numeric_limits<double>::infinity()},
        ImagePlacement{std::numeric_limits<double>::quiet_NaN(), 50, 80, 40, 0},
        ImagePlacement{1e12, 1e12, 80, 40, 0}}) {
    Surface untouched = WhiteFrame();
    Canvas(untouched).DrawImagePlaced(Marked(), bad);
    EXPECT_EQ(untouched.Pixels(), WhiteFrame().Pixels());
  }
}

}  // namespace
}  // namespace qlm
