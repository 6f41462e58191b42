#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestScriptHost.h"

namespace qlm {
namespace {

using test::MakeObject;
using test::MakePage;
using test::TestScriptHost;

Project TwoPages() {
  Project project;
  project.pages.push_back(MakePage("A"));
  project.pages.push_back(MakePage("B"));
  project.pages[0].objects = {MakeObject("Box", {0, 0, 40, 20}), MakeObject("Two", {5, 5, 6, 6}),
                              MakeObject("Three"), MakeObject("Four")};
  project.pages[1].objects = {MakeObject("Other", {0, 0, 10, 10})};
  return project;
}

std::vector<std::string> Names(const PageRecord& page) {
  std::vector<std::string> names;
  for (const ObjectRecord& o : page.objects)
    names.push_back(o.name);
  return names;
}

TEST(PlacementCommandsTest, MoveObjectTakesTwoOrFourPieces) {
  struct Case {
    const char* arg;
    int32_t kind;
    IntRect expected;
  } cases[] = {
      {"10,20", kObjScript, {10, 20, 50, 40}},
      {"10,20,5,6", kObjScript, {10, 20, 15, 26}},
      {"a*2,a+1", kObjScript, {10, 6, 50, 26}},
      {"10,20,5,6", 10, {10, 20, 50, 40}},  // kind 10 is moved, never resized
      {"1,2,3", kObjScript, {0, 0, 40, 20}},
      {"1", kObjScript, {0, 0, 40, 20}},
  };
  for (const Case& c : cases) {
    TestScriptHost host(TwoPages());
    host.ShowPage();
    ObjectRecord& box = host.pages.CurrentPage()->objects[0];
    box.typeCode = c.kind;
    host.evaluator.SetNumber("a", 5);
    host.invalidated.clear();
    EXPECT_TRUE(host.Run("MoveObject(\"Box\",\"" + std::string(c.arg) + "\")"));
    EXPECT_EQ(box.rect, c.expected) << c.arg;
    if (box.rect != IntRect{0, 0, 40, 20}) {
      // Old and new places are repainted once, at the end of the run.
      ASSERT_EQ(host.invalidated.size(), 1u) << c.arg;
      const IntRect& r = host.invalidated[0];
      EXPECT_EQ(r.left, -2);
      EXPECT_EQ(r.top, -2);
      EXPECT_EQ(r.right, std::max(40, c.expected.right) + 2) << c.arg;
    }
  }
}

TEST(PlacementCommandsTest, MoveToStepsEasingAndExactEnd) {
  struct Case {
    const char* arg;
    std::vector<int32_t> xs;  // left edge after each step and at the end
  } cases[] = {
      {"100,0,4", {25, 50, 75, 100, 100}},
      {"100,0,1", {100, 100}},
      {"100,0,4, easyto ", {25, 50, 75, 100, 100}},
      // An uneven way: steps truncate, the end places the corner exactly.
      {"10,0,3", {3, 6, 10, 10}},
      {"100,0,4,EASYFROM", {0, 25, 50, 100, 100}},
      {"-100,0,2", {-50, -100, -100}},
  };
  for (const Case& c : cases) {
    TestScriptHost host(TwoPages());
    host.ShowPage();
    const uint64_t start = host.loop.TickCount();
    EXPECT_TRUE(host.Run("MoveTo(\"Box\",\"" + std::string(c.arg) + "\")\nafter=1"));
    std::vector<int32_t> xs;
    for (const IntPoint& p : host.moves) {
      xs.push_back(p.x);
      EXPECT_EQ(p.y, 0);
    }
    EXPECT_EQ(xs, c.xs) << c.arg;
    EXPECT_EQ(host.Number("after"), 1);
    EXPECT_EQ(host.pages.CurrentPage()->objects[0].rect.right - c.xs.back(), 40);
    // Every step lasts more than 5 ms on the window's clock.
    EXPECT_GE(host.loop.TickCount() - start, 6 * (c.xs.size() - 1)) << c.arg;
  }

  TestScriptHost host(TwoPages());
  host.ShowPage();
  EXPECT_TRUE(host.Run("MoveTo(\"Box\",\"100\")"));
  EXPECT_TRUE(host.moves.empty());
  // The EASYTO first step of 100 moves sin(h/100)*100, truncated to 1, times dx.
  EXPECT_TRUE(host.Run("MoveTo(\"Box\",\"200,0,100,EASYTO\")"));
  ASSERT_EQ(host.moves.size(), 101u);
  EXPECT_EQ(host.moves[0].x, 2);
}

TEST(PlacementCommandsTest, MoveToKeepsTheWindowRunning) {
  TestScriptHost host(TwoPages());
  host.pages.GetProject().pages[0].objects[2].scripts[2] = test::Compile("ticks=ticks+1");
  host.pages.GetProject().pages[0].objects[3].scripts[2] = test::Compile("Page(\"B\")");
  host.ShowPage();

  // A script timer fires while the object moves.
  EXPECT_TRUE(host.Run("ScriptTimer(\"Three\",\"20\")\nMoveTo(\"Box\",\"100,0,10\")\nafter=1"));
  EXPECT_EQ(host.Number("ticks"), 1);
  EXPECT_EQ(host.Number("after"), 1);

  // A page change during the move ends the script with false.
  EXPECT_FALSE(host.Run("ScriptTimer(\"Four\",\"20\")\nMoveTo(\"Box\",\"0,0,10\")\nafter=2"));
  EXPECT_EQ(host.CurrentName(), "B");
  EXPECT_EQ(host.Number("after"), 1);
}

TEST(PlacementCommandsTest, MoveToStopsWhenTheObjectIsDeletedMeanwhile) {
  TestScriptHost host(TwoPages());
  host.pages.GetProject().pages[0].objects[2].scripts[2] = test::Compile("DeleteObject(\"Box\")");
  host.ShowPage();
  EXPECT_TRUE(host.Run("ScriptTimer(\"Three\",\"10\")\nMoveTo(\"Box\",\"100,0,20\")\nafter=1"));
  EXPECT_EQ(host.Number("after"), 1);
  EXPECT_EQ(Names(*host.pages.CurrentPage()), (std::vector<std::string>{"Two", "Three", "Four"}));
  EXPECT_LT(host.moves.size(), 20u);
}

TEST(PlacementCommandsTest, ReorderObjectKeywords) {
  struct Case {
    const char* object;
    const char* keyword;
    std::vector<std::string> order;
  } cases[] = {
      {"Two", "FRONT", {"Box", "Three", "Four", "Two"}},
      {"Three", "back", {"Three", "Box", "Two", "Four"}},
      {"Two", "Forward,ignored", {"Box", "Three", "Two", "Four"}},
      {"Two", "BACKWARD", {"Two", "Box", "Three", "Four"}},
      {"Box", "BACKWARD", {"Box", "Two", "Three", "Four"}},
      {"Four", "FORWARD", {"Box", "Two", "Three", "Four"}},
      {"Two", " FRONT", {"Box", "Two", "Three", "Four"}},
  };
  for (const Case& c : cases) {
    TestScriptHost host(TwoPages());
    host.ShowPage();
    EXPECT_TRUE(host.Run("ReorderObject(\"" + std::string(c.object) + "\",\"" + c.keyword + "\")"));
    EXPECT_EQ(Names(*host.pages.CurrentPage()), c.order) << c.object << " " << c.keyword;
  }
}

TEST(PlacementCommandsTest, DeleteObjectWaitsForTheScriptToReturn) {
  TestScriptHost host(TwoPages());
  host.ShowPage();
  EXPECT_TRUE(host.Run("DeleteObject(\"Two\")\nDeleteObject(\"B::Other\")\nHide(\"Two\")"));
  const PageRecord& a = host.pages.Pages()[0];
  ASSERT_EQ(a.objects.size(), 4u);
  EXPECT_EQ(a.objects[1].values[10], 1u);
  host.invalidated.clear();
  host.loop.Advance(0);
  EXPECT_EQ(Names(a), (std::vector<std::string>{"Box", "Three", "Four"}));
  EXPECT_TRUE(host.pages.Pages()[1].objects.empty());
  ASSERT_FALSE(host.invalidated.empty());
  EXPECT_EQ(host.invalidated[0], (IntRect{4, 4, 7, 7}));

  // A request whose object went meanwhile does nothing.
  EXPECT_TRUE(host.Run("DeleteObject(\"Box\")\nDeleteObject(\"Box\")"));
  host.loop.Advance(0);
  EXPECT_EQ(Names(a), (std::vector<std::string>{"Three", "Four"}));
}

}  // namespace
}  // namespace qlm
