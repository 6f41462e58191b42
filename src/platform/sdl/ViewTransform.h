#pragma once

namespace qlm {

// A box of the window's drawing area, in output pixels.
struct ViewBox {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
  bool operator==(const ViewBox&) const = default;
};

// Where a client area of clientW x clientH is shown inside an output of outW x outH: as large
// as fits with its aspect kept, centred, the rest black (letterboxing). An output that is an
// exact multiple of the client is filled.
ViewBox FitView(int clientW, int clientH, int outW, int outH);

// An output point mapped back to client coordinates through `view`. Points outside the view
// map outside the client area (a release outside the window must stay outside), rounding
// towards minus infinity so that -0.5 is -1, not 0.
void OutputToClient(const ViewBox& view, int clientW, int clientH, int outX, int outY, int& x,
                    int& y);

}  // namespace qlm
