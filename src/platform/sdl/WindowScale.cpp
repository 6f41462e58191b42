#include "platform/sdl/WindowScale.h"

#include <algorithm>

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

}  // namespace qlm
