#include "document/PageManager.h"
#include "script/CommandHelpers.h"
#include "script/ScriptHost.h"

namespace qlm {

namespace {

CommandResult GoToPage(CommandContext& context) {
  if (context.statement.arg1.empty())
    return CommandResult::kContinue;
  ScriptRunner& runner = context.runner;
  runner.SetPageChanged();
  context.Window().FocusPlayerWindow();
  runner.KillScriptTimers();
  std::string name = Expand(context, context.statement.arg1);
  if (name == "<File>")
    name = context.System().FileText();
  context.Navigation().ChangePageByName(name);
  return CommandResult::kContinue;
}

}  // namespace

void RegisterPageCommands(ScriptRunner& runner) {
  const std::pair<CommandCode, int> directions[] = {
      {CommandCode::kFirstPage, CPageManager::kFirst},
      {CommandCode::kLastPage, CPageManager::kLast},
      {CommandCode::kNextPage, CPageManager::kNext},
      {CommandCode::kPrevPage, CPageManager::kPrevious}};
  for (const auto& [code, step] : directions) {
    const int direction = step;  // a lambda may not capture a structured binding in every compiler
    runner.SetHandler(code, [direction](CommandContext& c) {
      c.Navigation().ChangePage(direction);
      return CommandResult::kContinue;
    });
  }
  runner.SetHandler(CommandCode::kPage, GoToPage);
  runner.SetHandler(CommandCode::kExit, [](CommandContext& c) {
    c.Pages().ClosePlayer();
    return CommandResult::kContinue;
  });
}

}  // namespace qlm
