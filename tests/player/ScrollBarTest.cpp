#include "player/ScrollBar.h"

#include <gtest/gtest.h>

namespace qlm {
namespace {

using Part = ScrollBar::Part;

// A bar 15 x 115: arrows of 15 at each end, a track of 85 between them.
TEST(ScrollBarTest, PartsUnderThePointerAndTheThumbDragged) {
  const IntRect bar{0, 0, 15, 115};
  const ScrollBar top(bar, 100, 20, 0);  // a fifth in view: a thumb of 17 at the track's top
  const ScrollBar bottom(bar, 100, 20, 80);
  ASSERT_TRUE(top.Shown());
  EXPECT_EQ(top.Thumb(), (IntRect{0, 15, 15, 32}));
  EXPECT_EQ(bottom.Thumb(), (IntRect{0, 83, 15, 100}));
  struct Case {
    const ScrollBar& bar;
    int x, y;
    Part part;
  } cases[] = {
      {top, 7, 0, Part::kUp},         {top, 7, 14, Part::kUp},       {top, 7, 15, Part::kThumb},
      {top, 7, 32, Part::kPageDown},  {top, 7, 100, Part::kDown},    {top, 7, 114, Part::kDown},
      {bottom, 7, 82, Part::kPageUp}, {bottom, 7, 99, Part::kThumb}, {top, 15, 50, Part::kNone},
      {top, 7, 115, Part::kNone},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.bar.PartAt(c.x, c.y), c.part) << c.x << "," << c.y;
  // The thumb's top dragged half way down its room shows the middle; past the ends it stops.
  EXPECT_EQ(top.PositionForThumbAt(15 + 34), 40);
  EXPECT_EQ(top.PositionForThumbAt(-500), 0);
  EXPECT_EQ(top.PositionForThumbAt(500), 80);
  // A position past the end is kept at the end.
  EXPECT_EQ(ScrollBar(bar, 100, 20, 1000).Thumb(), bottom.Thumb());
}

TEST(ScrollBarTest, ContentThatFitsHasNoBar) {
  const ScrollBar fits({0, 0, 15, 115}, 20, 20, 0);
  EXPECT_FALSE(fits.Shown());
  EXPECT_EQ(fits.PartAt(7, 5), Part::kNone);
  EXPECT_EQ(fits.MaxPosition(), 0);
  // A bar too short for a thumb keeps its arrows.
  const ScrollBar shortBar({0, 0, 15, 20}, 100, 2, 0);
  EXPECT_EQ(shortBar.PartAt(7, 2), Part::kUp);
  EXPECT_EQ(shortBar.PartAt(7, 18), Part::kDown);
  EXPECT_TRUE(shortBar.Thumb().Empty());
}

}  // namespace
}  // namespace qlm
