// Typical script statements against a store of 2,000 variables, with the variable name index
// off (plain scan, the baseline) and on. Compare the two rows of each statement.

#include <benchmark/benchmark.h>

#include <string>

#include "expr/ExprFakes.h"
#include "expr/ExpressionEvaluator.h"

namespace {

struct Statement {
  const char* text;
  bool condition;
};

// Counters, conditions and string concatenation with functions; the names they use were stored
// last, as a running presentation's own variables come after its system variables.
const Statement kStatements[] = {
    {"count=count+1", false},
    {"(count>10) & (name$='Player')", true},
    {"total[count*0]=total[0]+v1999*2", false},
    {"msg$='Score: '+char(count)+' of '+upp(name$)+' at '+CBK_PageName", false},
};

void StatementsPerSecond(benchmark::State& state) {
  qlm::test::FakeOwner owner;
  qlm::ExpressionEvaluator ev;
  ev.SetOwner(&owner);
  ev.Variables().UseNameIndex(state.range(1) != 0);
  ev.SetText("CBK_PageName", "Intro");
  for (int i = 0; i < 2000 - 4; ++i) {
    if (i % 4 == 0) {
      ev.SetText("s" + std::to_string(i) + "$", "text");
    } else {
      ev.SetNumber("v" + std::to_string(i), i);
    }
  }
  ev.SetNumber("v1999", 1999);
  ev.SetNumber("count", 0);
  ev.SetText("name$", "Player");
  const Statement& statement = kStatements[state.range(0)];
  for (auto _ : state) {
    double value = statement.condition ? ev.EvaluateCondition(statement.text)
                                       : ev.ExecuteStatement(statement.text);
    benchmark::DoNotOptimize(value);
  }
  if (ev.HasError())
    state.SkipWithError(ev.ErrorMessage().c_str());
  state.SetLabel(std::string(statement.text) + (state.range(1) ? " [index]" : " [scan]"));
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(StatementsPerSecond)->ArgsProduct({{0, 1, 2, 3}, {0, 1}});

}  // namespace
