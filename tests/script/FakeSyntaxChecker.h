#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "script/ScriptSyntaxChecker.h"

namespace qlm::test {

// Stands in for the expression evaluator: rejects the word BAD and unbalanced parentheses,
// and remembers every text it was asked about.
class FakeSyntaxChecker : public ScriptSyntaxChecker {
 public:
  std::optional<SyntaxError> CheckStatement(std::string_view text) override {
    statements.emplace_back(text);
    return Check(text);
  }
  std::optional<SyntaxError> CheckCondition(std::string_view text) override {
    conditions.emplace_back(text);
    return Check(text);
  }

  std::vector<std::string> statements;
  std::vector<std::string> conditions;

 private:
  static std::optional<SyntaxError> Check(std::string_view text) {
    if (text.find("BAD") != std::string_view::npos) {
      return SyntaxError{"Syntax Error ", std::string(text) + " ?????"};
    }
    int depth = 0;
    for (char c : text) {
      depth += c == '(' ? 1 : c == ')' ? -1 : 0;
      if (depth < 0) {
        break;
      }
    }
    if (depth != 0) {
      return SyntaxError{"Unmatched braces '()'  Expected ')'", std::string(text)};
    }
    return std::nullopt;
  }
};

}  // namespace qlm::test
