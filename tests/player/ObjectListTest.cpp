// Objects created by scripts join the page's list while the objects already there keep their
// run-time state, however often the list has to grow.

#include <gtest/gtest.h>

#include "InputFixture.h"

namespace qlm {
namespace {

using test::InputPlayer;
using test::Pages;

TEST(ObjectList, CreatedObjectsLeaveTheStateOfEarlierOnesAlone) {
  Project project = Pages({"One"});
  ObjectRecord grid = test::Object(kObjGrid, "Board", {10, 10, 90, 60});
  SetGridSize(grid, 3, 2);
  project.pages[0].objects.push_back(std::move(grid));
  InputPlayer p(std::move(project));
  p.window->RunScriptText("MatrixSet(\"Board\",\"2,1,3\")");
  p.loop.Run(10);
  // Enough objects to make the list grow (and move) several times.
  p.window->RunScriptText(
      "For i=1 To 300\nCreateRectangle(\"R\",\"N$,0,0,5,5\")\nNext i\n"
      "MatrixGet(\"Board\",\"2,1,Kept\")");
  p.loop.Run(10);
  EXPECT_EQ(p.Number("Kept"), 3);
  EXPECT_EQ(p.Find("One::R299").rect, (IntRect{0, 0, 5, 5}));
  // A created object starts in its load state even where a deleted one lived before.
  p.window->RunScriptText("DeleteObject(\"R299\")\nCreateRectangle(\"S\",\"N$,1,1,5,5\")");
  p.loop.Run(10);
  EXPECT_EQ(p.Find("One::S").rect, (IntRect{1, 1, 6, 6}));
}

}  // namespace
}  // namespace qlm
