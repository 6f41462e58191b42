#include "platform/sdl/WindowScale.h"

#include <algorithm>
#include <cmath>

namespace qlm {

WindowScale ChooseWindowScale(int clientW, int clientH, int factor, bool fit, int roomW,
                              int roomH) {
  factor = std::clamp(factor, 1, 8);
  if (roomW <= 0 || roomH <= 0 || clientW <= 0 || clientH <= 0)
    return {static_cast<double>(factor), false};
  const double fitting =
      std::min(static_cast<double>(roomW) / clientW, static_cast<double>(roomH) / clientH);
  if (fit)
    return {fitting, false};
  if (fitting < 1)
    return {fitting, true};
  int fits = factor;
  while (fits > 1 && (static_cast<long long>(clientW) * fits > roomW ||
                      static_cast<long long>(clientH) * fits > roomH))
    --fits;
  return {static_cast<double>(fits), fits != factor};
}

int ChooseDialogScale(double windowScale, double dpi, int dialogW, int dialogH, int roomW,
                      int roomH) {
  int scale = std::isfinite(windowScale)
                  ? static_cast<int>(std::lround(std::clamp(windowScale, 1.0, 8.0)))
                  : 1;
  if (std::isfinite(dpi) && dpi > 0)
    scale = std::max(scale, static_cast<int>(std::clamp(dpi / 96 + 0.25, 1.0, 8.0)));
  while (scale > 1 && roomW > 0 && roomH > 0 &&
         (static_cast<long long>(dialogW) * scale > roomW ||
          static_cast<long long>(dialogH) * scale > roomH))
    --scale;
  return scale;
}

}  // namespace qlm
