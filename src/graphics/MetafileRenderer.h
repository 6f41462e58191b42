#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace qlm {

// A picture with coverage: premultiplied 0xAARRGGBB pixels, rows from the top without padding.
struct ArgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

// Draws enhanced metafiles (the pictures of metafile objects). The host's renderer loads its
// converter the first time it is asked, so that a presentation without metafiles never loads it.
class MetafileRenderer {
 public:
  virtual ~MetafileRenderer() = default;
  // The picture stretched to width x height; nullopt when the bytes are not a metafile that
  // converts, or when no converter is at hand.
  virtual std::optional<ArgbImage> Render(std::span<const uint8_t> metafile, int width,
                                          int height) = 0;
};

}  // namespace qlm
