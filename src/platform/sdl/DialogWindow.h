#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

#include "graphics/Surface.h"

namespace qlm {

// The window of a message box or picker: a modal child of the player window. It is marked for
// the window manager as a dialog that belongs to the player (transient for it, modal, no
// minimise or maximise box, not in the task bar), opens centred over the player (over the
// screen when the player is not shown) and is drawn from a Surface with a software renderer,
// which leaves the player's renderer alone.
class DialogWindow {
 public:
  DialogWindow() = default;
  ~DialogWindow();
  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;

  // owner: the player's window, or null. False when the window cannot be made.
  bool Open(const std::string& titleUtf8, int width, int height, SDL_Window* owner, bool topmost);

  uint32_t Id() const { return window_ ? SDL_GetWindowID(window_) : 0; }
  // Shows `picture` (the window's size) in the window.
  void Present(const Surface& picture);

 private:
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
};

// Where a dialog of this size goes: centred over `owner`'s client area and kept on the owner's
// screen; SDL_WINDOWPOS_CENTERED for both without an owner.
SDL_Point DialogPosition(SDL_Window* owner, int width, int height);

}  // namespace qlm
