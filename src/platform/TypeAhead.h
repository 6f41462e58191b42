#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string_view>

#include "platform/AsciiText.h"

namespace qlm {

// Type-ahead in a list of `count` rows whose texts `textOf(row)` gives: the first row after
// `current` (wrapping round, `current` itself last; `count` or more: none, the first row first)
// whose text begins with `prefix`, ASCII case ignored. A prefix of one repeated character steps
// through the rows that begin with it; a longer prefix may keep the current row. nullopt when no
// row begins with it.
template <typename TextOf>
std::optional<size_t> TypeAheadRow(size_t count, size_t current, std::string_view prefix,
                                   TextOf textOf) {
  if (prefix.empty() || count == 0)
    return std::nullopt;
  const bool repeated =
      std::all_of(prefix.begin(), prefix.end(), [&](char c) { return c == prefix[0]; });
  const std::string_view wanted = repeated ? prefix.substr(0, 1) : prefix;
  const size_t start = current >= count ? 0 : repeated ? current + 1 : current;
  for (size_t i = 0; i < count; ++i) {
    const size_t row = (start + i) % count;
    if (StartsWithIgnoreAsciiCase(textOf(row), wanted))
      return row;
  }
  return std::nullopt;
}

}  // namespace qlm
