#pragma once

#include <cstdint>
#include <string>

#include "graphics/Surface.h"

namespace qlm {

// How far two frames may differ: a pixel is an outlier when any channel differs by more than
// `tolerance`; the frames match when there are at most `maxOutliers` outliers.
struct CompareTolerance {
  int tolerance = 0;
  int64_t maxOutliers = 0;
};

struct CompareResult {
  bool sizeMatches = true;
  int64_t outliers = 0;
  int maxChannelDifference = 0;
  bool matches = false;

  std::string Describe() const;
};

CompareResult CompareSurfaces(const Surface& expected, const Surface& actual,
                              const CompareTolerance& tolerance);

// A picture of the differences: outliers in red over a faded grey copy of the expected frame,
// smaller differences in yellow. Frames of different sizes are compared over the larger size,
// the missing part counting as different.
Surface DifferenceImage(const Surface& expected, const Surface& actual, int tolerance);

}  // namespace qlm
