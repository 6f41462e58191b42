#include <algorithm>

#include "expr/NumberText.h"
#include "platform/EventLoop.h"
#include "script/CommandHelpers.h"
#include "script/ScriptHost.h"
#include "script/ScriptText.h"

namespace qlm {

namespace {

uint32_t ClampInterval(int64_t ms) {
  return static_cast<uint32_t>(std::clamp<int64_t>(ms, 0, UINT32_MAX));
}

CommandResult ArmPageTimer(CommandContext& context, int mode) {
  const int64_t interval = ReadInterval(context, context.statement.arg1);
  if (interval <= 0) {
    context.host.Loop().KillTimer(window_timer::kPage);
    return CommandResult::kContinue;
  }
  std::string target;
  if (mode == ScriptRunner::kTimerPage)
    target = Expand(context, context.statement.arg2);
  context.runner.ArmPageTimer(mode, std::move(target), ClampInterval(interval));
  return CommandResult::kContinue;
}

}  // namespace

// "timerN=Name" and "timera=Name" pick the timer; a plain name uses timer 4.
uint32_t ScriptTimerId(std::string& target) {
  const size_t eq = target.find('=');
  if (eq == std::string::npos || eq == 0)
    return window_timer::kScript;
  const std::string prefix = AsciiLower(std::string_view(target).substr(0, eq));
  target = target.substr(eq + 1);
  if (!prefix.starts_with("timer"))
    return window_timer::kScript;
  const std::string rest = prefix.substr(5);
  if (rest == "a")
    return window_timer::kFirstNamed;
  if (rest == "b")
    return window_timer::kFirstNamed + 1;
  if (rest == "c")
    return window_timer::kFirstNamed + 2;
  const int32_t n = ParseInteger(rest);
  if (n >= 1 && n <= 1000)
    return window_timer::kFirstNamed - 1 + static_cast<uint32_t>(n);
  return window_timer::kScript;
}

void RegisterTimerCommands(ScriptRunner& runner) {
  runner.SetHandler(CommandCode::kPageTimer,
                    [](CommandContext& c) { return ArmPageTimer(c, ScriptRunner::kTimerPage); });
  runner.SetHandler(CommandCode::kExitTimer,
                    [](CommandContext& c) { return ArmPageTimer(c, ScriptRunner::kTimerExit); });
  runner.SetHandler(CommandCode::kScriptTimer, [](CommandContext& c) {
    const ScriptStatement& s = c.statement;
    if (s.arg1.empty() || s.arg2.empty())
      return CommandResult::kContinue;
    const int64_t interval = std::max<int64_t>(ReadInterval(c, s.arg2), 0);
    std::string target = Expand(c, s.arg1);
    const uint32_t id = ScriptTimerId(target);
    c.runner.ArmScriptTimer(id, std::move(target), ClampInterval(interval));
    return CommandResult::kContinue;
  });
}

}  // namespace qlm
