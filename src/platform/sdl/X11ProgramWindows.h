#pragma once

#include <memory>

#include "platform/ProgramWindows.h"

namespace qlm {

class SdlDisplay;

// Program windows held in the player's window on an X server (Xwayland too): a program's
// top-level window is found by the process its _NET_WM_PID names, re-parented into the SDL
// window and moved and sized with the frame's scale. SendCommand's numbers reach it as a client
// message of type "QLM_COMMAND": three longs and, fourth, how many of them were given. Where
// the window is not an X window (a Wayland or other SDL driver) no window is found.
class X11ProgramWindows : public ProgramWindows {
 public:
  explicit X11ProgramWindows(SdlDisplay& display) : display_(display) {}

  std::unique_ptr<ProgramWindow> Adopt(int pid) override;

 private:
  SdlDisplay& display_;
};

}  // namespace qlm
