// Coordinates and sizes at the 32-bit extremes through the create commands, MoveObject and
// resizewindow, drawn by the real window: every sum saturates, the stored rectangle is clamped
// and whatever reaches the window is repainted.

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "InputFixture.h"

namespace qlm {
namespace {

using test::InputPlayer;
using test::Pages;

constexpr int32_t kMax = INT32_MAX;
constexpr int32_t kMin = INT32_MIN;

// The pixel inside the 200 x 150 window that each visible case must have painted black (the
// default fill of rectangles and circles); {-1, -1} when the object lies outside the window.
struct Case {
  const char* line;
  IntRect rect;
  IntPoint painted;
};

const Case kCases[] = {
    {"CreateRectangle(\"X\",\"N$,0,0,2147483647,2147483647\")", {0, 0, kMax, kMax}, {100, 100}},
    {"CreateRectangle(\"X\",\"N$,2147483647,2147483647,2147483647,2147483647\")",
     {kMax, kMax, kMax, kMax},
     {-1, -1}},
    {"CreateRectangle(\"X\",\"N$,-2147483648,-2147483648,2147483647,2147483647\")",
     {kMin, kMin, -1, -1},
     {-1, -1}},
    {"CreateRectangle(\"X\",\"N$,2147483647,0,-2147483648,100\")", {-1, 0, kMax, 100}, {50, 50}},
    {"CreateRectangle(\"X\",\"N$,-2147483648,-2147483648,-2147483648,-2147483648\")",
     {kMin, kMin, kMin, kMin},
     {-1, -1}},
    {"CreateRectangle(\"X\",\"N$,-2147483648-1,0,-2147483648-1,10\")",
     {kMin, 0, kMin, 10},
     {-1, -1}},
    {"CreateCircle(\"X\",\"N$,-2147483648,-2147483648,2147483647,2147483647\")",
     {kMin, kMin, -1, -1},
     {-1, -1}},
    {"CreateCircle(\"X\",\"N$,2147483647,2147483647,2147483647,2147483647\")",
     {kMax, kMax, kMax, kMax},
     {-1, -1}},
    {"CreateHotSpot(\"X\",\"N$,2147483647,2147483647\")", {kMax, kMax, kMax, kMax}, {-1, -1}},
    {"CreateHotSpot(\"X\",\"N$,-2147483648,0,-2147483648,-2147483648\")",
     {kMin, kMin, kMin, 0},
     {-1, -1}},
    {"CreateLine(\"X\",\"N$,-2147483648,-2147483648,2147483647,2147483647\")",
     {kMin, kMin, -1, -1},
     {-1, -1}},
    {"CreateLineAB(\"X\",\"N$,-2147483648,-2147483648,2147483647,2147483647\")",
     {kMin, kMin, kMax, kMax},
     {-1, -1}},
    {"CreateLineAB(\"X\",\"N$,2147483647,2147483647,-2147483648,-2147483648\")",
     {kMin, kMin, kMax, kMax},
     {-1, -1}},
    {"CreateText(\"X\",\"N$,2147483647,2147483647,Hi\")", {kMax, kMax, kMax, kMax}, {-1, -1}},
    {"CreateText(\"X\",\"N$,-2147483648,-2147483648,Hi\")", {kMin, kMin, kMin, kMin}, {-1, -1}},
    {"CreateTextButton(\"X\",\"N$,2147483647,2147483647,2147483647,2147483647,Go\")",
     {kMax, kMax, kMax, kMax},
     {-1, -1}},
    {"CreateTextButton(\"X\",\"N$,-2147483648,0,2147483647,2147483647,Go\")",
     {kMin, 0, -1, kMax},
     {-1, -1}},
    {"CreateParagraph(\"X\",\"N$,-2147483648,0,-2147483648,10,Words\")",
     {kMin, 0, kMin, 10},
     {-1, -1}},
    {"CreateParagraph(\"X\",\"N$,2147483647,2147483647,2147483647,2147483647,Words\")",
     {kMax, kMax, kMax, kMax},
     {-1, -1}},
    {"CreateScript(\"X\",\"N$,2147483647,2147483647\")", {0, 0, 0, 0}, {-1, -1}},
};

TEST(ExtremeCoordinates, CreateCommandsClampAndRepaint) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.line);
    InputPlayer p(Pages({"One"}));
    p.window->RunScriptText(c.line);
    p.loop.Run(10);
    const ObjectRecord& o = p.Find("One::X");
    EXPECT_EQ(o.rect, c.rect);
    if (c.painted.x >= 0) {
      EXPECT_EQ(p.window->Frame().Pixel(c.painted.x, c.painted.y), 0u);
    }
    // The object stays movable and drawable after the extremes.
    p.window->RunScriptText("MoveObject(\"X\",\"10,10,20,20\")");
    p.loop.Run(10);
    EXPECT_EQ(p.Find("One::X").rect, (IntRect{10, 10, 30, 30}));
  }
}

TEST(ExtremeCoordinates, MoveObjectAndResizeWindow) {
  struct Move {
    const char* args;
    IntRect rect;
  } moves[] = {
      {"2147483647,2147483647", {kMax, kMax, kMax, kMax}},
      {"-2147483648,-2147483648", {kMin, kMin, kMin + 50, kMin + 50}},
      {"-2147483648,-2147483648,2147483647,2147483647", {kMin, kMin, -1, -1}},
      {"0,0,2147483647,2147483647", {0, 0, kMax, kMax}},
      {"2147483647,2147483647,2147483647,2147483647", {kMax, kMax, kMax, kMax}},
      {"-5,-5,-2147483648,-2147483648", {-5, -5, kMin, kMin}},
  };
  for (const Move& m : moves) {
    SCOPED_TRACE(m.args);
    Project project = Pages({"One"});
    project.pages[0].objects.push_back(test::Object(kObjRectangle, "X", {10, 10, 60, 60}));
    InputPlayer p(std::move(project));
    p.window->RunScriptText(std::string("MoveObject(\"X\",\"") + m.args + "\")");
    p.loop.Run(10);
    EXPECT_EQ(p.Find("One::X").rect, m.rect);
    // Moving back from the extreme marks and repaints the old and the new place.
    p.window->RunScriptText("MoveObject(\"X\",\"0,0\")");
    p.loop.Run(10);
    EXPECT_EQ(p.Find("One::X").rect.left, 0);
  }

  struct Size {
    const char* args;
    int width, height;
  } sizes[] = {
      {"2147483647,2147483647", 16384, 4096},
      {"100000,10", 16384, 10},
      {"-2147483648,-2147483648", 200, 150},
      {"-2147483648-1,2147483647+1", 200, 16384},
      {"300,-1", 300, 150},
  };
  for (const Size& s : sizes) {
    SCOPED_TRACE(s.args);
    InputPlayer p(Pages({"One"}));
    p.window->RunScriptText(std::string("SysCommand(\"resizewindow\",\"") + s.args + "\")");
    p.loop.Run(10);
    EXPECT_EQ(p.display.width, s.width);
    EXPECT_EQ(p.display.height, s.height);
  }
}

}  // namespace
}  // namespace qlm
