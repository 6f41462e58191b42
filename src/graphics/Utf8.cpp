#include "graphics/Utf8.h"

#include <cstdint>

namespace qlm {
namespace {

// Length of the well-formed sequence at i, or 0 when it is malformed.
size_t WellFormedLength(std::string_view s, size_t i) {
  const auto b = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
  const uint8_t c = b(i);
  if (c < 0x80)
    return 1;
  size_t n = 0;
  uint8_t lo = 0x80, hi = 0xBF;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    if (c == 0xE0)
      lo = 0xA0;
    if (c == 0xED)
      hi = 0x9F;  // no surrogates
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    if (c == 0xF0)
      lo = 0x90;
    if (c == 0xF4)
      hi = 0x8F;
  } else {
    return 0;
  }
  if (i + n > s.size())
    return 0;
  if (b(i + 1) < lo || b(i + 1) > hi)
    return 0;
  for (size_t k = 2; k < n; ++k) {
    if (b(i + k) < 0x80 || b(i + k) > 0xBF)
      return 0;
  }
  return n;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const size_t n = WellFormedLength(text, i);
    if (n == 0)
      return false;
    i += n;
  }
  return true;
}

std::string SanitizeUtf8(std::string_view text) {
  if (IsValidUtf8(text))
    return std::string(text);
  std::string out;
  out.reserve(text.size() + 8);
  for (size_t i = 0; i < text.size();) {
    const size_t n = WellFormedLength(text, i);
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out.append(text.substr(i, n));
      i += n;
    }
  }
  return out;
}

size_t Utf8SequenceLength(std::string_view text, size_t i) {
  const size_t n = WellFormedLength(text, i);
  return n == 0 ? 1 : n;
}

}  // namespace qlm
