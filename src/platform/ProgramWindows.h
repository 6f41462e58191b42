#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/Geometry.h"

namespace qlm {

// The top-level window of a started program, taken into the player's window. Letting it go
// asks the program to close its window and hides it at once.
class ProgramWindow {
 public:
  virtual ~ProgramWindow() = default;

  // Shows the window over `rect` of the client area (client pixels, scaled as the frame is
  // shown), or hides it. Cheap when nothing changed since the last call.
  virtual void Place(const IntRect& rect, bool shown) = 0;
  // Shows only `rect` less `covered` (client pixels, as Place takes them), so that what lies
  // above the object on its page stays visible.
  virtual void Clip(const IntRect& rect, const std::vector<IntRect>& covered) = 0;
  // Hands the program the numbers of a SendCommand: `count` (2 or 3) of `values` were given,
  // the others are 0. False when the window is gone.
  virtual bool Send(const std::array<int32_t, 3>& values, int count) = 0;
  // False once the program's window was destroyed.
  virtual bool Alive() = 0;
};

// Finds the windows of started programs. Desktop frontends that can hold another program's
// window implement it; elsewhere programs of embedding objects start without a window to hold.
class ProgramWindows {
 public:
  virtual ~ProgramWindows() = default;

  // The top-level window of the process `pid` (or of a process in the session it leads), taken
  // into the player's window hidden; null while the program shows none.
  virtual std::unique_ptr<ProgramWindow> Adopt(int pid) = 0;
};

}  // namespace qlm
