#include "platform/sdl/SdlKeyMap.h"

#include <gtest/gtest.h>

#include "platform/KeyNames.h"

namespace qlm {
namespace {

TEST(SdlKeyMapTest, VirtualKeys) {
  struct Case {
    SDL_Scancode scancode;
    SDL_Keycode sym;
    uint16_t mod;
    uint32_t vk;
  } cases[] = {
      {SDL_SCANCODE_A, SDLK_a, KMOD_NONE, 'A'},
      {SDL_SCANCODE_Q, SDLK_a, KMOD_NONE, 'A'},  // the layout decides: AZERTY's A key
      {SDL_SCANCODE_Z, 0x44F, KMOD_NONE, 'Z'},   // a Cyrillic layout: by position
      {SDL_SCANCODE_A, SDLK_a, KMOD_SHIFT, 'A'},
      {SDL_SCANCODE_0, SDLK_0, KMOD_NONE, '0'},
      {SDL_SCANCODE_9, SDLK_9, KMOD_NONE, '9'},
      {SDL_SCANCODE_1, SDLK_AMPERSAND, KMOD_NONE, '1'},  // French digits row
      {SDL_SCANCODE_F1, SDLK_F1, KMOD_NONE, vk::kF1},
      {SDL_SCANCODE_F2, SDLK_F2, KMOD_NONE, 113},
      {SDL_SCANCODE_F12, SDLK_F12, KMOD_NONE, 0x7B},
      {SDL_SCANCODE_F13, SDLK_F13, KMOD_NONE, 0x7C},
      {SDL_SCANCODE_F24, SDLK_F24, KMOD_NONE, 0x87},
      {SDL_SCANCODE_LEFT, SDLK_LEFT, KMOD_NONE, vk::kLeft},
      {SDL_SCANCODE_DOWN, SDLK_DOWN, KMOD_NONE, vk::kDown},
      {SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_NONE, vk::kReturn},
      {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, KMOD_NONE, vk::kReturn},
      {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, KMOD_NONE, vk::kEscape},
      {SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, KMOD_NONE, vk::kBack},
      {SDL_SCANCODE_PAGEUP, SDLK_PAGEUP, KMOD_NONE, vk::kPrior},
      {SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, KMOD_RSHIFT, vk::kShift},
      {SDL_SCANCODE_RCTRL, SDLK_RCTRL, KMOD_NONE, vk::kControl},
      {SDL_SCANCODE_LALT, SDLK_LALT, KMOD_NONE, vk::kMenu},
      {SDL_SCANCODE_SEMICOLON, SDLK_SEMICOLON, KMOD_NONE, 0xBA},
      {SDL_SCANCODE_SLASH, SDLK_SLASH, KMOD_NONE, 0xBF},
      // The keypad with Num Lock: digits and the decimal point ...
      {SDL_SCANCODE_KP_0, SDLK_KP_0, KMOD_NUM, vk::kNumPad0},
      {SDL_SCANCODE_KP_7, SDLK_KP_7, KMOD_NUM, vk::kNumPad0 + 7},
      {SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, KMOD_NUM, 0x6E},
      // ... and without it the keys printed on them.
      {SDL_SCANCODE_KP_0, SDLK_KP_0, KMOD_NONE, vk::kInsert},
      {SDL_SCANCODE_KP_2, SDLK_KP_2, KMOD_NONE, vk::kDown},
      {SDL_SCANCODE_KP_5, SDLK_KP_5, KMOD_NONE, 0x0C},
      {SDL_SCANCODE_KP_9, SDLK_KP_9, KMOD_NONE, vk::kPrior},
      {SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, KMOD_NONE, vk::kDelete},
      {SDL_SCANCODE_KP_PLUS, SDLK_KP_PLUS, KMOD_NONE, 0x6B},
      {SDL_SCANCODE_KP_DIVIDE, SDLK_KP_DIVIDE, KMOD_NUM, 0x6F},
      {SDL_SCANCODE_VOLUMEUP, SDLK_VOLUMEUP, KMOD_NONE, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VirtualKeyFromSdl(c.scancode, c.sym, c.mod), c.vk)
        << SDL_GetScancodeName(c.scancode) << " mod " << c.mod;
  }
}

TEST(SdlKeyMapTest, ModifiersAndControlCharacters) {
  EXPECT_EQ(ModifiersFromSdl(KMOD_LSHIFT | KMOD_RALT | KMOD_NUM), (Modifiers{true, false, true}));
  EXPECT_EQ(ModifiersFromSdl(KMOD_RCTRL | KMOD_CAPS), (Modifiers{false, true, false}));
  struct Case {
    uint32_t vk;
    Modifiers mods;
    uint8_t ch;
  } cases[] = {
      {vk::kBack, {}, 8},
      {vk::kTab, {}, 9},
      {vk::kReturn, {}, 13},
      {vk::kEscape, {}, 27},
      {'A', {false, true, false}, 1},
      {'Z', {true, true, false}, 26},
      {'C', {false, true, true}, 0},  // AltGr (Control+Alt) types through text input instead
      {'A', {}, 0},
      {vk::kDelete, {false, true, false}, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ControlCharFromKey(c.vk, c.mods), c.ch) << c.vk;
}

}  // namespace
}  // namespace qlm
