#pragma once

#include <cstddef>
#include <optional>

#include "graphics/Geometry.h"

namespace qlm {

class ListBoxControl;

// The row of a list box under (x, y): rows of `rowHeight` pixels fill the inside of the
// object's rectangle from the top, starting with the control's first visible row. nullopt
// outside the inside or below the last row.
std::optional<size_t> ListBoxRowAt(const ListBoxControl& list, const IntRect& objectRect,
                                   int rowHeight, int x, int y);

// A click on a list box drawn at `objectRect`: the row under the mouse becomes the selection
// (with `toggle`, only that row's selection flips). True when the selection changed.
bool ClickListBox(ListBoxControl& list, const IntRect& objectRect, int rowHeight, int x, int y,
                  bool toggle);

}  // namespace qlm
