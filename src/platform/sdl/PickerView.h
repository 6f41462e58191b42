#pragma once

#include <cstdint>
#include <string>

#include "graphics/Surface.h"
#include "platform/EventLoop.h"

namespace qlm {

// The inside of a picker window apart from the window: it lays itself out, draws into a
// Surface of its size and takes keys (Windows virtual-key codes), typed text (UTF-8) and the
// mouse in its own pixels. The window runs until State() leaves kOpen.
class PickerView {
 public:
  enum class State { kOpen, kAccepted, kCancelled };

  virtual ~PickerView() = default;

  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void Paint(Surface& target) = 0;
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

 protected:
  State state_ = State::kOpen;
};

}  // namespace qlm
