#pragma once

#include <algorithm>
#include <cstdint>

#include "graphics/Geometry.h"

namespace qlm {

// A 64-bit value brought into the 32-bit range: object coordinates from scripts reach the
// extremes, and sums of them must neither wrap nor be undefined.
constexpr int32_t SaturateToInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// `rect` grown by `d` on every side, saturating at the 32-bit limits.
constexpr IntRect InflatedRect(const IntRect& rect, int32_t d) {
  return {SaturateToInt32(int64_t{rect.left} - d), SaturateToInt32(int64_t{rect.top} - d),
          SaturateToInt32(int64_t{rect.right} + d), SaturateToInt32(int64_t{rect.bottom} + d)};
}

}  // namespace qlm
