#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qlm {

// An expression error as the evaluator reports it: the message and where it happened.
struct SyntaxError {
  std::string message;
  std::string detail;

  bool operator==(const SyntaxError&) const = default;
};

// Checks the expressions of script lines while they are compiled, without touching the
// variables of a running player.
class ScriptSyntaxChecker {
 public:
  virtual ~ScriptSyntaxChecker() = default;

  // An assignment or a numeric expression (For bounds). nullopt when it reads cleanly.
  virtual std::optional<SyntaxError> CheckStatement(std::string_view text) = 0;

  // The condition of an If line.
  virtual std::optional<SyntaxError> CheckCondition(std::string_view text) = 0;
};

}  // namespace qlm
