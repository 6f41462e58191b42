#pragma once

#include <cstdint>
#include <utility>

namespace qlm {

// The client size a window may take: each side from 1 to 16384 pixels and the area within what
// one frame can hold (the height gives way), so that neither a project's settings nor a
// script's resizewindow can ask for a frame that cannot be allocated.
std::pair<int, int> FitClientSize(int64_t width, int64_t height);

}  // namespace qlm
