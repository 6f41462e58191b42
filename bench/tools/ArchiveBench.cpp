// `qmdtool archive run` (one chunk of every file on two players at a time: scan, checksum, first
// frame and a record a file) against `qmdtool thumbnails --jobs 2` over the same pile: what the
// records, checksums and resumability cost on top of the pictures.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "document/DocumentFixtures.h"
#include "document/ProjectWriter.h"
#include "tools/QmdTool.h"

namespace qlm {
namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 300;

// The folder of this program, where the build puts qmdtool's player too.
fs::path ProgramDir() {
  return fs::read_symlink("/proc/self/exe").parent_path();
}

struct Pile {
  fs::path dir;
  fs::path player;
  Pile() : dir(fs::temp_directory_path() / ("qlm-bench-archive-" + std::to_string(::getpid()))) {
    fs::remove_all(dir);
    const std::vector<uint8_t> bytes = WriteProject(test::RichProject(), 29);
    for (int i = 0; i < kFiles; ++i) {
      const fs::path folder = dir / "pile" / ("disc" + std::to_string(i % 10));
      fs::create_directories(folder);
      // Every tenth file cut short, as damaged discs are.
      const size_t size = i % 10 == 9 ? bytes.size() / 2 : bytes.size();
      std::ofstream(folder / ("show" + std::to_string(i) + ".qmd"), std::ios::binary)
          .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(size));
    }
    for (fs::path folder = ProgramDir();; folder = folder.parent_path()) {
      if (fs::is_regular_file(folder / "qlmplayer")) {
        player = folder / "qlmplayer";
        break;
      }
      if (folder == folder.parent_path())
        break;
    }
    ::setenv("XDG_DATA_HOME", (dir / "home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (dir / "home").c_str(), 1);
  }
  ~Pile() { fs::remove_all(dir); }

  // False, with the reason given to the benchmark, when there is no player to run.
  bool Ready(benchmark::State& state) const {
    if (player.empty())
      state.SkipWithError("no qlmplayer in the build");
    return !player.empty();
  }
};

int Tool(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  return RunQmdTool(args, out, err, ToolEnvironment{ProgramDir(), {}});
}

void BM_Thumbnails(benchmark::State& state) {
  Pile pile;
  if (!pile.Ready(state))
    return;
  for (auto _ : state) {
    fs::remove_all(pile.dir / "thumbs");
    benchmark::DoNotOptimize(
        Tool({"thumbnails", (pile.dir / "pile").string(), "-o", (pile.dir / "thumbs").string(),
              "--jobs", "2", "--player", pile.player.string()}));
  }
  state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_Thumbnails)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void BM_ArchiveRun(benchmark::State& state) {
  Pile pile;
  if (!pile.Ready(state))
    return;
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(pile.dir / "run");
    Tool({"archive", "plan", (pile.dir / "pile").string(), "-o", (pile.dir / "run").string(),
          "--chunk", std::to_string(kFiles)});
    state.ResumeTiming();
    benchmark::DoNotOptimize(Tool({"archive", "run", (pile.dir / "run").string(), "--chunk", "0",
                                   "--jobs", "2", "--player", pile.player.string()}));
  }
  state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_ArchiveRun)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
}  // namespace qlm
