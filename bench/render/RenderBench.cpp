// Painting speed: a 1024 x 768 page of mixed objects, whole and in small dirty boxes, against
// copying the same frame once. The "x_copy" counter is the paint's time over the copy's time,
// both measured in the same run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "document/PageManager.h"
#include "graphics/Font.h"
#include "player/ObjectPainter.h"
#include "player/PagePainter.h"

namespace qlm {
namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

Image24 Checker(uint32_t w, uint32_t h) {
  Image24 image{w, h, {}};
  image.pixels.resize(size_t{w} * h * 3);
  for (uint32_t y = 0; y < h; ++y) {
    for (uint32_t x = 0; x < w; ++x) {
      uint8_t* p = &image.pixels[(size_t{y} * w + x) * 3];
      p[0] = static_cast<uint8_t>(x * 7);
      p[1] = static_cast<uint8_t>(y * 5);
      p[2] = ((x / 8 + y / 8) & 1) ? 255 : 40;
    }
  }
  return image;
}

// `count` objects cycling through the common kinds, spread over the page.
PageRecord MixedPage(int count) {
  PageRecord page;
  page.backgroundColour = 0xF0E0D0;
  page.hasImage = 1;
  page.tileImage = 1;
  page.image.image = Checker(64, 64);
  const int32_t kinds[] = {kObjText,    kObjRectangle, kObjImage,      kObjLine,      kObjCircle,
                           kObjPolygon, kObjParagraph, kObjTextButton, kObjRectangle, kObjImage};
  const int columns = count <= 100 ? 10 : 100;
  const int cellW = kWidth / columns, cellH = kHeight / ((count + columns - 1) / columns);
  for (int i = 0; i < count; ++i) {
    const int32_t x = (i % columns) * cellW, y = (i / columns) * cellH;
    ObjectRecord o = ObjectRecord::Fresh();
    o.typeCode = kinds[i % 10];
    // Objects overlap their neighbours, as on real pages.
    o.rect = {x, y, x + cellW * 3 / 2, y + cellH * 3 / 2};
    o.name = "object" + std::to_string(i);
    o.text = "Object " + std::to_string(i) + " says hello to the world around it";
    o.colours[1] = 0x102030u * static_cast<uint32_t>(i % 7 + 1);
    o.colours[2] = 0x000000;
    o.values[1] = static_cast<uint32_t>(i % 3);
    o.ratio = (i % 4 == 0) ? 0.6 : 1.0;
    o.font.height = -13;
    o.points1 = {{0, 0}, {cellW, cellH / 2}, {cellW / 3, cellH}};
    o.stateImages[1].present = true;
    o.stateImages[1].stored.data.image = Checker(48, 32);
    page.objects.push_back(std::move(o));
  }
  return page;
}

// The bench's pages change only where a benchmark says so, by counting the revision up.
class BenchRuntime : public PaintRuntime {
 public:
  std::optional<uint64_t> LayoutRevision() override { return revision; }
  uint64_t revision = 0;
};

struct Scene {
  explicit Scene(int count)
      : page(MixedPage(count)), objects(fonts, CodePage()), pages(objects), frame(kWidth, kHeight) {
    settings.clientWidth = kWidth;
    settings.clientHeight = kHeight;
    layers.background = &page;
    layers.objectLayers = {&page};
  }
  void PaintBox(Surface& target, const IntRect& box) {
    pages.Paint(target, {box.left, box.top}, box, &page, layers, settings, runtime);
  }

  PageRecord page;
  FontCache fonts;
  ObjectPainter objects;
  PagePainter pages;
  BenchRuntime runtime;
  PageComposition layers;
  FrameSettings settings;
  Surface frame;
};

// Seconds to copy a whole frame once: the baseline every paint is compared with.
double CopySeconds() {
  Surface from(kWidth, kHeight, 0x123456), to(kWidth, kHeight);
  constexpr int kRounds = 40;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kRounds; ++i) {
    to.Blit(from, 0, 0, kWidth, kHeight, 0, 0);
    benchmark::DoNotOptimize(to.Row(0));
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / kRounds;
}

void Report(benchmark::State& state, double copySeconds, double seconds, int64_t frames) {
  // Frames per wall-clock second, as a viewer sees them.
  state.counters["fps"] = static_cast<double>(frames) / seconds;
  state.counters["x_copy"] = seconds / static_cast<double>(frames) / copySeconds;
}

void BM_CopyFrame(benchmark::State& state) {
  Surface from(kWidth, kHeight, 0x123456), to(kWidth, kHeight);
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    to.Blit(from, 0, 0, kWidth, kHeight, 0, 0);
    benchmark::DoNotOptimize(to.Row(0));
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  state.counters["fps"] = static_cast<double>(state.iterations()) / seconds;
}
BENCHMARK(BM_CopyFrame)->Unit(benchmark::kMicrosecond);

void BM_PaintWholePage(benchmark::State& state) {
  Scene scene(static_cast<int>(state.range(0)));
  scene.PaintBox(scene.frame, {0, 0, kWidth, kHeight});  // fonts and layouts made once
  const double copy = CopySeconds();
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    scene.PaintBox(scene.frame, {0, 0, kWidth, kHeight});
    benchmark::DoNotOptimize(scene.frame.Row(0));
  }
  Report(state, copy,
         std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
         state.iterations());
}
BENCHMARK(BM_PaintWholePage)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond);

// One 64 x 48 box per iteration, moving over the page, painted into a box-sized surface as the
// window does for a single object's repaint. With `moving`, a script moved an object before each
// box, so the layout the painter knows is never the same twice.
void PaintDirtyBoxes(benchmark::State& state, bool moving) {
  Scene scene(static_cast<int>(state.range(0)));
  scene.PaintBox(scene.frame, {0, 0, kWidth, kHeight});
  const double copy = CopySeconds();
  Surface box(64, 48);
  int step = 0;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    const int32_t x = (step * 97) % (kWidth - 64), y = (step * 61) % (kHeight - 48);
    if (moving)
      ++scene.runtime.revision;
    scene.PaintBox(box, IntRect::FromSize(x, y, 64, 48));
    benchmark::DoNotOptimize(box.Row(0));
    ++step;
  }
  Report(state, copy,
         std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
         state.iterations());
}

void BM_PaintDirtyBox(benchmark::State& state) {
  PaintDirtyBoxes(state, false);
}
BENCHMARK(BM_PaintDirtyBox)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_PaintDirtyBoxAfterMove(benchmark::State& state) {
  PaintDirtyBoxes(state, true);
}
BENCHMARK(BM_PaintDirtyBoxAfterMove)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace qlm
