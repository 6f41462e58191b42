#include <memory>

#include "document/PageManager.h"
#include "platform/Dialogs.h"
#include "script/CommandHelpers.h"
#include "script/EvaluatorSyntaxChecker.h"
#include "script/ScriptCompiler.h"
#include "script/ScriptHost.h"

namespace qlm {

namespace {

CommandResult RunScript(CommandContext& context) {
  ObjectRecord* object = context.object;
  if (!object)
    return CommandResult::kContinue;
  ScriptBody& body = ObjectScript(*object, ScriptSlot::kMain);
  body.ownerName = object->name;
  context.runner.ExecuteScript(body);
  return CommandResult::kContinue;
}

CommandResult RunScriptCode(CommandContext& context) {
  const ScriptStatement& s = context.statement;
  if (s.arg1.empty())
    return CommandResult::kContinue;
  const std::string text = Expand(context, s.arg1);
  const bool showErrors = EvaluateInteger(context, Expand(context, s.arg2)) != 0;
  auto body = std::make_shared<ScriptBody>();
  EvaluatorSyntaxChecker checker;
  ScriptCompiler compiler(checker, context.host.GetDialogs());
  compiler.CompileScript(*body, text, showErrors);
  context.runner.ExecuteScript(std::shared_ptr<const ScriptBody>(std::move(body)));
  return CommandResult::kContinue;
}

}  // namespace

void RegisterScriptCommands(ScriptRunner& runner) {
  runner.SetHandler(CommandCode::kRunScript, RunScript);
  runner.SetHandler(CommandCode::kRunScriptCode, RunScriptCode);
}

}  // namespace qlm
