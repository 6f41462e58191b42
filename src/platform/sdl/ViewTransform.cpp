#include "platform/sdl/ViewTransform.h"

#include <cstdint>

namespace qlm {
namespace {

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0)))
    --q;
  return q;
}

}  // namespace

ViewBox FitView(int clientW, int clientH, int outW, int outH) {
  if (clientW <= 0 || clientH <= 0 || outW <= 0 || outH <= 0)
    return {0, 0, outW > 0 ? outW : 0, outH > 0 ? outH : 0};
  // Compare outW / clientW with outH / clientH without rounding.
  int64_t w = outW;
  int64_t h = outH;
  if (int64_t{outW} * clientH > int64_t{outH} * clientW)
    w = int64_t{outH} * clientW / clientH;  // the output is wider: bars left and right
  else
    h = int64_t{outW} * clientH / clientW;  // taller: bars above and below
  if (w < 1)
    w = 1;
  if (h < 1)
    h = 1;
  return {static_cast<int>((outW - w) / 2), static_cast<int>((outH - h) / 2), static_cast<int>(w),
          static_cast<int>(h)};
}

void OutputToClient(const ViewBox& view, int clientW, int clientH, int outX, int outY, int& x,
                    int& y) {
  if (view.w <= 0 || view.h <= 0) {
    x = outX;
    y = outY;
    return;
  }
  x = static_cast<int>(FloorDiv((int64_t{outX} - view.x) * clientW, view.w));
  y = static_cast<int>(FloorDiv((int64_t{outY} - view.y) * clientH, view.h));
}

}  // namespace qlm
