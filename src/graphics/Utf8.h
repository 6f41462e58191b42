#pragma once

#include <string>
#include <string_view>

namespace qlm {

// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view text);
// The text with every malformed sequence replaced by U+FFFD, so that the font engine, which
// refuses malformed input, always gets something to draw.
std::string SanitizeUtf8(std::string_view text);
// Length in bytes of the UTF-8 sequence that starts at text[i] (1 for a stray byte).
size_t Utf8SequenceLength(std::string_view text, size_t i);

}  // namespace qlm
