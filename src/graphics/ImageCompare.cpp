#include "graphics/ImageCompare.h"

#include <algorithm>
#include <cstdlib>

namespace qlm {
namespace {

int ChannelDifference(uint32_t a, uint32_t b) {
  int worst = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const int d =
        std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
    worst = std::max(worst, d);
  }
  return worst;
}

}  // namespace

std::string CompareResult::Describe() const {
  if (!sizeMatches)
    return "the sizes differ";
  return std::to_string(outliers) + " pixels differ beyond the tolerance (largest channel " +
         "difference " + std::to_string(maxChannelDifference) + ")";
}

CompareResult CompareSurfaces(const Surface& expected, const Surface& actual,
                              const CompareTolerance& tolerance) {
  CompareResult result;
  if (expected.Width() != actual.Width() || expected.Height() != actual.Height()) {
    result.sizeMatches = false;
    return result;
  }
  const auto& e = expected.Pixels();
  const auto& a = actual.Pixels();
  for (size_t i = 0; i < e.size(); ++i) {
    if (e[i] == a[i])
      continue;
    const int d = ChannelDifference(e[i], a[i]);
    result.maxChannelDifference = std::max(result.maxChannelDifference, d);
    if (d > tolerance.tolerance)
      ++result.outliers;
  }
  result.matches = result.outliers <= tolerance.maxOutliers;
  return result;
}

Surface DifferenceImage(const Surface& expected, const Surface& actual, int tolerance) {
  const int w = std::max(expected.Width(), actual.Width());
  const int h = std::max(expected.Height(), actual.Height());
  Surface out(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const bool inside = x < expected.Width() && y < expected.Height() && x < actual.Width() &&
                          y < actual.Height();
      const uint32_t e = expected.Pixel(x, y);
      const int d = inside ? ChannelDifference(e, actual.Pixel(x, y)) : 255;
      uint32_t color;
      if (d > tolerance) {
        color = 0xFF0000;
      } else if (d > 0) {
        color = 0xFFFF00;
      } else {
        const uint32_t grey = (((e >> 16) & 0xFF) + ((e >> 8) & 0xFF) + (e & 0xFF)) / 3 / 4 + 0xC0;
        color = grey << 16 | grey << 8 | grey;
      }
      out.SetPixel(x, y, color);
    }
  }
  return out;
}

}  // namespace qlm
