#include "expr/ExpressionChecker.h"

#include "expr/ExpressionEvaluator.h"

namespace qlm {
namespace {

ExpressionCheck Result(const ExpressionEvaluator& evaluator) {
  ExpressionCheck check;
  if (evaluator.HasError()) {
    check.ok = false;
    check.message = evaluator.ErrorMessage();
    check.detail = evaluator.ErrorLocation();
  }
  return check;
}

}  // namespace

// A check reads each text once, so it reads it rather than compiling it.
ExpressionCheck CheckStatement(const std::string& text) {
  ExpressionEvaluator evaluator;
  evaluator.UseCompiledPrograms(false);
  evaluator.ExecuteStatement(text);
  return Result(evaluator);
}

ExpressionCheck CheckCondition(const std::string& text) {
  ExpressionEvaluator evaluator;
  evaluator.UseCompiledPrograms(false);
  evaluator.EvaluateCondition(text);
  return Result(evaluator);
}

}  // namespace qlm
