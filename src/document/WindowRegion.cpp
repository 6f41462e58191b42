#include "document/WindowRegion.h"

#include <pixman.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace qlm {

namespace {

// Rectangles are handed to pixman in batches of this many; each batch becomes a region that
// is united with the result.
constexpr size_t kBatch = 2000;

// Work allowed for one polygon: edge crossings plus outline pixels. A shape that needs more
// is not a window outline anyone drew.
constexpr int64_t kMaxPolygonWork = 50'000'000;

class RegionBuilder {
 public:
  RegionBuilder() { pixman_region32_init(&result_); }
  ~RegionBuilder() { pixman_region32_fini(&result_); }
  RegionBuilder(const RegionBuilder&) = delete;
  RegionBuilder& operator=(const RegionBuilder&) = delete;

  void Add(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    batch_.push_back({left, top, right, bottom});
    if (batch_.size() == kBatch)
      Flush();
  }

  std::vector<IntRect> Finish() {
    Flush();
    int count = 0;
    const pixman_box32_t* boxes = pixman_region32_rectangles(&result_, &count);
    std::vector<IntRect> out;
    out.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
      out.push_back({boxes[i].x1, boxes[i].y1, boxes[i].x2, boxes[i].y2});
    }
    return out;
  }

 private:
  void Flush() {
    if (batch_.empty())
      return;
    pixman_region32_t part;
    pixman_region32_init_rects(&part, batch_.data(), static_cast<int>(batch_.size()));
    pixman_region32_union(&result_, &result_, &part);
    pixman_region32_fini(&part);
    batch_.clear();
  }

  pixman_region32_t result_;
  std::vector<pixman_box32_t> batch_;
};

bool Opaque(uint8_t value) {
  return value < 255 - kMaskTolerance;
}

}  // namespace

std::vector<IntRect> RegionFromMask(std::span<const uint8_t> mask, uint32_t width,
                                    uint32_t height) {
  RegionBuilder builder;
  for (uint64_t y = 0; y < height; ++y) {
    const uint64_t rowStart = y * width;
    if (rowStart >= mask.size())
      break;
    const uint64_t rowWidth = std::min<uint64_t>(width, mask.size() - rowStart);
    const uint8_t* row = mask.data() + rowStart;
    uint64_t x = 0;
    while (x < rowWidth) {
      if (!Opaque(row[x])) {
        ++x;
        continue;
      }
      const uint64_t start = x;
      while (x < rowWidth && Opaque(row[x]))
        ++x;
      builder.Add(static_cast<int32_t>(start), static_cast<int32_t>(y), static_cast<int32_t>(x),
                  static_cast<int32_t>(y + 1));
    }
  }
  return builder.Finish();
}

std::vector<IntRect> RegionFromPolygon(std::span<const IntPoint> points) {
  if (points.empty())
    return {};
  int64_t minX = points[0].x, maxX = points[0].x, minY = points[0].y, maxY = points[0].y;
  for (const IntPoint& p : points) {
    minX = std::min<int64_t>(minX, p.x);
    maxX = std::max<int64_t>(maxX, p.x);
    minY = std::min<int64_t>(minY, p.y);
    maxY = std::max<int64_t>(maxY, p.y);
  }
  if (maxX - minX >= kMaxPolygonExtent || maxY - minY >= kMaxPolygonExtent)
    return {};

  const size_t n = points.size();
  int64_t work = 0;
  for (size_t i = 0; i < n; ++i) {
    const IntPoint& a = points[i];
    const IntPoint& b = points[(i + 1) % n];
    const int64_t dx = std::llabs(int64_t{b.x} - a.x);
    const int64_t dy = std::llabs(int64_t{b.y} - a.y);
    work += dy + std::max(dx, dy) + 1;
    if (work > kMaxPolygonWork)
      return {};
  }

  // Interior: a pixel belongs to the fill when its centre lies inside by the even-odd rule.
  std::vector<std::pair<int64_t, double>> crossings;  // (row, x)
  for (size_t i = 0; i < n; ++i) {
    const IntPoint& a = points[i];
    const IntPoint& b = points[(i + 1) % n];
    if (a.y == b.y)
      continue;
    const double ax = a.x, ay = a.y, bx = b.x, by = b.y;
    const int64_t top = std::min<int64_t>(a.y, b.y);
    const int64_t bottom = std::max<int64_t>(a.y, b.y);
    for (int64_t row = top; row < bottom; ++row) {
      const double yc = static_cast<double>(row) + 0.5;
      if (yc < std::min(ay, by) || yc >= std::max(ay, by))
        continue;
      crossings.emplace_back(row, ax + (yc - ay) * (bx - ax) / (by - ay));
    }
  }
  std::sort(crossings.begin(), crossings.end());

  RegionBuilder builder;
  for (size_t i = 0; i + 1 < crossings.size();) {
    const int64_t row = crossings[i].first;
    size_t end = i;
    while (end < crossings.size() && crossings[end].first == row)
      ++end;
    for (size_t k = i; k + 1 < end; k += 2) {
      const int64_t from = static_cast<int64_t>(std::ceil(crossings[k].second - 0.5));
      const int64_t to = static_cast<int64_t>(std::ceil(crossings[k + 1].second - 0.5));
      if (to > from) {
        builder.Add(static_cast<int32_t>(from), static_cast<int32_t>(row), static_cast<int32_t>(to),
                    static_cast<int32_t>(row + 1));
      }
    }
    i = end;
  }

  // Outline: each edge stepped along its longer axis, one pixel a step, rounded by adding 0.5.
  std::vector<std::pair<int64_t, int64_t>> outline;  // (row, column)
  for (size_t i = 0; i < n; ++i) {
    const IntPoint& a = points[i];
    const IntPoint& b = points[(i + 1) % n];
    const int64_t dx = int64_t{b.x} - a.x;
    const int64_t dy = int64_t{b.y} - a.y;
    const int64_t steps = std::max(std::llabs(dx), std::llabs(dy));
    for (int64_t s = 0; s <= steps; ++s) {
      const double t = steps == 0 ? 0.0 : static_cast<double>(s) / static_cast<double>(steps);
      const auto x = static_cast<int64_t>(std::floor(a.x + dx * t + 0.5));
      const auto y = static_cast<int64_t>(std::floor(a.y + dy * t + 0.5));
      outline.emplace_back(y, x);
    }
  }
  std::sort(outline.begin(), outline.end());
  outline.erase(std::unique(outline.begin(), outline.end()), outline.end());
  for (size_t i = 0; i < outline.size();) {
    size_t end = i + 1;
    while (end < outline.size() && outline[end].first == outline[i].first &&
           outline[end].second == outline[end - 1].second + 1) {
      ++end;
    }
    builder.Add(static_cast<int32_t>(outline[i].second), static_cast<int32_t>(outline[i].first),
                static_cast<int32_t>(outline[end - 1].second + 1),
                static_cast<int32_t>(outline[i].first + 1));
    i = end;
  }
  return builder.Finish();
}

}  // namespace qlm
