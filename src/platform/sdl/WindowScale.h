#pragma once

namespace qlm {

// The scale from client pixels to window pixels, and whether the whole-number scale asked for
// had to be made smaller to fit.
struct WindowScale {
  double factor = 1;
  bool clamped = false;
};

// The scale of a client area of clientW x clientH in a window whose inside may take up to
// roomW x roomH (the screen's work area less the window frame). `fit`: as large as the room
// allows, aspect kept. Otherwise `factor` (1 to 8), lowered to the largest whole number that
// fits; a client too large even at 1 is scaled down to fit, as `fit` does (and that is a clamp
// too). Unknown room (0 or less) changes nothing.
WindowScale ChooseWindowScale(int clientW, int clientH, int factor, bool fit, int roomW, int roomH);

// The whole-number scale of a dialog of dialogW x dialogH over a player window shown at
// `windowScale`, on a screen of `dpi` dots per inch (0 or less: unknown) whose work area is
// roomW x roomH (0 or less: unknown): the window's scale rounded, at least the screen's
// (96 dpi a step, from three quarters of the way to the next), 1 to 8, and lowered until the
// dialog fits the room.
int ChooseDialogScale(double windowScale, double dpi, int dialogW, int dialogH, int roomW,
                      int roomH);

}  // namespace qlm
