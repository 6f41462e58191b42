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

// The text without the blanks and tabs around it.
constexpr std::string_view TrimSpacesAndTabs(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
    text.remove_suffix(1);
  return text;
}

// Byte order with A-Z folded to a-z: the order of names in lists the user reads.
inline bool LessIgnoreAsciiCase(std::string_view a, std::string_view b) {
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    const char x = AsciiLower(a[i]), y = AsciiLower(b[i]);
    if (x != y)
      return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
  }
  return a.size() < b.size();
}

// The value of a hexadecimal digit in either case; -1 for other characters.
constexpr int AsciiHexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
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

inline bool StartsWithIgnoreAsciiCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         EqualsIgnoreAsciiCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace qlm
