#include "platform/sdl/WindowScale.h"

#include <gtest/gtest.h>

namespace qlm {
namespace {

TEST(WindowScaleTest, WholeScaleShrinksToTheRoomAndFitFillsIt) {
  struct Case {
    int cw, ch, factor;
    bool fit;
    int roomW, roomH;
    double expected;
    bool clamped;
  } cases[] = {
      {640, 480, 2, false, 1920, 1040, 2, false},              // fits as asked
      {640, 480, 3, false, 1920, 1040, 2, true},               // 1440 rows do not fit 1040: 2
      {640, 480, 2, false, 1280, 960, 2, false},               // exactly the room
      {640, 480, 2, false, 1279, 960, 1, true},                // one column short
      {1024, 768, 1, false, 800, 600, 800.0 / 1024, true},     // too large even at 1: fits
      {1600, 1200, 2, false, 1278, 980, 1278.0 / 1600, true},  // the columns decide
      {320, 240, 8, false, 1024, 768, 3, true},
      {320, 240, 3, false, 0, 0, 3, false},                  // room unknown: as asked
      {640, 480, 1, true, 1920, 1040, 1040.0 / 480, false},  // fit: the rows decide
      {640, 480, 1, true, 1000, 2000, 1000.0 / 640, false},  // fit: the columns decide
  };
  for (const Case& c : cases) {
    const WindowScale s = ChooseWindowScale(c.cw, c.ch, c.factor, c.fit, c.roomW, c.roomH);
    EXPECT_DOUBLE_EQ(s.factor, c.expected)
        << c.cw << "x" << c.ch << " x" << c.factor << " in " << c.roomW << "x" << c.roomH;
    EXPECT_EQ(s.clamped, c.clamped) << c.cw << "x" << c.ch << " x" << c.factor;
  }
}

TEST(WindowScaleTest, DialogsFollowTheWindowAndTheScreenAndFitTheRoom) {
  struct Case {
    double window, dpi;
    int w, h, roomW, roomH;
    int expected;
  } cases[] = {
      {1, 96, 400, 300, 1024, 768, 1},         // an ordinary screen at 1x
      {2, 96, 400, 300, 1024, 768, 2},         // the window's scale
      {1.6, 0, 400, 300, 1024, 768, 2},        // a fitted window: rounded
      {0.7, 0, 400, 300, 1024, 768, 1},        // a window scaled down: never below 1
      {1, 192, 400, 300, 2560, 1440, 2},       // a high-resolution screen
      {1, 168, 400, 300, 2560, 1440, 2},       // three quarters of the way to 192
      {1, 144, 400, 300, 2560, 1440, 1},       // half way stays at 1
      {4, 96, 400, 300, 1024, 768, 2},         // lowered to fit the room
      {3, 96, 400, 300, 0, 0, 3},              // room unknown
      {99, 1e9, 400, 300, 100000, 100000, 8},  // at most 8
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChooseDialogScale(c.window, c.dpi, c.w, c.h, c.roomW, c.roomH), c.expected)
        << c.window << "x at " << c.dpi << " dpi";
  }
}

}  // namespace
}  // namespace qlm
