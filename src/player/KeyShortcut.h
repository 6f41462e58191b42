#pragma once

#include <cstdint>
#include <string>

#include "document/ObjectFields.h"
#include "document/PageRecord.h"
#include "platform/EventLoop.h"

namespace qlm {

// Arrow keys held down while another key goes down.
struct HeldArrows {
  bool down = false;
  bool up = false;
  bool left = false;
  bool right = false;
};

// The name a key is matched under: the virtual-key code as a character, replaced by the
// name of a held arrow key ("DOWN", "UP", "LEFT", "RIGHT": the last of these held wins), then
// by the names of the special keys and the numeric keypad digits; upper-cased.
std::string FormKeyName(uint32_t virtualKey, const HeldArrows& arrows);

// The first Script object of the page whose shortcut name equals `keyName` and, unless
// `nameOnly`, whose shortcut is enabled and whose Shift, Control and Alt fields equal the
// modifier states.
ObjectRecord* FindShortcut(PageRecord& page, const std::string& keyName, const Modifiers& modifiers,
                           bool nameOnly = false);

}  // namespace qlm
