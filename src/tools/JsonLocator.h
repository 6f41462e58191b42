#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qlm {

// 1-based line of a byte offset in a text.
size_t LineOfOffset(std::string_view text, size_t offset);

// The byte offset where the value named by a JSON pointer ("/pages/0/name") starts in a JSON
// text that parses; for a pointer one key past an object's members, the offset of the object.
// nullopt when the pointer names nothing.
std::optional<size_t> LocateJsonPointer(std::string_view text, const std::string& pointer);

}  // namespace qlm
