#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "graphics/Geometry.h"

namespace qlm {

class ListBoxControl;

// The row of a list box under (x, y): rows of `rowHeight` pixels fill the inside of the
// object's rectangle (less its scroll bar) from the top, starting with the control's first
// visible row. nullopt outside them or below the last row.
std::optional<size_t> ListBoxRowAt(const ListBoxControl& list, const IntRect& objectRect,
                                   int rowHeight, int x, int y);

// A click on a list box drawn at `objectRect`: the row under the mouse becomes the selection
// (with `toggle`, only that row's selection flips). True when the selection changed.
bool ClickListBox(ListBoxControl& list, const IntRect& objectRect, int rowHeight, int x, int y,
                  bool toggle);

// The row a navigation key (Up, Down, Page Up, Page Down, Home, End) moves the selection of a
// list box showing `visibleRows` rows to: from its first selected row (before the first row
// when none is selected). nullopt for other keys and an empty list.
std::optional<size_t> ListBoxKeyRow(const ListBoxControl& list, uint32_t vk, size_t visibleRows);

// Type-ahead: the first row after the first selected one (wrapping round, the selected row
// itself last) whose text begins with `prefix`, ASCII case ignored. A prefix of one repeated
// character steps through the rows that begin with it. nullopt when none does.
std::optional<size_t> ListBoxTypeAheadRow(const ListBoxControl& list, std::string_view prefix);

}  // namespace qlm
