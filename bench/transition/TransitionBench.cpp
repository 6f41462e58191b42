// Page transition frames at 1024 x 768, against copying the same frame once. "fps" is frames
// drawn per second; "x_copy" is one frame's time over one copy's time, both measured in the
// same run. A transition ticks every 25 to 100 ms, so anything far above 40 fps keeps up.
#include <benchmark/benchmark.h>

#include <chrono>

#include "player/TransitionEffect.h"

namespace qlm {
namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

Surface Pattern(uint32_t seed) {
  Surface s(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x)
      s.Row(y)[x] = (static_cast<uint32_t>(x * 7 + y * 3) * seed) & 0xFFFFFF;
  }
  return s;
}

// Seconds to copy a whole frame once: the baseline.
double CopySeconds() {
  Surface from = Pattern(3), to(kWidth, kHeight);
  constexpr int kRounds = 60;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kRounds; ++i) {
    to.Blit(from, 0, 0, kWidth, kHeight, 0, 0);
    benchmark::DoNotOptimize(to.Row(0));
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / kRounds;
}

void BM_CopyFrame(benchmark::State& state) {
  Surface from = Pattern(3), to(kWidth, kHeight);
  for (auto _ : state) {
    to.Blit(from, 0, 0, kWidth, kHeight, 0, 0);
    benchmark::DoNotOptimize(to.Row(0));
  }
  state.counters["fps"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CopyFrame)->Unit(benchmark::kMicrosecond);

// One frame of effect `range(0)` per iteration, walking through the transition's phases.
void BM_TransitionFrame(benchmark::State& state) {
  const int type = static_cast<int>(state.range(0));
  const Surface from = Pattern(3), to = Pattern(5);
  const TransitionEffect effect(type, kWidth, kHeight);
  Surface frame(kWidth, kHeight);
  const double copy = CopySeconds();
  constexpr int kSteps = 20;
  int i = 0;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    const int k = i % (kSteps + 1);
    effect.Draw(from, to, {kSteps, k, static_cast<double>(k) / kSteps}, frame);
    benchmark::DoNotOptimize(frame.Row(0));
    ++i;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double frames = static_cast<double>(state.iterations());
  state.counters["fps"] = frames / seconds;
  state.counters["x_copy"] = seconds / frames / copy;
}
// A wipe, the dissolve, the cross-fade, and the progress effects.
BENCHMARK(BM_TransitionFrame)
    ->Arg(2)
    ->Arg(1)
    ->Arg(12)
    ->Arg(13)
    ->Arg(14)
    ->Arg(16)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace qlm
