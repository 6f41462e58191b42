// `qmdtool info` on a large document of barely compressible backgrounds, beside reading the
// same file whole in blocks as `cat` does: the summary should cost little more than the read.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <vector>

#include "document/Inflate.h"
#include "document/ProjectWriter.h"
#include "platform/CodePage.h"
#include "platform/host/HostFiles.h"
#include "tools/ProjectSummary.h"
#include "tools/ToolInput.h"

namespace qlm {
namespace {

constexpr uint32_t kWidth = 1024;
constexpr uint32_t kHeight = 768;
constexpr int kPages = 60;

// Noise over a gradient: packs hardly at all, like the backgrounds of a photo show.
std::vector<uint8_t> NoisyPixels(uint32_t seed) {
  std::vector<uint8_t> pixels(size_t{kWidth} * kHeight * 3);
  uint32_t state = seed * 2654435761u + 1;
  for (size_t i = 0; i < pixels.size(); ++i) {
    state = state * 1664525u + 1013904223u;
    pixels[i] = static_cast<uint8_t>(i / 3 % kWidth / 4 + (state >> 25));
  }
  return pixels;
}

const std::filesystem::path& Document() {
  static const std::filesystem::path path = [] {
    Project project;
    project.settings.clientWidth = kWidth;
    project.settings.clientHeight = kHeight;
    for (int p = 0; p < kPages; ++p) {
      PageRecord page;
      page.name = "Page " + std::to_string(p + 1);
      page.hasImage = 1;
      page.image.form = ImageForm::Zlib;
      page.image.image = {kWidth, kHeight, NoisyPixels(static_cast<uint32_t>(p))};
      project.pages.push_back(std::move(page));
    }
    project.storedPageCount = kPages;
    const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                       ("qlm-bench-info-" + std::to_string(::getpid()) + ".qmd");
    const std::vector<uint8_t> bytes = WriteProject(project, 29);
    WriteFileAtomically(
        file, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove(Document(), ignored);
    });
    return file;
  }();
  return path;
}

// The baseline: the file read whole in 128 KiB blocks, as cat reads it.
void BM_CatFile(benchmark::State& state) {
  std::vector<char> block(128 * 1024);
  for (auto _ : state) {
    const int fd = ::open(Document().c_str(), O_RDONLY | O_CLOEXEC);
    ssize_t n = 0;
    while ((n = ::read(fd, block.data(), block.size())) > 0)
      benchmark::DoNotOptimize(block.data());
    ::close(fd);
  }
  state.counters["document_MB"] = static_cast<double>(std::filesystem::file_size(Document())) / 1e6;
}
BENCHMARK(BM_CatFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// What `qmdtool info` does: open, read the project with its pictures packed, write the summary.
void BM_InfoSummary(benchmark::State& state) {
  for (auto _ : state) {
    const ToolInput input = ReadToolInput(Document());
    std::vector<std::string> messages;
    const Project project =
        LoadToolProject(input, "info.qmd", messages, nullptr, ToolPictures::kPacked);
    std::ostringstream out;
    WriteProjectSummary(out, Document().string(), input, project, CodePage("WINDOWS-1252"));
    benchmark::DoNotOptimize(out.str().size());
  }
}
BENCHMARK(BM_InfoSummary)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace qlm
