// Scanning a folder of documents (as qmdtool scan does) on one thread and on every core.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "document/DocumentFixtures.h"
#include "document/ProjectWriter.h"
#include "tools/CorpusScan.h"
#include "tools/WorkerPool.h"

namespace qlm {
namespace {

constexpr int kDocuments = 200;

// kDocuments copies of the rich fixture in ten folders, every fifth one cut short.
std::filesystem::path MakePile() {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("qlm-bench-scan-" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  const std::vector<uint8_t> bytes = WriteProject(test::RichProject(), 29);
  for (int i = 0; i < kDocuments; ++i) {
    const std::filesystem::path folder = dir / ("disc" + std::to_string(i % 10));
    std::filesystem::create_directories(folder);
    const size_t size = i % 5 == 4 ? bytes.size() / 2 : bytes.size();
    std::ofstream(folder / ("show" + std::to_string(i) + ".qmd"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(size));
  }
  return dir;
}

void BM_ScanPile(benchmark::State& state) {
  const std::filesystem::path dir = MakePile();
  ScanSettings settings;
  settings.environment.xdgDataHome = dir / "data";
  const size_t workers = state.range(0) == 0 ? WorkerCount(kDocuments) : 1;
  for (auto _ : state) {
    std::vector<std::string> problems;
    const auto candidates = ListScanCandidates({dir.string()}, problems);
    benchmark::DoNotOptimize(ScanCandidates(candidates, settings, workers));
  }
  state.SetItemsProcessed(state.iterations() * kDocuments);
  std::filesystem::remove_all(dir);
}
// 1: one thread; 0: every core.
BENCHMARK(BM_ScanPile)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace qlm
