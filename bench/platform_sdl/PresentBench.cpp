// Presenting frames in an SDL window (off-screen video driver, software renderer): a whole
// 1024 x 768 frame and a 64 x 64 dirty rectangle, beside the baseline of copying the whole frame
// once in memory. Run: ./build/bench_platform_sdl

#include <benchmark/benchmark.h>

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
  Window& w = Shared();
  if (!w.display) {
    state.SkipWithError("no SDL video driver");
    return;
  }
  Surface frame(kW, kH, 0x123456);
  for (auto _ : state)
    w.display->Present(frame, 0, 0, kW, kH);
}
BENCHMARK(BM_PresentWholeFrame);

void BM_PresentDirtyRect64(benchmark::State& state) {
  Window& w = Shared();
  if (!w.display) {
    state.SkipWithError("no SDL video driver");
    return;
  }
  Surface frame(kW, kH, 0x654321);
  for (auto _ : state)
    w.display->Present(frame, 300, 200, 64, 64);
}
BENCHMARK(BM_PresentDirtyRect64);

}  // namespace
}  // namespace qlm
