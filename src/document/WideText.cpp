#include "document/WideText.h"

#include <array>

#include "platform/CodePage.h"

namespace qlm {

namespace {

// Bytes 0x80..0x9F of Windows-1252. The five unassigned positions map to the C1 control of the
// same number, as the Windows conversion does.
constexpr std::array<char16_t, 32> kHigh1252 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char To1252(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
    return static_cast<char>(c);
  for (size_t i = 0; i < kHigh1252.size(); ++i) {
    if (kHigh1252[i] == c)
      return static_cast<char>(0x80 + i);
  }
  return '?';
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Calls emit(codePoint) for each character; unpaired surrogates give U+FFFD.
template <typename Emit>
void ForEachCodePoint(std::span<const uint8_t> utf16le, Emit emit) {
  const size_t units = utf16le.size() / 2;
  auto unit = [&](size_t i) -> char16_t {
    return static_cast<char16_t>(utf16le[2 * i] | (utf16le[2 * i + 1] << 8));
  };
  for (size_t i = 0; i < units; ++i) {
    const char16_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 &&
        unit(i + 1) <= 0xDFFF) {
      emit(0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(unit(i + 1)) - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      emit(0xFFFD);
    } else {
      emit(u);
    }
  }
}

}  // namespace

std::string WideToCodePage(std::span<const uint8_t> utf16le, const CodePage* codePage) {
  if (codePage == nullptr) {
    std::string out;
    out.reserve(utf16le.size() / 2);
    ForEachCodePoint(utf16le, [&](char32_t c) { out += To1252(c); });
    return out;
  }
  std::string utf8;
  ForEachCodePoint(utf16le, [&](char32_t c) { AppendUtf8(utf8, c); });
  return codePage->FromUtf8(utf8);
}

std::u16string Windows1252ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    out += (c >= 0x80 && c < 0xA0) ? kHigh1252[c - 0x80] : char16_t(c);
  }
  return out;
}

}  // namespace qlm
