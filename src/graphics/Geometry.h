#pragma once

#include <algorithm>
#include <cstdint>

namespace qlm {

// Integer pixel geometry for drawing. A rectangle covers the pixels from left/top up to, but not
// including, right/bottom, as Windows rectangles do.
struct IntPoint {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const IntPoint&) const = default;
};

struct IntRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  static IntRect FromSize(int32_t x, int32_t y, int32_t w, int32_t h) {
    return {x, y, x + w, y + h};
  }
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
  bool Contains(int32_t x, int32_t y) const {
    return x >= left && x < right && y >= top && y < bottom;
  }
  // Every pixel of `o` is one of this rectangle's; false for an empty `o`.
  bool Covers(const IntRect& o) const {
    return !o.Empty() && left <= o.left && top <= o.top && o.right <= right && o.bottom <= bottom;
  }
  bool Intersects(const IntRect& o) const {
    return !Empty() && !o.Empty() && left < o.right && o.left < right && top < o.bottom &&
           o.top < bottom;
  }
  IntRect Intersect(const IntRect& o) const {
    IntRect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
              std::min(bottom, o.bottom)};
    if (r.Empty())
      return {};
    return r;
  }
  IntRect Union(const IntRect& o) const {
    if (Empty())
      return o;
    if (o.Empty())
      return *this;
    return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right),
            std::max(bottom, o.bottom)};
  }
  IntRect Offset(int32_t dx, int32_t dy) const {
    return {left + dx, top + dy, right + dx, bottom + dy};
  }
  IntRect Inflate(int32_t d) const { return {left - d, top - d, right + d, bottom + d}; }
  bool operator==(const IntRect&) const = default;
};

}  // namespace qlm
