#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/EventLoop.h"

namespace qlm {

// The Windows virtual-key code of an SDL key, 0 when it has none. Letters and digits follow the
// keyboard layout (the key that types "a" is 'A'); punctuation keys follow their position on a
// US keyboard, as Windows reports them there. The numeric keypad gives NumPad0 to NumPad9 and
// Decimal with Num Lock on, and the navigation keys printed on it with Num Lock off (5 gives
// Clear). Both Shift, Control and Alt keys give the generic codes.
uint32_t VirtualKeyFromSdl(SDL_Scancode scancode, SDL_Keycode sym, uint16_t mod);

// Shift, Control and Alt of an SDL modifier state.
Modifiers ModifiersFromSdl(uint16_t mod);

// The control character Windows types with a key when SDL types nothing: Backspace 8, Tab 9,
// Enter 13, Escape 27, and Control with a letter 1 to 26. 0 for every other key.
uint8_t ControlCharFromKey(uint32_t vk, const Modifiers& modifiers);

}  // namespace qlm
