#pragma once

#include <string>

namespace qlm {

// Outcome of a syntax check: the evaluator's message and the location it points at.
struct ExpressionCheck {
  bool ok = true;
  std::string message;
  std::string detail;
};

// Checks an assignment or numeric expression on a fresh evaluator with an empty store and no
// window, so that checking never touches live variables.
ExpressionCheck CheckStatement(const std::string& text);
// The same for the condition of an If statement.
ExpressionCheck CheckCondition(const std::string& text);

}  // namespace qlm
