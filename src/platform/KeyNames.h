#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qlm {

// Windows virtual-key codes of the keys the player treats specially.
namespace vk {
inline constexpr uint32_t kBack = 0x08;
inline constexpr uint32_t kTab = 0x09;
inline constexpr uint32_t kReturn = 0x0D;
inline constexpr uint32_t kShift = 0x10;
inline constexpr uint32_t kControl = 0x11;
inline constexpr uint32_t kMenu = 0x12;  // Alt
inline constexpr uint32_t kEscape = 0x1B;
inline constexpr uint32_t kSpace = 0x20;
inline constexpr uint32_t kPrior = 0x21;  // Page Up
inline constexpr uint32_t kNext = 0x22;   // Page Down
inline constexpr uint32_t kEnd = 0x23;
inline constexpr uint32_t kHome = 0x24;
inline constexpr uint32_t kLeft = 0x25;
inline constexpr uint32_t kUp = 0x26;
inline constexpr uint32_t kRight = 0x27;
inline constexpr uint32_t kDown = 0x28;
inline constexpr uint32_t kInsert = 0x2D;
inline constexpr uint32_t kDelete = 0x2E;
inline constexpr uint32_t kNumPad0 = 0x60;
inline constexpr uint32_t kF1 = 0x70;
}  // namespace vk

// The virtual-key code of a key name as the events file and the desktop frontend write it:
// "Return", "Escape", "Tab", "Space", "Left", "PageUp", "F1" to "F24", "NumPad0" to "NumPad9",
// a letter or a digit, and so on. Names match without regard to case.
std::optional<uint32_t> VirtualKeyFromName(std::string_view name);

// The name of a virtual-key code (the first spelling when there are several), or "" when it has
// none.
std::string VirtualKeyName(uint32_t code);

// Keys that type a character (which arrives on its own): letters, digits, the space bar, the
// number pad and the punctuation keys, without Control or Alt.
constexpr bool TypesCharacter(uint32_t key, bool ctrl, bool alt) {
  if (ctrl || alt)
    return false;
  return key == vk::kSpace || (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z') ||
         (key >= vk::kNumPad0 && key <= 0x6F) || (key >= 0xBA && key <= 0xC0) ||
         (key >= 0xDB && key <= 0xDF) || key == 0xE2;
}

}  // namespace qlm
