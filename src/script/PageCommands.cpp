#include "document/PageManager.h"
#include "script/CommandHelpers.h"
#include "script/ScriptHost.h"

namespace qlm {

namespace {

constexpr int32_t kFirstPage = 7;
constexpr int32_t kLastPage = 8;
constexpr int32_t kNextPage = 9;
constexpr int32_t kPrevPage = 10;
constexpr int32_t kPage = 11;
constexpr int32_t kExit = 12;

CommandResult GoToPage(CommandContext& context) {
  if (context.statement.arg1.empty())
    return CommandResult::kContinue;
  ScriptRunner& runner = context.runner;
  runner.SetPageChanged();
  context.host.FocusPlayerWindow();
  runner.KillScriptTimers();
  std::string name = Expand(context, context.statement.arg1);
  if (name == "<File>")
    name = context.host.FileText();
  runner.ChangePageByName(name);
  return CommandResult::kContinue;
}

}  // namespace

void RegisterPageCommands(ScriptRunner& runner) {
  const std::pair<int32_t, int> directions[] = {{kFirstPage, CPageManager::kFirst},
                                                {kLastPage, CPageManager::kLast},
                                                {kNextPage, CPageManager::kNext},
                                                {kPrevPage, CPageManager::kPrevious}};
  for (const auto& [code, direction] : directions) {
    runner.SetHandler(code, [direction](CommandContext& c) {
      c.runner.ChangePage(direction);
      return CommandResult::kContinue;
    });
  }
  runner.SetHandler(kPage, GoToPage);
  runner.SetHandler(kExit, [](CommandContext& c) {
    c.host.ClosePlayer();
    return CommandResult::kContinue;
  });
}

}  // namespace qlm
