#pragma once

#include <cstdint>

namespace qlm {

// Transition types as a page stores them (its page value 6).
namespace transition_type {
inline constexpr int kDissolve = 1;
inline constexpr int kWipeDown = 2;
inline constexpr int kWipeUp = 3;
inline constexpr int kWipeRight = 4;
inline constexpr int kWipeLeft = 5;
inline constexpr int kRowsFromCentre = 6;
inline constexpr int kRowsFromEdges = 7;
inline constexpr int kColumnsFromCentre = 8;
inline constexpr int kColumnsFromEdges = 9;
inline constexpr int kBandsDown = 10;
inline constexpr int kBandsUp = 11;
inline constexpr int kCrossFade = 12;
inline constexpr int kRipple = 13;
inline constexpr int kDrops = 14;
inline constexpr int kStaggeredDrops = 15;
inline constexpr int kWavesDown = 16;
inline constexpr int kWavesRight = 17;
inline constexpr int kPlugin = 18;
}  // namespace transition_type

// Effects 1 to 12 advance by whole steps; 13 and above by a floating progress.
constexpr bool IsStepTransition(int type) {
  return type >= transition_type::kDissolve && type <= transition_type::kCrossFade;
}
// The effects this player draws itself. A plug-in transition (18) has no library to draw it,
// and types beyond it mean nothing: both change pages without a transition.
constexpr bool HasBuiltInTransition(int type) {
  return type >= transition_type::kDissolve && type <= transition_type::kWavesRight;
}

// When a transition's timer fires and how far each tick goes.
struct TransitionTiming {
  int steps = 0;            // S: steps of a step effect (the timer period is derived from it)
  uint32_t intervalMs = 1;  // timer period, at least 1
  double increment = 0;     // progress added per tick (progress effects only)
};

// Bounds of a stored duration: longer durations and more steps are cut to these.
inline constexpr int64_t kMaxTransitionMs = 10000;
inline constexpr int64_t kMaxTransitionSteps = 1000;

// The step table: from the duration D in milliseconds (a negative D = -n asks for n steps of
// 1 ms) and the type. Progress effects run at least 100 ms and add 10 / D per tick.
TransitionTiming ComputeTransitionTiming(int type, int32_t durationMs);

}  // namespace qlm
