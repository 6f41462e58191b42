// A counted For loop of 1,000,000 iterations with an assignment and an If in its body, run by
// the executor, beside the same loop run by the yabasic interpreter in the same process run
// (spawned on a temporary file; its start-up is measured separately). Compare
// BM_ExecutorForLoop with BM_YabasicForLoop minus BM_YabasicStartup; bench/script_vs_yabasic.sh
// does, by wall time and by processor time (the yabasic runs report their child's in cpu_ms),
// which holds steadier on a busy machine.
// BM_ExecutorForLoopParsed runs the loop with every text read afresh, as before compiling.
// BM_CreateObjects measures object creation with numbered names.

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "document/PageManager.h"
#include "expr/ExpressionEvaluator.h"
#include "platform/Clock.h"
#include "platform/EventLoop.h"
#include "script/CommandHelpers.h"
#include "script/EvaluatorSyntaxChecker.h"
#include "script/ScriptCompiler.h"
#include "script/ScriptRoles.h"
#include "script/ScriptRunner.h"
#include "support/RecordingDialogs.h"

namespace {

constexpr int kIterations = 1000000;

class StillLoop : public qlm::EventLoop {
 public:
  StillLoop() : EventLoop(clock_) {}

 protected:
  void WaitForEvents(uint64_t) override {}

 private:
  qlm::VirtualClock clock_;
};

class BenchHost : public qlm::CombinedScriptHost {
 public:
  BenchHost() {
    qlm::Project project;
    project.pages.emplace_back();
    pages = qlm::CPageManager(std::move(project));
  }
  qlm::CPageManager& PageManager() override { return pages; }
  qlm::ExpressionEvaluator& Evaluator() override { return evaluator; }
  qlm::Dialogs& GetDialogs() override { return dialogs; }
  qlm::EventLoop& Loop() override { return loop; }
  bool IsWindowVisible() const override { return true; }
  void Invalidate(const qlm::IntRect&, bool) override {}
  void InvalidateAll(bool) override {}
  void ClosePlayer() override {}
  void ShowPage() override {}
  std::string WindowTitle() const override { return "bench"; }

  qlm::CPageManager pages;
  qlm::ExpressionEvaluator evaluator;
  qlm::test::RecordingDialogs dialogs;
  StillLoop loop;
};

void ForLoop(benchmark::State& state, bool compiled) {
  BenchHost host;
  host.evaluator.UseCompiledPrograms(compiled);
  qlm::ScriptRunner runner(host);
  qlm::EvaluatorSyntaxChecker checker;
  qlm::ScriptCompiler compiler(checker, host.dialogs);
  qlm::ScriptBody body;
  compiler.CompileScript(body,
                         "x=0\ny=0\nFor i=1 To " + std::to_string(kIterations) +
                             "\nx=x+i\nIf (x>0) Then\ny=y+1\nend\nNext i",
                         true);
  for (auto _ : state) {
    runner.ExecuteScript(body);
  }
  double y = 0;
  host.evaluator.GetNumber("y", y);
  if (y != kIterations || !host.dialogs.boxes.empty())
    state.SkipWithError("wrong result");
  state.SetItemsProcessed(state.iterations() * kIterations);
}

void BM_ExecutorForLoop(benchmark::State& state) {
  ForLoop(state, true);
}
BENCHMARK(BM_ExecutorForLoop)->Unit(benchmark::kMillisecond);

void BM_ExecutorForLoopParsed(benchmark::State& state) {
  ForLoop(state, false);
}
BENCHMARK(BM_ExecutorForLoopParsed)->Unit(benchmark::kMillisecond);

// The executor's own share: the same loop with a body that evaluates nothing (one marked
// line), so what is left is the nested run per iteration, the loop variable and the limit.
void BM_ExecutorLoopOverhead(benchmark::State& state) {
  BenchHost host;
  qlm::ScriptRunner runner(host);
  qlm::EvaluatorSyntaxChecker checker;
  qlm::ScriptCompiler compiler(checker, host.dialogs);
  qlm::ScriptBody body;
  compiler.CompileScript(body, "For i=1 To " + std::to_string(kIterations) + "\n** x\nNext i",
                         true);
  for (auto _ : state) {
    runner.ExecuteScript(body);
  }
  state.SetItemsProcessed(state.iterations() * kIterations);
}
BENCHMARK(BM_ExecutorLoopOverhead)->Unit(benchmark::kMillisecond);

// Creating N rectangles that all ask for the same name, so each one is numbered after the ones
// before it (R1, R2 ...). The time per object must stay flat as N grows to 20,000.
void BM_CreateObjects(benchmark::State& state) {
  const int64_t count = state.range(0);
  qlm::EvaluatorSyntaxChecker checker;
  qlm::test::RecordingDialogs dialogs;
  qlm::ScriptCompiler compiler(checker, dialogs);
  qlm::ScriptBody body;
  compiler.CompileScript(
      body, "For i=1 To " + std::to_string(count) + "\nCreateRectangle(\"R\",\"\")\nNext i", true);
  std::string last;
  for (auto _ : state) {
    // A fresh page each time (its set-up and tear-down are linear too and counted).
    BenchHost host;
    host.pages.ShowCurrentPage();
    qlm::ScriptRunner runner(host);
    qlm::RegisterCoreCommands(runner);
    runner.ExecuteScript(body);
    last = host.pages.CurrentPage()->objects.back().name;
  }
  if (last != "R" + std::to_string(count - 1))
    state.SkipWithError("wrong objects");
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_CreateObjects)
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(4000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond);

double ChildProcessorSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs yabasic on `program` and reports the wall time of each run, and its processor time
// (user and system) per run in the cpu_ms counter.
void RunYabasic(benchmark::State& state, const std::string& program) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("qlm_bench_" + std::to_string(::getpid()) + ".bas");
  std::ofstream(file) << program;
  const std::string command = "yabasic " + file.string() + " > /dev/null 2>&1";
  const double cpuBefore = ChildProcessorSeconds();
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const auto end = std::chrono::steady_clock::now();
    if (status != 0) {
      state.SkipWithError("yabasic is not installed or failed");
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
  state.counters["cpu_ms"] = benchmark::Counter((ChildProcessorSeconds() - cpuBefore) * 1e3,
                                                benchmark::Counter::kAvgIterations);
  std::filesystem::remove(file);
}

void BM_YabasicForLoop(benchmark::State& state) {
  RunYabasic(state, "x=0\ny=0\nfor i=1 to " + std::to_string(kIterations) +
                        "\nx=x+i\nif (x>0) then\ny=y+1\nendif\nnext i\nprint y\n");
  state.SetItemsProcessed(state.iterations() * kIterations);
}
BENCHMARK(BM_YabasicForLoop)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_YabasicStartup(benchmark::State& state) {
  RunYabasic(state, "print 1\n");
}
BENCHMARK(BM_YabasicStartup)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
