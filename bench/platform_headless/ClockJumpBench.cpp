// A headless wait of 2^31 ms (the longest an events file asks for) with the player's 500 ms
// date-and-time timer armed: as an ordinary timer, every period fires (the baseline); as a clock
// timer, the idle periods are skipped. A far timer fires in both, at its time.

#include <benchmark/benchmark.h>

#include <cstdint>

#include "platform/headless/VirtualEventLoop.h"

namespace qlm {
namespace {

constexpr uint64_t kFar = 2147483648;

class CountingHandler : public EventHandler {
 public:
  void OnTimer(uint32_t id) override { fires += id == 600 ? 1 : 0; }
  void OnMessage(const WindowMessage&) override {}
  uint64_t fires = 0;
};

void WaitFar(benchmark::State& state, bool clockTimer) {
  uint64_t fires = 0;
  for (auto _ : state) {
    VirtualEventLoop loop;
    CountingHandler handler;
    loop.SetHandler(&handler);
    if (clockTimer)
      loop.SetClockTimer(600, 500);
    else
      loop.SetTimer(600, 500);
    loop.SetTimer(1, static_cast<uint32_t>(kFar - 1));
    loop.Advance(kFar);
    fires = handler.fires;
    benchmark::DoNotOptimize(fires);
  }
  state.counters["clock_timer_fires"] = static_cast<double>(fires);
}

void BM_WaitFarOrdinaryTimer(benchmark::State& state) {
  WaitFar(state, false);
}
void BM_WaitFarClockTimer(benchmark::State& state) {
  WaitFar(state, true);
}

BENCHMARK(BM_WaitFarOrdinaryTimer)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_WaitFarClockTimer)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qlm
