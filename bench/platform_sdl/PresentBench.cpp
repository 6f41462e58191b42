// Presenting frames in an unscaled SDL window: a whole 1024 x 768 frame and a 64 x 64 dirty
// rectangle, beside the baseline of copying the whole frame once in memory. The "x_copy" counter
// is a present's wall-clock time over that copy's, both measured in the same run.
// Run: ./build/bench_platform_sdl (SDL's off-screen driver), or in a window of an X server:
//   xvfb-run -a -s "-screen 0 1280x1024x24" env SDL_VIDEODRIVER=x11 ./build/bench_platform_sdl

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "graphics/Surface.h"
#include "platform/sdl/SdlDisplay.h"
#include "platform/sdl/SdlVideo.h"

namespace qlm {
namespace {

constexpr int kW = 1024, kH = 768;

struct Window {
  Window() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    std::string error;
    video = SdlVideo::Open(error);
    if (video) {
      display = std::make_unique<SdlDisplay>(SdlScaling{}, CodePage());
      display->SetClientSize(kW, kH);
    }
  }
  std::unique_ptr<SdlVideo> video;
  std::unique_ptr<SdlDisplay> display;
};

Window& Shared() {
  static Window window;
  return window;
}

// Seconds to copy a whole frame once in memory.
double CopySeconds() {
  Surface src(kW, kH, 0x123456), dst(kW, kH);
  constexpr int kRounds = 40;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kRounds; ++i) {
    std::memcpy(dst.Row(0), src.Row(0), static_cast<size_t>(kW) * kH * 4);
    benchmark::DoNotOptimize(dst.Row(0));
    benchmark::ClobberMemory();
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / kRounds;
}

// Presents of the box, timed against the frame copy.
void PresentLoop(benchmark::State& state, uint32_t colour, int x, int y, int w, int h) {
  Window& window = Shared();
  if (!window.display) {
    state.SkipWithError("no SDL video driver");
    return;
  }
  Surface frame(kW, kH, colour);
  window.display->Present(frame, 0, 0, kW, kH);
  const double copy = CopySeconds();
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state)
    window.display->Present(frame, x, y, w, h);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  state.counters["x_copy"] = seconds / static_cast<double>(state.iterations()) / copy;
}

void BM_CopyFrameBaseline(benchmark::State& state) {
  Surface src(kW, kH, 0x123456), dst(kW, kH);
  for (auto _ : state) {
    std::memcpy(dst.Row(0), src.Row(0), static_cast<size_t>(kW) * kH * 4);
    benchmark::DoNotOptimize(dst.Row(0));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_CopyFrameBaseline);

void BM_PresentWholeFrame(benchmark::State& state) {
  PresentLoop(state, 0x123456, 0, 0, kW, kH);
}
BENCHMARK(BM_PresentWholeFrame);

void BM_PresentDirtyRect64(benchmark::State& state) {
  PresentLoop(state, 0x654321, 300, 200, 64, 64);
}
BENCHMARK(BM_PresentDirtyRect64);

}  // namespace
}  // namespace qlm
