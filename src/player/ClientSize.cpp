#include "player/ClientSize.h"

#include <algorithm>

#include "graphics/Surface.h"

namespace qlm {

std::pair<int, int> FitClientSize(int64_t width, int64_t height) {
  constexpr int64_t kMaxSide = 16384;
  const int64_t w = std::clamp<int64_t>(width, 1, kMaxSide);
  const int64_t h = std::clamp<int64_t>(height, 1, std::min(kMaxSide, Surface::kMaxPixels / w));
  return {static_cast<int>(w), static_cast<int>(h)};
}

}  // namespace qlm
