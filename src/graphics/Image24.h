#pragma once

#include <cstdint>
#include <vector>

namespace qlm {

// A stored 24-bit image: 3 bytes a pixel in B, G, R order, rows from the top, no row padding.
struct Image24 {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> pixels;  // width * height * 3 bytes, or fewer when a decode came up short

  bool Empty() const { return width == 0 || height == 0 || pixels.empty(); }
  bool operator==(const Image24&) const = default;
};

}  // namespace qlm
