#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "document/PageRecord.h"
#include "graphics/Geometry.h"
#include "player/PageIndex.h"
#include "player/PaintRuntime.h"

namespace qlm {

// The indexes of the pages a painter or hit test asks, each made again when its page's object
// list or the runtime's layout revision changed.
class PageIndexes {
 public:
  // The objects of the page that may draw in `box`, in drawing order; null when every object
  // must be asked (small pages, large boxes, a runtime that cannot tell its layout revision).
  const std::vector<uint32_t>* ObjectsIn(const PageRecord& page, const IntRect& box,
                                         PaintRuntime& runtime);

 private:
  std::unordered_map<const PageRecord*, std::unique_ptr<PageIndex>> indexes_;
};

}  // namespace qlm
