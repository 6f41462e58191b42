#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/Image24.h"

namespace qlm {

// A 32-bit frame: pixels 0x00RRGGBB (the memory layout of cairo's RGB24 images), rows from the
// top without padding. Drawing calls clip to the surface; nothing writes outside it.
class Surface {
 public:
  // Surfaces larger than this many pixels (256 MiB) are refused.
  static constexpr int64_t kMaxPixels = int64_t{1} << 26;

  Surface() = default;
  // Throws std::length_error when a side is negative or the surface would be too large.
  Surface(int width, int height, uint32_t color = 0);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }

  uint32_t* Row(int y) { return pixels_.data() + static_cast<size_t>(y) * width_; }
  const uint32_t* Row(int y) const { return pixels_.data() + static_cast<size_t>(y) * width_; }
  // 0 outside the surface.
  uint32_t Pixel(int x, int y) const;
  void SetPixel(int x, int y, uint32_t color);

  void Fill(uint32_t color);
  void Fill(int x, int y, int w, int h, uint32_t color);
  // Copies the w x h box at (srcX, srcY) of `src` to (dstX, dstY); `src` may be this surface.
  void Blit(const Surface& src, int srcX, int srcY, int w, int h, int dstX, int dstY);

  // The stored colour form 0x00BBGGRR to a pixel, and back.
  static constexpr uint32_t FromColorRef(uint32_t bgr) {
    return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
  }
  static constexpr uint32_t ToColorRef(uint32_t rgb) { return FromColorRef(rgb); }

  // As a 24-bit image (B, G, R bytes), for the encoders.
  Image24 ToImage24() const;
  // From a 24-bit image; pixels the image lacks bytes for are black.
  static Surface FromImage24(const Image24& image);

  const std::vector<uint32_t>& Pixels() const { return pixels_; }
  bool operator==(const Surface&) const = default;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t> pixels_;
};

}  // namespace qlm
