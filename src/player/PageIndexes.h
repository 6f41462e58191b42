#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "document/PageRecord.h"
#include "graphics/Geometry.h"
#include "player/PageIndex.h"
#include "player/PaintRuntime.h"

namespace qlm {

// The indexes of the pages a painter or hit test asks. A page's index is made once the same
// layout (object list and the runtime's layout revision) is asked for a second time: a page that
// changes between every two asks (an animation moving objects each frame) is walked whole, which
// costs less than making its index each time.
class PageIndexes {
 public:
  // The objects of the page that may draw in `box`, in drawing order; null when every object
  // must be asked (small pages, large boxes, a layout just changed, a runtime that cannot tell
  // its layout revision).
  const std::vector<uint32_t>* ObjectsIn(const PageRecord& page, const IntRect& box,
                                         PaintRuntime& runtime);

 private:
  struct Entry {
    // The layout last asked for.
    const ObjectRecord* objects = nullptr;
    size_t count = 0;
    uint64_t revision = 0;
    std::unique_ptr<PageIndex> index;  // made for that layout, or null
  };
  std::unordered_map<const PageRecord*, Entry> entries_;
};

}  // namespace qlm
