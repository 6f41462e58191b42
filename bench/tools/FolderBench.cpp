// Unpacking a project into its folder form and building it back, each against the plain
// document round trip (write the document, read it back) of the same project.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>

#include "document/DocumentFixtures.h"
#include "document/LoadContext.h"
#include "document/ProjectReader.h"
#include "document/ProjectWriter.h"
#include "support/RecordingDialogs.h"
#include "tools/ProjectFolder.h"
#include "tools/ProjectFolderReader.h"

namespace qlm {
namespace {

// The rich fixture with pictures of a realistic size: a 640 x 480 background on each page.
const Project& BenchProject() {
  static const Project project = [] {
    Project p = test::RichProject();
    for (PageRecord& page : p.pages) {
      page.image.form = ImageForm::Zlib;
      page.image.image = test::Gradient(640, 480, 3);
    }
    return p;
  }();
  return project;
}

void BM_DocumentRoundTrip(benchmark::State& state) {
  for (auto _ : state) {
    const std::vector<uint8_t> bytes = WriteProject(BenchProject(), 29);
    test::RecordingDialogs dialogs;
    LoadContext ctx(dialogs);
    benchmark::DoNotOptimize(LoadProjectFromMemory(bytes, ctx));
  }
}
BENCHMARK(BM_DocumentRoundTrip)->Unit(benchmark::kMillisecond);

void BM_UnpackInMemory(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(UnpackProject(BenchProject(), DocumentForm{}));
  }
}
BENCHMARK(BM_UnpackInMemory)->Unit(benchmark::kMillisecond);

void BM_BuildFromFolder(benchmark::State& state) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("qlm-bench-folder-" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  WriteFolder(UnpackProject(BenchProject(), DocumentForm{}), dir);
  for (auto _ : state) {
    FolderProject folder = ReadProjectFolder(dir);
    benchmark::DoNotOptimize(WriteProject(folder.project, 29));
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_BuildFromFolder)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qlm
