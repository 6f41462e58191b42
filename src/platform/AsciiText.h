#pragma once

#include <string>
#include <string_view>

namespace qlm {

// Case folding of the 8-bit texts the core compares: A-Z only, whatever the locale, so bytes
// above 127 in the presentation's code page stay as they are.
constexpr char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}
constexpr char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

inline std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    c = AsciiLower(c);
  return out;
}

inline bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i]))
      return false;
  }
  return true;
}

}  // namespace qlm
