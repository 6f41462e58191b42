#include "platform/sdl/ViewTransform.h"

#include <gtest/gtest.h>

namespace qlm {
namespace {

TEST(FitViewTest, KeepsAspectAndCentres) {
  struct Case {
    int cw, ch, ow, oh;
    ViewBox expected;
  } cases[] = {
      {320, 240, 640, 480, {0, 0, 640, 480}},        // exact multiple: filled
      {320, 240, 1920, 1080, {240, 0, 1440, 1080}},  // wide screen: bars left and right
      {640, 480, 640, 1000, {0, 260, 640, 480}},     // tall output: bars above and below
      {640, 480, 1366, 768, {171, 0, 1024, 768}},    // odd remainder: bar on the right one wider
      {1000, 1, 10, 10, {0, 4, 10, 1}},              // never thinner than a pixel
      {0, 240, 800, 600, {0, 0, 800, 600}},          // no client: the whole output
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FitView(c.cw, c.ch, c.ow, c.oh), c.expected)
        << c.cw << "x" << c.ch << " in " << c.ow << "x" << c.oh;
  }
}

TEST(OutputToClientTest, MapsThroughScaleAndBarsAndKeepsOutsidePointsOutside) {
  const ViewBox view = FitView(320, 240, 1920, 1080);  // scale 4.5, bars of 240 at the sides
  struct Case {
    int ox, oy, x, y;
  } cases[] = {
      {240, 0, 0, 0},          // the view's top-left pixel
      {244, 4, 0, 0},          // still inside the first scaled pixel
      {245, 5, 1, 1},          // the next one
      {1679, 1079, 319, 239},  // the view's last pixel
      {1680, 1080, 320, 240},  // just past it: outside the client area
      {239, 0, -1, 0},         // the bar's last pixel lies left of column 0, not on it
      {0, 0, -54, 0},
  };
  for (const Case& c : cases) {
    int x = 0, y = 0;
    OutputToClient(view, 320, 240, c.ox, c.oy, x, y);
    EXPECT_EQ(x, c.x) << c.ox << "," << c.oy;
    EXPECT_EQ(y, c.y) << c.ox << "," << c.oy;
  }
}

}  // namespace
}  // namespace qlm
