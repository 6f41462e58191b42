#pragma once

#include <cstdint>
#include <string>

#include "graphics/Geometry.h"
#include "platform/EventLoop.h"
#include "platform/KeyNames.h"
#include "platform/sdl/DialogCanvas.h"

namespace qlm {

// The inside of a picker window apart from the window: it lays itself out, draws into a
// DialogCanvas of its size and takes keys (Windows virtual-key codes), typed text (UTF-8) and the
// mouse in its own pixels. The window runs until State() leaves kOpen.
class PickerView {
 public:
  enum class State { kOpen, kAccepted, kCancelled };

  virtual ~PickerView() = default;

  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void Paint(DialogCanvas& canvas) = 0;
  virtual void Key(uint32_t vk, const Modifiers& modifiers) = 0;
  virtual void Text(const std::string& utf8) = 0;
  // clicks: 1 for a single click, 2 for a double click.
  virtual void MouseDown(int x, int y, int clicks) = 0;
  virtual void MouseUp(int /*x*/, int /*y*/) {}
  // notches: positive away from the user.
  virtual void Wheel(int /*x*/, int /*y*/, int /*notches*/) {}

  State GetState() const { return state_; }
  // The close box: the picker is cancelled.
  void Cancel() { state_ = State::kCancelled; }
  // The picker is shown again after an accepted choice was taken back.
  void Reopen() { state_ = State::kOpen; }

 protected:
  // A picker's OK and Cancel buttons: their focus places and rectangles.
  struct Buttons {
    int ok;
    int cancel;
    IntRect okRect;
    IntRect cancelRect;
  };

  // The keys of the buttons and the focus: Escape cancels; Enter accepts, or cancels with the
  // focus on Cancel; Space presses the focused button; Tab and Shift+Tab move the focus through
  // `count` places. True when the key was one of these.
  bool ButtonKey(uint32_t code, const Modifiers& m, const Buttons& b, int& focus, int count) {
    switch (code) {
      case vk::kEscape:
        state_ = State::kCancelled;
        return true;
      case vk::kReturn:
        state_ = focus == b.cancel ? State::kCancelled : State::kAccepted;
        return true;
      case vk::kSpace:
        if (focus == b.ok)
          state_ = State::kAccepted;
        else if (focus == b.cancel)
          state_ = State::kCancelled;
        return true;
      case vk::kTab:
        focus = (focus + (m.shift ? count - 1 : 1)) % count;
        return true;
      default:
        return false;
    }
  }
  // A press on a button gives it the focus and holds it down; true when one was pressed.
  static bool ButtonDown(int x, int y, const Buttons& b, int& focus, int& pressed) {
    if (b.okRect.Contains(x, y))
      pressed = focus = b.ok;
    else if (b.cancelRect.Contains(x, y))
      pressed = focus = b.cancel;
    else
      return false;
    return true;
  }
  // The button held down comes up: released over it, it accepts or cancels.
  void ButtonUp(int x, int y, const Buttons& b, int& pressed) {
    const int was = pressed;
    pressed = -1;
    if (was == b.ok && b.okRect.Contains(x, y))
      state_ = State::kAccepted;
    else if (was == b.cancel && b.cancelRect.Contains(x, y))
      state_ = State::kCancelled;
  }

  State state_ = State::kOpen;
};

}  // namespace qlm
