#include <cmath>

#include "expr/ExpressionEvaluator.h"
#include "expr/NumberText.h"
#include "platform/Dialogs.h"
#include "script/CommandHelpers.h"
#include "script/ScriptHost.h"

namespace qlm {

namespace {

// "%d " with a trailing blank for whole numbers, the evaluator's formatting otherwise.
std::string MessageValue(double value) {
  if (std::isfinite(value) && value == std::trunc(value) && value >= -2147483648.0 &&
      value <= 2147483647.0) {
    return std::to_string(static_cast<int32_t>(value)) + " ";
  }
  return FormatNumber(value);
}

CommandResult ShowMessage(CommandContext& context) {
  const ScriptStatement& s = context.statement;
  std::string message = Expand(context, s.arg1);
  if (!s.arg2.empty()) {
    const std::string expanded = Expand(context, s.arg2);
    if (expanded != s.arg2) {
      message += "\n" + expanded;
    } else {
      const double value = context.host.Evaluator().ExecuteStatement(s.arg2);
      message += "\n" + s.arg2 + " : " + MessageValue(value);
    }
  }
  context.host.GetDialogs().MessageBox(message, context.Window().WindowTitle(),
                                       mb::kOk | mb::kIconWarning);
  return CommandResult::kContinue;
}

}  // namespace

void RegisterMessageCommands(ScriptRunner& runner) {
  runner.SetHandler(CommandCode::kMessage, ShowMessage);
}

}  // namespace qlm
