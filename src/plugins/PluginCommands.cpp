#include <cmath>
#include <limits>

#include "document/PageManager.h"
#include "expr/ExpressionEvaluator.h"
#include "plugins/PluginHosts.h"
#include "script/CommandHelpers.h"
#include "script/ScriptHost.h"

namespace qlm {

namespace {

constexpr std::string_view kFileMacro = "<File>";

// A number cut to an int32 toward zero; out-of-range values saturate and NaN is 0.
int32_t ToInt32(double value) {
  if (std::isnan(value))
    return 0;
  if (value >= static_cast<double>(std::numeric_limits<int32_t>::max()))
    return std::numeric_limits<int32_t>::max();
  if (value <= static_cast<double>(std::numeric_limits<int32_t>::min()))
    return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

struct Target {
  ObjectRecord* object = nullptr;
  PluginHost* host = nullptr;
  std::string name;      // the raw second argument
  std::string resolved;  // the same expanded
};

// The plug-in object the first argument names on the current page, with a loaded library.
std::optional<Target> FindTarget(CommandContext& context, const PluginHosts& hosts) {
  const ScriptStatement& s = context.statement;
  if (s.arg1.empty() || s.arg2.empty())
    return std::nullopt;
  PageRecord* page = context.host.PageManager().CurrentPage();
  if (!page)
    return std::nullopt;
  ObjectRecord* object = CPageManager::FindObjectOnPage(*page, Expand(context, s.arg1));
  if (!object || object->typeCode != kObjPlugIn)
    return std::nullopt;
  PluginHost* host = hosts.Find(*object);
  if (!host || !host->Loaded())
    return std::nullopt;
  return Target{object, host, s.arg2, Expand(context, s.arg2)};
}

CommandResult PluginSet(CommandContext& context, PluginHosts& hosts) {
  std::optional<Target> t = FindTarget(context, hosts);
  if (!t)
    return CommandResult::kContinue;
  if (t->name == kFileMacro) {
    t->host->SetFile(context.System().FileText());
  } else if (t->name.ends_with('$')) {
    t->host->SetFile(t->resolved);
    MarkRect(context.dirtyRect, t->object->rect, 0);
  } else {
    double value = 0;
    context.host.Evaluator().Variables().GetNumber(t->name, value);
    t->host->SetData(ToInt32(value));
    MarkRect(context.dirtyRect, t->object->rect, 0);
  }
  t->host->RunExport(t->resolved);
  return CommandResult::kContinue;
}

CommandResult PluginGet(CommandContext& context, PluginHosts& hosts) {
  std::optional<Target> t = FindTarget(context, hosts);
  if (!t)
    return CommandResult::kContinue;
  VariableStore& variables = context.host.Evaluator().Variables();
  if (t->name == kFileMacro)
    context.System().SetFileText(t->host->GetFile());
  else if (t->name.ends_with('$'))
    variables.SetText(t->name, t->host->GetFile());
  else
    variables.SetNumber(t->name, t->host->GetData());
  t->host->RunExport(t->resolved);
  return CommandResult::kContinue;
}

CommandResult PluginRun(CommandContext& context, PluginHosts& hosts) {
  if (std::optional<Target> t = FindTarget(context, hosts))
    t->host->RunExport(t->resolved);
  return CommandResult::kContinue;
}

}  // namespace

void RegisterPluginCommands(ScriptRunner& runner, PluginHosts& hosts) {
  runner.SetHandler(CommandCode::kPluginSet,
                    [&hosts](CommandContext& c) { return PluginSet(c, hosts); });
  runner.SetHandler(CommandCode::kPluginGet,
                    [&hosts](CommandContext& c) { return PluginGet(c, hosts); });
  runner.SetHandler(CommandCode::kPluginRun,
                    [&hosts](CommandContext& c) { return PluginRun(c, hosts); });
}

}  // namespace qlm
