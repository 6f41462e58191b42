#include "player/PageIndex.h"

#include <algorithm>

#include "player/ObjectPainter.h"

namespace qlm {
namespace {

// The grid covers at most this range: objects reaching beyond it fall into the border cells.
constexpr IntRect kIndexedRange{-4096, -4096, 16384, 16384};
// Cells per side at most, and the smallest cell in pixels.
constexpr int64_t kMaxCellsPerSide = 128;
constexpr int64_t kMinCellSize = 16;

}  // namespace

IntRect PageIndex::DrawnBounds(const ObjectRecord& object, const ObjectPaintState& state) {
  return ObjectPainter::ObjectRect(object, state).Inflate(1);
}

PageIndex::PageIndex(const PageRecord& page, PaintRuntime& runtime, uint64_t revision)
    : objects_(page.objects.data()), count_(page.objects.size()), revision_(revision) {
  const size_t n = page.objects.size();
  bounds_.resize(n);
  seen_.assign(n, 0);
  std::vector<bool> always(n, false);
  IntRect extent;
  for (size_t i = 0; i < n; ++i) {
    const ObjectRecord& object = page.objects[i];
    if (object.noImages != 0) {
      always[i] = true;
      continue;
    }
    const ObjectPaintState state = runtime.StateOf(object);
    if (state.holdsChildWindow && ObjectPainter::IsWindowedKind(object.typeCode)) {
      always[i] = true;
      continue;
    }
    bounds_[i] = DrawnBounds(object, state);
    extent = extent.Union(bounds_[i]);
  }
  area_ = extent.Intersect(kIndexedRange);
  if (!area_.Empty()) {
    const int64_t side = std::max(area_.Width(), area_.Height());
    cellSize_ = static_cast<int32_t>(
        std::max(kMinCellSize, (side + kMaxCellsPerSide - 1) / kMaxCellsPerSide));
    columns_ = (area_.Width() + cellSize_ - 1) / cellSize_;
    rows_ = (area_.Height() + cellSize_ - 1) / cellSize_;
  } else {
    columns_ = rows_ = 0;
  }
  const int64_t cells = int64_t{columns_} * rows_;
  // An object over a quarter of the grid or more would fill many lists: it is always asked.
  for (size_t i = 0; i < n; ++i) {
    if (!always[i] && !bounds_[i].Empty() && cells >= 16 && CellsOf(bounds_[i]).Count() * 4 > cells)
      always[i] = true;
  }
  std::vector<uint32_t> counts(static_cast<size_t>(cells) + 1, 0);
  for (size_t i = 0; i < n; ++i) {
    if (always[i]) {
      always_.push_back(static_cast<uint32_t>(i));
      continue;
    }
    if (bounds_[i].Empty() || cells == 0)
      continue;
    const CellRange r = CellsOf(bounds_[i]);
    for (int32_t y = r.top; y <= r.bottom; ++y) {
      for (int32_t x = r.left; x <= r.right; ++x)
        ++counts[static_cast<size_t>(y) * columns_ + x + 1];
    }
  }
  for (size_t c = 1; c < counts.size(); ++c)
    counts[c] += counts[c - 1];
  cellStart_ = counts;
  cellObjects_.resize(counts.back());
  for (size_t i = 0; i < n; ++i) {
    if (always[i] || bounds_[i].Empty() || cells == 0)
      continue;
    const CellRange r = CellsOf(bounds_[i]);
    for (int32_t y = r.top; y <= r.bottom; ++y) {
      for (int32_t x = r.left; x <= r.right; ++x)
        cellObjects_[counts[static_cast<size_t>(y) * columns_ + x]++] = static_cast<uint32_t>(i);
    }
  }
}

PageIndex::CellRange PageIndex::CellsOf(const IntRect& r) const {
  auto cell = [this](int64_t v, int64_t origin, int32_t count) {
    return static_cast<int32_t>(std::clamp<int64_t>((v - origin) / cellSize_, 0, count - 1));
  };
  return {cell(r.left, area_.left, columns_), cell(r.top, area_.top, rows_),
          cell(int64_t{r.right} - 1, area_.left, columns_),
          cell(int64_t{r.bottom} - 1, area_.top, rows_)};
}

const std::vector<uint32_t>* PageIndex::ObjectsIn(const IntRect& box) {
  found_.clear();
  const int64_t cells = int64_t{columns_} * rows_;
  if (!box.Empty() && cells > 0) {
    const CellRange r = CellsOf(box);
    if (r.Count() * 4 > cells)
      return nullptr;
    if (++query_ == 0) {
      std::fill(seen_.begin(), seen_.end(), 0);
      query_ = 1;
    }
    for (int32_t y = r.top; y <= r.bottom; ++y) {
      const size_t row = static_cast<size_t>(y) * columns_;
      for (uint32_t k = cellStart_[row + r.left]; k < cellStart_[row + r.right + 1]; ++k) {
        const uint32_t i = cellObjects_[k];
        if (seen_[i] == query_)
          continue;
        seen_[i] = query_;
        if (bounds_[i].Intersects(box))
          found_.push_back(i);
      }
    }
  }
  found_.insert(found_.end(), always_.begin(), always_.end());
  std::sort(found_.begin(), found_.end());
  return &found_;
}

}  // namespace qlm
