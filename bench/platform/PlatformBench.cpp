// Lookup costs of the host file system and the profile store. The exact-case lookup and the
// fresh profile read are the baselines the other cases are compared with.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/TempFolder.h"
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
