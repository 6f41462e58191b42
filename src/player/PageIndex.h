#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "document/PageRecord.h"
#include "graphics/Geometry.h"
#include "player/PaintRuntime.h"

namespace qlm {

// Where the objects of one page draw: the area they cover is cut into a grid of cells, each
// listing in drawing order the objects whose drawn bounds touch it, so that a small box asks
// only the objects near it. Aliases (drawn where and as large as another object makes them),
// objects that report a child window, and objects larger than a good part of the page are
// always asked.
class PageIndex {
 public:
  // Made from the page's objects as they lie now, for the runtime's layout revision.
  PageIndex(const PageRecord& page, PaintRuntime& runtime, uint64_t revision);

  // True while the page still holds the same object list and the runtime the same revision.
  bool Fits(const PageRecord& page, uint64_t revision) const {
    return page.objects.data() == objects_ && page.objects.size() == count_ &&
           revision == revision_;
  }

  // The objects that may draw inside `box`, in drawing order; null when the box covers so much
  // of the page that asking every object costs less.
  const std::vector<uint32_t>* ObjectsIn(const IntRect& box);

  // What DrawObject may touch: the rectangle moved by the offset, and the one pixel beyond it
  // where rectangle borders lie.
  static IntRect DrawnBounds(const ObjectRecord& object, const ObjectPaintState& state);

 private:
  struct CellRange {
    int32_t left = 0, top = 0, right = 0, bottom = 0;  // inclusive cell coordinates
    int64_t Count() const { return int64_t{right - left + 1} * (bottom - top + 1); }
  };
  CellRange CellsOf(const IntRect& r) const;

  const ObjectRecord* objects_ = nullptr;
  size_t count_ = 0;
  uint64_t revision_ = 0;
  IntRect area_;  // the grid's extent; bounds beyond it fall into the border cells
  int32_t cellSize_ = 1;
  int32_t columns_ = 1, rows_ = 1;
  std::vector<IntRect> bounds_;        // per object; empty for those that never draw
  std::vector<uint32_t> always_;       // asked for every box, ascending
  std::vector<uint32_t> cellStart_;    // per cell, where its list begins in cellObjects_
  std::vector<uint32_t> cellObjects_;  // the lists of all cells, each ascending
  std::vector<uint32_t> seen_;         // per object: the query that last collected it
  uint32_t query_ = 0;
  std::vector<uint32_t> found_;
};

}  // namespace qlm
