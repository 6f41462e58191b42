#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace qlm {

class CodePage;

// Converts UTF-16LE code units (2 bytes each) to the player's 8-bit code page. Without a code
// page the built-in Windows-1252 table is used. Characters the code page lacks become '?'; a
// surrogate pair is one character.
std::string WideToCodePage(std::span<const uint8_t> utf16le, const CodePage* codePage = nullptr);

// Windows-1252 text to UTF-16 code units (for writing wide strings in tests and tools).
std::u16string Windows1252ToUtf16(std::string_view text);

}  // namespace qlm
