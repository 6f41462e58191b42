#include "graphics/Surface.h"

#include <pixman.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

namespace qlm {

Surface::Surface(int width, int height, uint32_t color) {
  if (width < 0 || height < 0 || int64_t{width} * height > kMaxPixels) {
    throw std::length_error("surface of " + std::to_string(width) + " x " + std::to_string(height) +
                            " pixels is too large");
  }
  width_ = width;
  height_ = height;
  pixels_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), color);
}

uint32_t Surface::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_)
    return 0;
  return Row(y)[x];
}

void Surface::SetPixel(int x, int y, uint32_t color) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_)
    return;
  Row(y)[x] = color;
}

void Surface::Fill(uint32_t color) {
  Fill(0, 0, width_, height_, color);
}

void Surface::Fill(int x, int y, int w, int h, uint32_t color) {
  const int64_t left = std::max<int64_t>(x, 0);
  const int64_t top = std::max<int64_t>(y, 0);
  const int64_t right = std::min<int64_t>(int64_t{x} + std::max(w, 0), width_);
  const int64_t bottom = std::min<int64_t>(int64_t{y} + std::max(h, 0), height_);
  if (right <= left || bottom <= top)
    return;
  // pixman fills with SIMD stores; the plain loop is for what it declines.
  if (pixman_fill(pixels_.data(), width_, 32, static_cast<int>(left), static_cast<int>(top),
                  static_cast<int>(right - left), static_cast<int>(bottom - top), color))
    return;
  for (int64_t row = top; row < bottom; ++row) {
    uint32_t* p = Row(static_cast<int>(row));
    std::fill(p + left, p + right, color);
  }
}

void Surface::Blit(const Surface& src, int srcX, int srcY, int w, int h, int dstX, int dstY) {
  if (&src == this) {
    const Surface copy = src;
    Blit(copy, srcX, srcY, w, h, dstX, dstY);
    return;
  }
  // Work in 64 bits so that extreme offsets cannot overflow, then clip against both surfaces.
  int64_t sx = srcX, sy = srcY, dx = dstX, dy = dstY, cw = std::max(w, 0), ch = std::max(h, 0);
  auto clipStart = [&](int64_t& s, int64_t& d, int64_t& len) {
    const int64_t shift = std::max<int64_t>({0, -s, -d});
    s += shift;
    d += shift;
    len -= shift;
  };
  clipStart(sx, dx, cw);
  clipStart(sy, dy, ch);
  cw = std::min({cw, src.width_ - sx, width_ - dx});
  ch = std::min({ch, src.height_ - sy, height_ - dy});
  if (cw <= 0 || ch <= 0)
    return;
  for (int64_t row = 0; row < ch; ++row) {
    std::memcpy(Row(static_cast<int>(dy + row)) + dx, src.Row(static_cast<int>(sy + row)) + sx,
                static_cast<size_t>(cw) * sizeof(uint32_t));
  }
}

Image24 Surface::ToImage24() const {
  Image24 image;
  image.width = static_cast<uint32_t>(width_);
  image.height = static_cast<uint32_t>(height_);
  image.pixels.resize(pixels_.size() * 3);
  uint8_t* out = image.pixels.data();
  for (uint32_t p : pixels_) {
    *out++ = static_cast<uint8_t>(p);
    *out++ = static_cast<uint8_t>(p >> 8);
    *out++ = static_cast<uint8_t>(p >> 16);
  }
  return image;
}

Surface Surface::FromImage24(const Image24& image) {
  Surface s(static_cast<int>(std::min<uint32_t>(image.width, kMaxPixels)),
            static_cast<int>(std::min<uint32_t>(image.height, kMaxPixels)));
  const size_t count = std::min(s.pixels_.size(), image.pixels.size() / 3);
  const uint8_t* in = image.pixels.data();
  for (size_t i = 0; i < count; ++i, in += 3)
    s.pixels_[i] = (uint32_t{in[2]} << 16) | (uint32_t{in[1]} << 8) | in[0];
  return s;
}

}  // namespace qlm
