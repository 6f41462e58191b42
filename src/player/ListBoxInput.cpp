#include "player/ListBoxInput.h"

#include <algorithm>

#include "platform/KeyNames.h"
#include "platform/TypeAhead.h"
#include "player/ObjectPainter.h"
#include "script/ListBoxControl.h"

namespace qlm {
namespace {

// The first selected row, or nullopt.
std::optional<size_t> CurrentRow(const ListBoxControl& list) {
  const auto& items = list.Items();
  const auto it =
      std::find_if(items.begin(), items.end(), [](const auto& i) { return i.selected; });
  if (it == items.end())
    return std::nullopt;
  return static_cast<size_t>(it - items.begin());
}

}  // namespace

std::optional<size_t> ListBoxRowAt(const ListBoxControl& list, const IntRect& objectRect,
                                   int rowHeight, int x, int y) {
  const IntRect rows = ObjectPainter::ListBoxRows(objectRect, list.Size(), rowHeight);
  if (!rows.Contains(x, y))
    return std::nullopt;
  const int64_t offset = (int64_t{y} - rows.top) / std::max(1, rowHeight);
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

std::optional<size_t> ListBoxKeyRow(const ListBoxControl& list, uint32_t key, size_t visibleRows) {
  if (list.Size() == 0)
    return std::nullopt;
  const size_t last = list.Size() - 1;
  const std::optional<size_t> current = CurrentRow(list);
  const size_t page = std::max<size_t>(1, visibleRows) - (visibleRows > 1 ? 1 : 0);
  switch (key) {
    case vk::kUp:
      return current && *current > 0 ? *current - 1 : 0;
    case vk::kDown:
      return current ? std::min(*current + 1, last) : 0;
    case vk::kPrior:
      return current ? *current - std::min(*current, page) : 0;
    case vk::kNext:
      return current ? std::min(*current + std::min(page, last), last) : std::min(page, last);
    case vk::kHome:
      return 0;
    case vk::kEnd:
      return last;
    default:
      return std::nullopt;
  }
}

std::optional<size_t> ListBoxTypeAheadRow(const ListBoxControl& list, std::string_view prefix) {
  return TypeAheadRow(list.Size(), CurrentRow(list).value_or(list.Size()), prefix,
                      [&list](size_t row) -> std::string_view { return list.Items()[row].text; });
}

}  // namespace qlm
