#pragma once

#include <cstddef>

namespace qlm {

// The longest text a script can build, by concatenation or by a text function. A longer result
// raises the overflow error instead, so a runaway script (s$=s$+s$ in a loop) stops at 16 MiB
// rather than exhausting memory; 16 MiB is far above any text a presentation shows or stores.
inline constexpr size_t kMaxScriptText = size_t{16} << 20;

}  // namespace qlm
