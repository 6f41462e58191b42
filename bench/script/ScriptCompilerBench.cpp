// Compiling long scripts. The baseline does the least any compiler must do: split the text
// into trimmed lines and copy each into a statement. Compare the compile's time per line with
// it, and the 10,000-line run with the 100,000-line run to see that the cost stays linear.

#include <benchmark/benchmark.h>

#include <optional>
#include <string>

#include "document/ScriptBody.h"
#include "script/EvaluatorSyntaxChecker.h"
#include "script/ScriptCompiler.h"
#include "script/ScriptText.h"
#include "support/RecordingDialogs.h"

namespace {

// Accepts everything, so the numbers show the compiler's own work.
class AcceptingChecker : public qlm::ScriptSyntaxChecker {
 public:
  std::optional<qlm::SyntaxError> CheckStatement(std::string_view) override { return std::nullopt; }
  std::optional<qlm::SyntaxError> CheckCondition(std::string_view) override { return std::nullopt; }
};

std::string MakeScript(int64_t lines) {
  const char* block[] = {
      "For i=1 To 10", "  If (i>5) Then", "    Hide(\"Picture\")",  "  else", "    x=x+i", "  end",
      "Next i",        "/* a comment",    "  Message(\"a\",\"b\")", "*/",
  };
  std::string text;
  for (int64_t n = 0; n < lines; ++n) {
    text += block[n % 10];
    text += "\r\n";
  }
  return text;
}

void BM_SplitAndCopyBaseline(benchmark::State& state) {
  std::string text = MakeScript(state.range(0));
  for (auto _ : state) {
    qlm::ScriptBody body;
    size_t pos = 0;
    while (pos < text.size()) {
      size_t lf = text.find('\n', pos);
      size_t end = lf == std::string::npos ? text.size() : lf;
      std::string_view line = qlm::Trim(std::string_view(text).substr(pos, end - pos));
      if (!line.empty()) {
        qlm::ScriptStatement s;
        s.arg2 = line;
        body.statements.push_back(std::move(s));
      }
      pos = end + 1;
    }
    benchmark::DoNotOptimize(body.statements.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_CompileScript(benchmark::State& state) {
  std::string text = MakeScript(state.range(0));
  AcceptingChecker checker;
  qlm::test::RecordingDialogs dialogs;
  qlm::ScriptCompiler compiler(checker, dialogs);
  for (auto _ : state) {
    qlm::ScriptBody body;
    benchmark::DoNotOptimize(compiler.CompileScript(body, text, true));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The same with every expression checked by the real evaluator, as the player compiles.
void BM_CompileScriptWithEvaluator(benchmark::State& state) {
  std::string text = MakeScript(state.range(0));
  qlm::EvaluatorSyntaxChecker checker;
  qlm::test::RecordingDialogs dialogs;
  qlm::ScriptCompiler compiler(checker, dialogs);
  for (auto _ : state) {
    qlm::ScriptBody body;
    benchmark::DoNotOptimize(compiler.CompileScript(body, text, true));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_SplitAndCopyBaseline)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompileScript)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompileScriptWithEvaluator)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
