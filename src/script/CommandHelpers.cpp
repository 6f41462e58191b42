#include "script/CommandHelpers.h"

#include <algorithm>

#include "expr/ExpandArgument.h"
#include "expr/ExpressionEvaluator.h"
#include "expr/NumberText.h"
#include "script/ScriptHost.h"

namespace qlm {

void MarkRect(Rect& dirty, const Rect& rect, int grow) {
  const Rect r{rect.left - grow, rect.top - grow, rect.right + grow, rect.bottom + grow};
  if (dirty.right <= dirty.left || dirty.bottom <= dirty.top) {
    dirty = r;
    return;
  }
  dirty.left = std::min(dirty.left, r.left);
  dirty.top = std::min(dirty.top, r.top);
  dirty.right = std::max(dirty.right, r.right);
  dirty.bottom = std::max(dirty.bottom, r.bottom);
}

std::string Expand(const CommandContext& context, const std::string& argument) {
  return ExpandArgument(context.host.Evaluator().Variables(), argument);
}

int32_t EvaluateInteger(const CommandContext& context, const std::string& expression) {
  return TruncateToInt32(context.host.Evaluator().ExecuteStatement(expression));
}

int64_t ReadInterval(const CommandContext& context, const std::string& text) {
  int64_t interval = ParseInteger(text);
  if (interval <= 0)
    interval = EvaluateInteger(context, text);
  return interval;
}

void RegisterCoreCommands(ScriptRunner& runner) {
  RegisterObjectCommands(runner);
  RegisterPageCommands(runner);
  RegisterTimerCommands(runner);
  RegisterScriptCommands(runner);
  RegisterMessageCommands(runner);
}

}  // namespace qlm
