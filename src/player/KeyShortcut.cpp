#include "player/KeyShortcut.h"

#include <cctype>

#include "platform/KeyNames.h"

namespace qlm {

std::string FormKeyName(uint32_t virtualKey, const HeldArrows& arrows) {
  std::string name;
  if (virtualKey >= 32 && virtualKey <= 255)
    name.assign(1, static_cast<char>(virtualKey));
  if (arrows.down)
    name = "DOWN";
  if (arrows.up)
    name = "UP";
  if (arrows.left)
    name = "LEFT";
  if (arrows.right)
    name = "RIGHT";
  switch (virtualKey) {
    case vk::kBack:
      name = "BACK";
      break;
    case vk::kTab:
      name = "TAB";
      break;
    case vk::kReturn:
      name = "ENTER";
      break;
    case vk::kEscape:
      name = "ESC";
      break;
    case vk::kSpace:
      name = "SPACE";
      break;
    case vk::kPrior:
      name = "PAGEUP";
      break;
    case vk::kNext:
      name = "PAGEDOWN";
      break;
    case vk::kEnd:
      name = "END";
      break;
    case vk::kHome:
      name = "HOME";
      break;
    case vk::kInsert:
      name = "INSERT";
      break;
    case vk::kDelete:
      name = "DELETE";
      break;
    case vk::kF1:
      name = "F1";
      break;
    default:
      if (virtualKey >= vk::kNumPad0 && virtualKey <= vk::kNumPad0 + 9)
        name.assign(1, static_cast<char>('0' + (virtualKey - vk::kNumPad0)));
      break;
  }
  for (char& c : name)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

ObjectRecord* FindShortcut(PageRecord& page, const std::string& keyName, const Modifiers& modifiers,
                           bool nameOnly) {
  for (ObjectRecord& o : page.objects) {
    if (o.typeCode != kObjScript || ShortcutKeyName(o) != keyName)
      continue;
    if (nameOnly)
      return &o;
    if (ShortcutEnabled(o) && ShortcutShift(o) == (modifiers.shift ? 1u : 0u) &&
        ShortcutControl(o) == (modifiers.ctrl ? 1u : 0u) &&
        ShortcutAlt(o) == (modifiers.alt ? 1u : 0u)) {
      return &o;
    }
  }
  return nullptr;
}

}  // namespace qlm
