// Lookup costs of the host file system and the profile store. The exact-case lookup, the plain
// open of a host path and the fresh profile read are the baselines the other cases are compared
// with.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/TempFolder.h"
#include "platform/TrustPolicy.h"
#include "platform/host/HostFileSystem.h"
#include "platform/host/IniProfileStore.h"

namespace {

using qlm::HostFileSystem;

// D:\Show\Pics holding 1000 pictures with long names.
struct Presentation {
  Presentation() : env(temp.Environment()), files(env) {
    for (int i = 0; i < 1000; ++i) {
      temp.Touch("cd/Show/Pics/Picture Number " + std::to_string(1000 + i) + ".bmp");
    }
    files.AddMount('D', temp.Path() / "cd");
    files.SetCurrentFolder(temp.Path() / "cd" / "Show");
  }
  qlm::test::TempFolder temp;
  qlm::HostEnvironment env;
  HostFileSystem files;
};

Presentation& Shared() {
  static Presentation p;
  return p;
}

void BM_ToHostExactCase(benchmark::State& state) {
  auto& p = Shared();
  for (auto _ : state) {
    benchmark::DoNotOptimize(p.files.ToHost("D:\\Show\\Pics\\Picture Number 1500.bmp"));
  }
}
BENCHMARK(BM_ToHostExactCase);

void BM_ToHostOtherCase(benchmark::State& state) {
  auto& p = Shared();
  for (auto _ : state) {
    benchmark::DoNotOptimize(p.files.ToHost("d:\\show\\PICS\\PICTURE NUMBER 1500.BMP"));
  }
}
BENCHMARK(BM_ToHostOtherCase);

void BM_ToHostShortName(benchmark::State& state) {
  auto& p = Shared();
  for (auto _ : state) {
    benchmark::DoNotOptimize(p.files.ToHost("D:\\Show\\Pics\\PICTUR~9.BMP"));
  }
}
BENCHMARK(BM_ToHostShortName);

void BM_ToHostRelative(benchmark::State& state) {
  auto& p = Shared();
  for (auto _ : state) {
    benchmark::DoNotOptimize(p.files.ToHost("Pics\\Picture Number 1500.bmp"));
  }
}
BENCHMARK(BM_ToHostRelative);

// A file eight folders below the presentation's folder, read through the door with the default
// policy: the whole path walked, judged, and the file opened through the folder the walk holds.
struct DeepFile {
  static constexpr const char* kPath = "D:\\Show\\a\\b\\c\\d\\e\\f\\g\\h\\file.txt";
  DeepFile() : env(temp.Environment()), files(env) {
    host = temp.Touch("cd/Show/a/b/c/d/e/f/g/h/file.txt", "content");
    files.AddMount('D', temp.Path() / "cd");
    files.SetCurrentFolder(temp.Path() / "cd" / "Show");
    policy.SetPresentationFolder(temp.Path() / "cd" / "Show", temp.Path() / "cd" / "Show");
    policy.SetOverlay(temp.Path() / "overlay");
    files.SetTrustPolicy(&policy, nullptr);
  }
  qlm::test::TempFolder temp;
  qlm::HostEnvironment env;
  HostFileSystem files;
  qlm::TrustPolicy policy;
  std::filesystem::path host;
};

DeepFile& SharedDeep() {
  static DeepFile d;
  return d;
}

// Baseline: what opening the host path costs with no resolution or check at all.
void BM_DeepPlainOpen(benchmark::State& state) {
  auto& d = SharedDeep();
  for (auto _ : state) {
    const int fd = ::open(d.host.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    benchmark::DoNotOptimize(::fstat(fd, &st));
    ::close(fd);
  }
}
BENCHMARK(BM_DeepPlainOpen);

void BM_DeepOpenRead(benchmark::State& state) {
  auto& d = SharedDeep();
  for (auto _ : state)
    benchmark::DoNotOptimize(d.files.OpenRead(DeepFile::kPath));
}
BENCHMARK(BM_DeepOpenRead);

void BM_DeepStat(benchmark::State& state) {
  auto& d = SharedDeep();
  for (auto _ : state)
    benchmark::DoNotOptimize(d.files.Stat(DeepFile::kPath));
}
BENCHMARK(BM_DeepStat);

// A profile of 7 font defaults and 200 saved variables, read as object records read it.
struct Profile {
  Profile() : store(temp.Path() / "cfg") {
    for (const char* key : {"Height", "Width", "Escape", "Orient", "Weight", "Italic"}) {
      store.WriteInt("Font", key, 1);
    }
    for (int i = 0; i < 200; ++i)
      store.WriteInt("QLM", "v" + std::to_string(i), i);
  }
  qlm::test::TempFolder temp;
  qlm::IniProfileStore store;
};

void BM_ProfileGetIntFreshStore(benchmark::State& state) {
  static Profile p;
  for (auto _ : state) {
    qlm::IniProfileStore store(p.temp.Path() / "cfg");
    benchmark::DoNotOptimize(store.GetInt("Font", "Weight", 400));
  }
}
BENCHMARK(BM_ProfileGetIntFreshStore);

void BM_ProfileGetIntCached(benchmark::State& state) {
  static Profile p;
  for (auto _ : state)
    benchmark::DoNotOptimize(p.store.GetInt("Font", "Weight", 400));
}
BENCHMARK(BM_ProfileGetIntCached);

void BM_ProfileWriteInt(benchmark::State& state) {
  static Profile p;
  int i = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(p.store.WriteInt("QLM", "counter", ++i));
}
BENCHMARK(BM_ProfileWriteInt);

}  // namespace
