#pragma once

#include <optional>
#include <string_view>

#include "script/ScriptSyntaxChecker.h"

namespace qlm {

// Checks script expressions with the real evaluator. Every check runs on a fresh evaluator
// with an empty variable store and no owner window, so nothing a check reads or assigns
// reaches the player's variables, and window or file functions do nothing.
class EvaluatorSyntaxChecker : public ScriptSyntaxChecker {
 public:
  std::optional<SyntaxError> CheckStatement(std::string_view text) override;
  std::optional<SyntaxError> CheckCondition(std::string_view text) override;
};

}  // namespace qlm
