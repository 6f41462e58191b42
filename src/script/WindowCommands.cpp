#include "graphics/SaturatingRect.h"
#include "platform/EventLoop.h"
#include "script/CommandHelpers.h"
#include "script/ScriptHost.h"
#include "script/ScriptText.h"

namespace qlm {

namespace {

// "FORCED" repaints the whole window; anything else what the run has changed so far. The
// pump lets the paint happen before the script goes on.
CommandResult Refresh(CommandContext& context) {
  if (EqualsIgnoreAsciiCase(context.statement.arg1, "FORCED")) {
    context.host.InvalidateAll(true);
  } else if (!context.dirtyRect.Empty()) {
    context.host.Invalidate(InflatedRect(context.dirtyRect, 1), true);
  }
  return context.runner.PumpMessages() ? CommandResult::kContinue : CommandResult::kEndFalse;
}

// Waits on the window's clock while timers, input and other scripts go on.
CommandResult Pause(CommandContext& context) {
  const int32_t ms = EvaluateInteger(context, Expand(context, context.statement.arg1));
  if (ms <= 0)
    return CommandResult::kContinue;
  EventLoop& loop = context.host.Loop();
  const uint64_t deadline = loop.TickCount() + static_cast<uint64_t>(ms);
  while (loop.TickCount() < deadline) {
    if (context.runner.StopFlag() || !context.runner.WaitMessages(deadline))
      return CommandResult::kEndFalse;
  }
  return context.runner.StopFlag() ? CommandResult::kEndFalse : CommandResult::kContinue;
}

}  // namespace

void RegisterWindowCommands(ScriptRunner& runner) {
  runner.SetHandler(CommandCode::kMinimize, [](CommandContext& c) {
    c.Window().MinimizeWindow();
    return CommandResult::kContinue;
  });
  runner.SetHandler(CommandCode::kRestore, [](CommandContext& c) {
    c.Window().RestoreWindow();
    return CommandResult::kContinue;
  });
  runner.SetHandler(CommandCode::kRefresh, Refresh);
  runner.SetHandler(CommandCode::kPause, Pause);
}

}  // namespace qlm
