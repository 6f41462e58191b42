#include "platform/sdl/SdlKeyMap.h"

#include "platform/KeyNames.h"

namespace qlm {
namespace {

struct ScancodeKey {
  SDL_Scancode scancode;
  uint32_t vk;
};

// Keys that mean the same on every layout.
constexpr ScancodeKey kFixedKeys[] = {
    {SDL_SCANCODE_BACKSPACE, vk::kBack},
    {SDL_SCANCODE_TAB, vk::kTab},
    {SDL_SCANCODE_RETURN, vk::kReturn},
    {SDL_SCANCODE_RETURN2, vk::kReturn},
    {SDL_SCANCODE_KP_ENTER, vk::kReturn},
    {SDL_SCANCODE_ESCAPE, vk::kEscape},
    {SDL_SCANCODE_SPACE, vk::kSpace},
    {SDL_SCANCODE_PAGEUP, vk::kPrior},
    {SDL_SCANCODE_PAGEDOWN, vk::kNext},
    {SDL_SCANCODE_END, vk::kEnd},
    {SDL_SCANCODE_HOME, vk::kHome},
    {SDL_SCANCODE_LEFT, vk::kLeft},
    {SDL_SCANCODE_UP, vk::kUp},
    {SDL_SCANCODE_RIGHT, vk::kRight},
    {SDL_SCANCODE_DOWN, vk::kDown},
    {SDL_SCANCODE_INSERT, vk::kInsert},
    {SDL_SCANCODE_DELETE, vk::kDelete},
    {SDL_SCANCODE_LSHIFT, vk::kShift},
    {SDL_SCANCODE_RSHIFT, vk::kShift},
    {SDL_SCANCODE_LCTRL, vk::kControl},
    {SDL_SCANCODE_RCTRL, vk::kControl},
    {SDL_SCANCODE_LALT, vk::kMenu},
    {SDL_SCANCODE_RALT, vk::kMenu},
    {SDL_SCANCODE_PAUSE, 0x13},
    {SDL_SCANCODE_CAPSLOCK, 0x14},
    {SDL_SCANCODE_PRINTSCREEN, 0x2C},
    {SDL_SCANCODE_LGUI, 0x5B},
    {SDL_SCANCODE_RGUI, 0x5C},
    {SDL_SCANCODE_APPLICATION, 0x5D},
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x90},
    {SDL_SCANCODE_SCROLLLOCK, 0x91},
    {SDL_SCANCODE_KP_MULTIPLY, 0x6A},
    {SDL_SCANCODE_KP_PLUS, 0x6B},
    {SDL_SCANCODE_KP_MINUS, 0x6D},
    {SDL_SCANCODE_KP_DIVIDE, 0x6F},
    // Punctuation by its US position (the OEM codes).
    {SDL_SCANCODE_SEMICOLON, 0xBA},
    {SDL_SCANCODE_EQUALS, 0xBB},
    {SDL_SCANCODE_COMMA, 0xBC},
    {SDL_SCANCODE_MINUS, 0xBD},
    {SDL_SCANCODE_PERIOD, 0xBE},
    {SDL_SCANCODE_SLASH, 0xBF},
    {SDL_SCANCODE_GRAVE, 0xC0},
    {SDL_SCANCODE_LEFTBRACKET, 0xDB},
    {SDL_SCANCODE_BACKSLASH, 0xDC},
    {SDL_SCANCODE_RIGHTBRACKET, 0xDD},
    {SDL_SCANCODE_APOSTROPHE, 0xDE},
    {SDL_SCANCODE_NONUSBACKSLASH, 0xE2},
};

// The keypad: the code with Num Lock on, and the navigation key printed on it.
struct KeypadKey {
  SDL_Scancode scancode;
  uint32_t withNumLock;
  uint32_t withoutNumLock;
};

constexpr uint32_t kClear = 0x0C;
constexpr uint32_t kDecimal = 0x6E;

constexpr KeypadKey kKeypad[] = {
    {SDL_SCANCODE_KP_0, vk::kNumPad0 + 0, vk::kInsert},
    {SDL_SCANCODE_KP_1, vk::kNumPad0 + 1, vk::kEnd},
    {SDL_SCANCODE_KP_2, vk::kNumPad0 + 2, vk::kDown},
    {SDL_SCANCODE_KP_3, vk::kNumPad0 + 3, vk::kNext},
    {SDL_SCANCODE_KP_4, vk::kNumPad0 + 4, vk::kLeft},
    {SDL_SCANCODE_KP_5, vk::kNumPad0 + 5, kClear},
    {SDL_SCANCODE_KP_6, vk::kNumPad0 + 6, vk::kRight},
    {SDL_SCANCODE_KP_7, vk::kNumPad0 + 7, vk::kHome},
    {SDL_SCANCODE_KP_8, vk::kNumPad0 + 8, vk::kUp},
    {SDL_SCANCODE_KP_9, vk::kNumPad0 + 9, vk::kPrior},
    {SDL_SCANCODE_KP_PERIOD, kDecimal, vk::kDelete},
};

}  // namespace

uint32_t VirtualKeyFromSdl(SDL_Scancode scancode, SDL_Keycode sym, uint16_t mod) {
  for (const KeypadKey& k : kKeypad) {
    if (k.scancode == scancode)
      return (mod & KMOD_NUM) ? k.withNumLock : k.withoutNumLock;
  }
  for (const ScancodeKey& k : kFixedKeys) {
    if (k.scancode == scancode)
      return k.vk;
  }
  if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12)
    return vk::kF1 + static_cast<uint32_t>(scancode - SDL_SCANCODE_F1);
  if (scancode >= SDL_SCANCODE_F13 && scancode <= SDL_SCANCODE_F24)
    return vk::kF1 + 12 + static_cast<uint32_t>(scancode - SDL_SCANCODE_F13);
  // Letters and digits as the layout types them ...
  if (sym >= SDLK_a && sym <= SDLK_z)
    return static_cast<uint32_t>('A' + (sym - SDLK_a));
  if (sym >= SDLK_0 && sym <= SDLK_9)
    return static_cast<uint32_t>(sym);
  // ... and by position when the layout types something else there (Cyrillic, Greek ...).
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
    return static_cast<uint32_t>('A' + (scancode - SDL_SCANCODE_A));
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
    return static_cast<uint32_t>('1' + (scancode - SDL_SCANCODE_1));
  if (scancode == SDL_SCANCODE_0)
    return '0';
  return 0;
}

Modifiers ModifiersFromSdl(uint16_t mod) {
  return Modifiers{(mod & KMOD_SHIFT) != 0, (mod & KMOD_CTRL) != 0, (mod & KMOD_ALT) != 0};
}

uint8_t ControlCharFromKey(uint32_t code, const Modifiers& modifiers) {
  if (code == vk::kBack || code == vk::kTab || code == vk::kReturn || code == vk::kEscape)
    return static_cast<uint8_t>(code);
  if (modifiers.ctrl && !modifiers.alt && code >= 'A' && code <= 'Z')
    return static_cast<uint8_t>(code - 'A' + 1);
  return 0;
}

}  // namespace qlm
