#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/AsciiText.h"

namespace qlm {

// Byte-string helpers shared by the script compiler and the command handlers. White space is
// the single-byte set blank, tab, CR, LF, vertical tab and form feed; bytes above 127 are
// ordinary characters.

constexpr bool IsScriptSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view TrimLeft(std::string_view text);
std::string_view TrimRight(std::string_view text);
std::string_view Trim(std::string_view text);

// Cuts `text` at each comma into at most `outputs.size()` pieces, left to right, untrimmed.
// An empty piece between two commas counts, a trailing comma adds none, text after the last
// piece taken is dropped, an empty text gives 0. Writes the pieces to the first slots of
// `outputs` (later slots keep their values) and returns how many there are.
size_t SplitList(std::string_view text, std::span<std::string> outputs);

// The same, returning at most `maxPieces` pieces.
std::vector<std::string> SplitList(std::string_view text, size_t maxPieces);

}  // namespace qlm
