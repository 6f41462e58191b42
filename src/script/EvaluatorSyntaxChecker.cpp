#include "script/EvaluatorSyntaxChecker.h"

#include <string>

#include "expr/ExpressionChecker.h"

namespace qlm {

namespace {

std::optional<SyntaxError> ErrorOf(const ExpressionCheck& check) {
  if (check.ok) {
    return std::nullopt;
  }
  return SyntaxError{check.message, check.detail};
}

}  // namespace

std::optional<SyntaxError> EvaluatorSyntaxChecker::CheckStatement(std::string_view text) {
  return ErrorOf(qlm::CheckStatement(std::string(text)));
}

std::optional<SyntaxError> EvaluatorSyntaxChecker::CheckCondition(std::string_view text) {
  return ErrorOf(qlm::CheckCondition(std::string(text)));
}

}  // namespace qlm
