// Loading a project of zlib-packed page images, beside libdeflate inflating the same payloads
// alone: the difference is what the reader adds (parsing, copying, checks, messages).

#include <benchmark/benchmark.h>
#include <libdeflate.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "document/Inflate.h"
#include "document/LoadContext.h"
#include "document/ProjectReader.h"
#include "document/ProjectWriter.h"
#include "document/StoredImage.h"
#include "support/RecordingDialogs.h"

namespace qlm {
namespace {

constexpr uint32_t kWidth = 1024;
constexpr uint32_t kHeight = 816;
constexpr int kPages = 20;  // 20 x 1024 x 816 x 3 = about 50 MB of pixels

// Smooth gradients with noise: packs about as well as the raw pixels of a photograph.
Image24 PhotoLike(uint32_t seed) {
  Image24 image{kWidth, kHeight, std::vector<uint8_t>(PixelBytes(kWidth, kHeight))};
  std::mt19937 rng(seed);
  size_t i = 0;
  for (uint32_t y = 0; y < kHeight; ++y) {
    for (uint32_t x = 0; x < kWidth; ++x) {
      const uint32_t noise = rng() & 7;
      image.pixels[i++] = static_cast<uint8_t>(x / 4 + noise);
      image.pixels[i++] = static_cast<uint8_t>(y / 4 + noise);
      image.pixels[i++] = static_cast<uint8_t>((x + y) / 8 + seed);
    }
  }
  return image;
}

struct Corpus {
  std::vector<uint8_t> document;
  std::vector<std::vector<uint8_t>> payloads;  // the same zlib streams the document holds
  uint64_t rawBytes = 0;
};

const Corpus& TheCorpus() {
  static const Corpus corpus = [] {
    Corpus c;
    Project p;
    for (int i = 0; i < kPages; ++i) {
      PageRecord page;
      page.name = "Page " + std::to_string(i + 1);
      page.hasImage = 1;
      page.image.form = ImageForm::Zlib;
      page.image.image = PhotoLike(static_cast<uint32_t>(i));
      c.rawBytes += page.image.image.pixels.size();
      c.payloads.push_back(DeflateZlib(page.image.image.pixels));
      p.pages.push_back(std::move(page));
    }
    c.document = WriteProject(p, 29);
    return c;
  }();
  return corpus;
}

void BM_LoadProjectFromMemory(benchmark::State& state) {
  const Corpus& c = TheCorpus();
  test::RecordingDialogs dialogs;
  LoadContext ctx(dialogs);
  for (auto _ : state) {
    LoadResult r = LoadProjectFromMemory(c.document, ctx);
    if (!r.Ok() || r.project.pages.size() != kPages)
      state.SkipWithError("load failed");
    benchmark::DoNotOptimize(r.project.pages.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * c.rawBytes));
  state.counters["document_MB"] = static_cast<double>(c.document.size()) / 1e6;
}

// Each payload inflated by libdeflate into a fresh buffer of its size made by `make`, all of
// them kept until the round ends, as a loaded project keeps its images.
template <class Make>
void InflateAll(benchmark::State& state, Make make) {
  const Corpus& c = TheCorpus();
  std::unique_ptr<libdeflate_decompressor, decltype(&libdeflate_free_decompressor)> d(
      libdeflate_alloc_decompressor(), &libdeflate_free_decompressor);
  const size_t pixelBytes = PixelBytes(kWidth, kHeight);
  for (auto _ : state) {
    std::vector<decltype(make(pixelBytes))> images;
    for (const std::vector<uint8_t>& payload : c.payloads) {
      uint8_t* out = &images.emplace_back(make(pixelBytes))[0];
      size_t actual = 0;
      if (libdeflate_zlib_decompress(d.get(), payload.data(), payload.size(), out, pixelBytes,
                                     &actual) != LIBDEFLATE_SUCCESS) {
        state.SkipWithError("inflate failed");
      }
      benchmark::DoNotOptimize(out);
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * c.rawBytes));
}

// The baseline: zero-filled buffers.
void BM_LibdeflateAlone(benchmark::State& state) {
  InflateAll(state, [](size_t n) { return std::vector<uint8_t>(n); });
}

// Buffers that are not zero-filled first: what inflating straight into uninitialised memory
// saves over the baseline.
void BM_LibdeflateIntoUninitialised(benchmark::State& state) {
  InflateAll(state, [](size_t n) { return std::make_unique_for_overwrite<uint8_t[]>(n); });
}

BENCHMARK(BM_LibdeflateIntoUninitialised)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_LibdeflateAlone)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_LoadProjectFromMemory)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
}  // namespace qlm
