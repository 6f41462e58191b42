#include "platform/KeyNames.h"

#include <charconv>

namespace qlm {
namespace {

struct NamedKey {
  std::string_view name;
  uint32_t code;
};

// Named keys; the first spelling of a code is the one VirtualKeyName gives.
constexpr NamedKey kKeys[] = {
    {"BackSpace", 0x08}, {"Back", 0x08},        {"Tab", 0x09},         {"Clear", 0x0C},
    {"Return", 0x0D},    {"Enter", 0x0D},       {"Shift", 0x10},       {"Control", 0x11},
    {"Ctrl", 0x11},      {"Alt", 0x12},         {"Menu", 0x12},        {"Pause", 0x13},
    {"CapsLock", 0x14},  {"Escape", 0x1B},      {"Esc", 0x1B},         {"Space", 0x20},
    {"PageUp", 0x21},    {"Prior", 0x21},       {"PageDown", 0x22},    {"Next", 0x22},
    {"End", 0x23},       {"Home", 0x24},        {"Left", 0x25},        {"Up", 0x26},
    {"Right", 0x27},     {"Down", 0x28},        {"Select", 0x29},      {"Print", 0x2A},
    {"Execute", 0x2B},   {"Snapshot", 0x2C},    {"PrintScreen", 0x2C}, {"Insert", 0x2D},
    {"Delete", 0x2E},    {"Help", 0x2F},        {"LWin", 0x5B},        {"RWin", 0x5C},
    {"Apps", 0x5D},      {"Sleep", 0x5F},       {"Multiply", 0x6A},    {"Add", 0x6B},
    {"Separator", 0x6C}, {"Subtract", 0x6D},    {"Decimal", 0x6E},     {"Divide", 0x6F},
    {"NumLock", 0x90},   {"ScrollLock", 0x91},  {"Scroll", 0x91},      {"LShift", 0xA0},
    {"RShift", 0xA1},    {"LControl", 0xA2},    {"RControl", 0xA3},    {"LMenu", 0xA4},
    {"RMenu", 0xA5},     {"Semicolon", 0xBA},   {"Plus", 0xBB},        {"Equals", 0xBB},
    {"Comma", 0xBC},     {"Minus", 0xBD},       {"Period", 0xBE},      {"Slash", 0xBF},
    {"Grave", 0xC0},     {"BracketLeft", 0xDB}, {"Backslash", 0xDC},   {"BracketRight", 0xDD},
    {"Quote", 0xDE},
};

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z')
      x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z')
      y = static_cast<char>(y - 32);
    if (x != y)
      return false;
  }
  return true;
}

// The number after `prefix` (without regard to case) when it lies from `low` to `high`.
std::optional<uint32_t> NumberedKey(std::string_view name, std::string_view prefix, uint32_t low,
                                    uint32_t high) {
  if (name.size() <= prefix.size() || !EqualNoCase(name.substr(0, prefix.size()), prefix)) {
    return std::nullopt;
  }
  const std::string_view digits = name.substr(prefix.size());
  if (digits.size() > 1 && digits[0] == '0')
    return std::nullopt;
  uint32_t n = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  if (ec != std::errc() || end != digits.data() + digits.size() || n < low || n > high) {
    return std::nullopt;
  }
  return n;
}

}  // namespace

std::optional<uint32_t> VirtualKeyFromName(std::string_view name) {
  if (name.size() == 1) {
    const char c = name[0];
    if (c >= 'A' && c <= 'Z')
      return static_cast<uint32_t>(c);
    if (c >= 'a' && c <= 'z')
      return static_cast<uint32_t>(c - 'a' + 'A');
    if (c >= '0' && c <= '9')
      return static_cast<uint32_t>(c);
    return std::nullopt;
  }
  for (const NamedKey& k : kKeys) {
    if (EqualNoCase(k.name, name))
      return k.code;
  }
  if (auto n = NumberedKey(name, "F", 1, 24))
    return vk::kF1 + *n - 1;
  if (auto n = NumberedKey(name, "NumPad", 0, 9))
    return vk::kNumPad0 + *n;
  return std::nullopt;
}

std::string VirtualKeyName(uint32_t code) {
  if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9')) {
    return std::string(1, static_cast<char>(code));
  }
  if (code >= vk::kF1 && code < vk::kF1 + 24)
    return "F" + std::to_string(code - vk::kF1 + 1);
  if (code >= vk::kNumPad0 && code <= vk::kNumPad0 + 9) {
    return "NumPad" + std::to_string(code - vk::kNumPad0);
  }
  for (const NamedKey& k : kKeys) {
    if (k.code == code)
      return std::string(k.name);
  }
  return "";
}

}  // namespace qlm
