#include "player/TransitionTiming.h"

#include <algorithm>

namespace qlm {

TransitionTiming ComputeTransitionTiming(int type, int32_t durationMs) {
  TransitionTiming timing;
  // A corrupt duration must not freeze the window for days: both limits lie far beyond what
  // an author picks (a few seconds, a few dozen steps).
  int64_t d = std::clamp<int64_t>(durationMs, -kMaxTransitionSteps, kMaxTransitionMs);
  if (type >= transition_type::kRipple) {
    d = std::max<int64_t>(d, 100);
    timing.increment = 10.0 / static_cast<double>(d);
  }
  // The last bound that holds wins.
  int steps = 30;
  static constexpr struct {
    int64_t below;
    int steps;
  } kTable[] = {{1400, 26}, {1200, 20}, {1000, 18}, {600, 16}, {500, 12}, {300, 8}, {200, 4}};
  for (const auto& row : kTable) {
    if (d < row.below)
      steps = row.steps;
  }
  if (d == 0)
    d = 1;
  if (d < 0) {
    steps = static_cast<int>(-d);
    d = 1;
  }
  timing.steps = steps;
  timing.intervalMs = static_cast<uint32_t>(std::max<int64_t>(d / steps, 1));
  return timing;
}

}  // namespace qlm
