#include "tools/FolderText.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "graphics/Utf8.h"
#include "platform/CodePage.h"

namespace qlm {

namespace {

std::string ToHex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

}  // namespace

nlohmann::ordered_json TextToJson(const std::string& text, const CodePage& codePage) {
  const std::string utf8 = codePage.ToUtf8(text);
  if (IsValidUtf8(utf8) && codePage.FromUtf8(utf8) == text) {
    return utf8;
  }
  return nlohmann::ordered_json{{"hex", ToHex(text)}};
}

nlohmann::ordered_json NumberToJson(double value) {
  if (std::isfinite(value)) {
    return value;
  }
  char bits[17];
  std::snprintf(bits, sizeof bits, "%016llx",
                static_cast<unsigned long long>(std::bit_cast<uint64_t>(value)));
  return nlohmann::ordered_json{{"bits", bits}};
}

std::optional<TextProblem> Utf8ToCodePage(const std::string& utf8, const CodePage& codePage,
                                          std::string& out) {
  out.clear();
  size_t i = 0;
  while (i < utf8.size()) {
    // ASCII runs convert as they are; each other character is checked on its own so that the
    // first one the code page lacks can be named.
    if (static_cast<unsigned char>(utf8[i]) < 0x80) {
      out += utf8[i++];
      continue;
    }
    const size_t length = Utf8SequenceLength(utf8, i);
    const std::string character = utf8.substr(i, length);
    if (!IsValidUtf8(character) || length < 2) {
      return TextProblem{i, "not UTF-8"};
    }
    const std::string converted = codePage.FromUtf8(character);
    if (converted.empty() || codePage.ToUtf8(converted) != character) {
      return TextProblem{
          i, "the character " + character + " does not exist in code page " + codePage.Name()};
    }
    out += converted;
    i += length;
  }
  return std::nullopt;
}

std::optional<std::string> FromHex(const std::string& hex) {
  if (hex.size() % 2 != 0) {
    return std::nullopt;
  }
  std::string out;
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int hi = HexValue(hex[i]);
    const int lo = HexValue(hex[i + 1]);
    if (hi < 0 || lo < 0) {
      return std::nullopt;
    }
    out += static_cast<char>(hi * 16 + lo);
  }
  return out;
}

}  // namespace qlm
