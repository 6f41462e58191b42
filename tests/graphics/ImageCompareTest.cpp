#include "graphics/ImageCompare.h"

#include <gtest/gtest.h>

namespace qlm {
namespace {

TEST(ImageCompareTest, ToleranceAndOutliersDecide) {
  Surface expected(10, 10, 0x808080);
  Surface actual = expected;
  actual.SetPixel(1, 1, 0x808085);  // within a tolerance of 8
  actual.SetPixel(2, 2, 0x80808A);  // beyond it
  actual.SetPixel(3, 3, 0x008080);  // beyond it, in another channel

  struct Case {
    CompareTolerance tolerance;
    int64_t outliers;
    bool matches;
  } const cases[] = {
      {{0, 0}, 3, false},
      {{8, 0}, 2, false},
      {{8, 2}, 2, true},
      {{200, 0}, 0, true},
  };
  for (const Case& c : cases) {
    const CompareResult r = CompareSurfaces(expected, actual, c.tolerance);
    EXPECT_EQ(r.outliers, c.outliers);
    EXPECT_EQ(r.matches, c.matches);
    EXPECT_EQ(r.maxChannelDifference, 0x80);
  }
  EXPECT_FALSE(CompareSurfaces(expected, Surface(10, 9), {255, 1000}).matches);

  const Surface diff = DifferenceImage(expected, actual, 8);
  EXPECT_EQ(diff.Pixel(2, 2), 0xFF0000u);
  EXPECT_EQ(diff.Pixel(1, 1), 0xFFFF00u);
  EXPECT_NE(diff.Pixel(0, 0), 0xFF0000u);
  const Surface sized = DifferenceImage(expected, Surface(12, 10, 0x808080), 8);
  EXPECT_EQ(sized.Width(), 12);
  EXPECT_EQ(sized.Pixel(11, 0), 0xFF0000u);
}

}  // namespace
}  // namespace qlm
