#include "player/WindowGeometry.h"

#include <gtest/gtest.h>

#include <utility>

#include "InputFixture.h"
#include "document/ProjectSettings.h"

namespace qlm {
namespace {

// A 1024 x 768 screen that records stacking and full-screen requests.
class ScreenDisplay : public test::InputDisplay {
 public:
  ScreenMetrics Screen() const override { return screen; }
  void SetTopmost(bool on) override { topmost = on; }
  void RequestFullScreen(int w, int h) override { fullScreen = {w, h}; }

  ScreenMetrics screen;
  bool topmost = false;
  std::pair<int, int> fullScreen{0, 0};
};

struct GeometryFixture {
  GeometryFixture()
      : geometry(
            display, profile, [this] { ++resized; }, [this] { ++repainted; }) {}

  ScreenDisplay display;
  test::NoProfile profile;
  int resized = 0, repainted = 0;
  WindowGeometry geometry;
};

ProjectSettings Sized(uint32_t width, uint32_t height) {
  ProjectSettings settings;
  settings.clientWidth = width;
  settings.clientHeight = height;
  return settings;
}

// The project's size and SysCommand's ResizeWindow keep the client area within what a frame
// can hold (each side at most 16384, the height giving way to the area); a size below 1 from a
// script keeps that dimension, from a project it becomes 1.
TEST(WindowGeometry, ClientSizeStaysWithinWhatAFrameHolds) {
  struct Case {
    uint32_t projectWidth, projectHeight;
    int appliedWidth, appliedHeight;
    int resizeWidth, resizeHeight;
    int width, height;
  } cases[] = {
      {640, 480, 640, 480, 800, 600, 800, 600},       {0, 480, 1, 480, 0, 0, 1, 480},
      {20000, 70000, 16384, 4096, 0, 90, 16384, 90},  {640, 480, 640, 480, 99999, -3, 16384, 480},
      {4294967295u, 1, 16384, 1, 1, 16384, 1, 16384},
  };
  for (const Case& c : cases) {
    GeometryFixture f;
    f.geometry.Apply(Sized(c.projectWidth, c.projectHeight));
    EXPECT_EQ(f.geometry.ClientWidth(), c.appliedWidth) << c.projectWidth;
    EXPECT_EQ(f.geometry.ClientHeight(), c.appliedHeight) << c.projectHeight;
    EXPECT_EQ(f.resized, 0);

    f.geometry.ResizeWindow(c.resizeWidth, c.resizeHeight);
    EXPECT_EQ(f.geometry.ClientWidth(), c.width) << c.resizeWidth;
    EXPECT_EQ(f.geometry.ClientHeight(), c.height) << c.resizeHeight;
    EXPECT_EQ(f.display.width, c.width);
    EXPECT_EQ(f.display.height, c.height);
    EXPECT_EQ(f.resized, 1);
    EXPECT_EQ(f.geometry.Metrics().clientWidth, c.width);
  }
}

// Scripts read the resolution the project asked for as the screen size once the window went
// full screen for it, and the real screen otherwise; work area and colours are the screen's.
TEST(WindowGeometry, MetricsShowTheAskedResolution) {
  for (const bool change : {false, true}) {
    GeometryFixture f;
    f.display.screen = {1280, 1024, 1280, 990, 16};
    ProjectSettings settings = Sized(320, 200);
    settings.changeResolution = change;
    settings.resolutionIndex = 0;
    f.geometry.Apply(settings);
    f.geometry.MeasureScreen();
    const WindowMetrics m = f.geometry.Metrics();
    EXPECT_EQ(m.screenWidth, change ? 640 : 1280);
    EXPECT_EQ(m.screenHeight, change ? 480 : 1024);
    EXPECT_EQ(m.workAreaHeight, 990);
    EXPECT_EQ(m.screenColorBits, 16);
    EXPECT_EQ(m.windowWidth, 320);
    EXPECT_EQ(f.display.fullScreen.first, change ? 640 : 0);
    f.geometry.RestoreDisplay();
    EXPECT_EQ(f.display.fullScreen.first, 0);
    EXPECT_FALSE(f.geometry.DisplayChanged());
  }
}

// A topmost project on the desktop is not topmost; SysCommand may make it so later.
TEST(WindowGeometry, DesktopWindowsStartBelowOthers) {
  for (const bool desktop : {false, true}) {
    GeometryFixture f;
    ProjectSettings settings = Sized(100, 100);
    settings.windowMode = 1;
    settings.onDesktop = desktop;
    f.geometry.Apply(settings);
    f.geometry.MeasureScreen();
    f.geometry.ShowWindow();
    EXPECT_EQ(f.display.topmost, !desktop);
    f.geometry.SetTopmost(true);
    EXPECT_TRUE(f.display.topmost);
  }
}

// Centring uses the current client size; restoring a minimised window repaints it.
TEST(WindowGeometry, CentreAndRestore) {
  GeometryFixture f;
  f.geometry.Apply(Sized(200, 100));
  f.geometry.ResizeWindow(300, 0);
  f.geometry.CenterWindow();
  EXPECT_EQ(f.display.left, (1024 - 300) / 2);
  EXPECT_EQ(f.display.top, (768 - 100) / 2);
  f.geometry.MinimizeWindow();
  EXPECT_TRUE(f.display.minimized);
  EXPECT_EQ(f.repainted, 0);
  f.geometry.RestoreWindow();
  EXPECT_FALSE(f.display.minimized);
  EXPECT_EQ(f.repainted, 1);
}

}  // namespace
}  // namespace qlm
