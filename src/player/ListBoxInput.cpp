#include "player/ListBoxInput.h"

#include <algorithm>

#include "player/ObjectPainter.h"
#include "script/ListBoxControl.h"

namespace qlm {

std::optional<size_t> ListBoxRowAt(const ListBoxControl& list, const IntRect& objectRect,
                                   int rowHeight, int x, int y) {
  const IntRect inside = ObjectPainter::ListBoxInside(objectRect);
  if (x < inside.left || x >= inside.right || y < inside.top || y >= inside.bottom)
    return std::nullopt;
  const int64_t offset = (int64_t{y} - inside.top) / std::max(1, rowHeight);
  const uint64_t row = list.TopIndex() + static_cast<uint64_t>(offset);
  if (row >= list.Size())
    return std::nullopt;
  return static_cast<size_t>(row);
}

bool ClickListBox(ListBoxControl& list, const IntRect& objectRect, int rowHeight, int x, int y,
                  bool toggle) {
  const std::optional<size_t> row = ListBoxRowAt(list, objectRect, rowHeight, x, y);
  return row && list.ClickItem(*row, toggle);
}

}  // namespace qlm
