#include "document/PageManager.h"
#include "expr/ExpressionEvaluator.h"
#include "expr/NumberText.h"
#include "graphics/SaturatingRect.h"
#include "script/CommandHelpers.h"
#include "script/ScriptHost.h"
#include "script/ScriptText.h"

namespace qlm {

namespace {

// Gives an object a new text and repaints it at once; an edit box also shows it in its window.
void SetObjectText(CommandContext& context, ObjectRecord& object, std::string text) {
  object.text = std::move(text);
  if (PageRecord* page = PageOf(context.host.PageManager(), &object))
    context.Objects().ObjectTextChanged(*page, object);
  context.host.Invalidate(InflatedRect(object.rect, 1), true);
}

// A string variable's text, or the value of the expression: "%d" when whole, the evaluator's
// number form otherwise.
CommandResult DisplayValue(CommandContext& context) {
  if (!context.object)
    return CommandResult::kContinue;
  const std::string& argument = context.statement.arg2;
  std::string text = Expand(context, argument);
  if (text == argument)
    text = FormatNumber(context.host.Evaluator().ExecuteStatement(argument));
  SetObjectText(context, *context.object, std::move(text));
  return CommandResult::kContinue;
}

bool IsAbsolutePath(const std::string& path) {
  return path.size() >= 3 && path.compare(1, 2, ":\\") == 0;
}

// A file's text, or the path itself when the file cannot be read.
std::string FileText(CommandContext& context, const std::string& path) {
  std::optional<std::string> bytes = context.System().ReadFile(path);
  return bytes ? std::move(*bytes) : path;
}

// Entry n of the song list, empty outside the list.
std::string ListEntry(CommandContext& context, const std::string& number) {
  const int64_t n = Trim(number).empty() ? 0 : EvaluateInteger(context, number);
  return context.Lists().SongListEntry(n).value_or(std::string());
}

std::string LoadedText(CommandContext& context) {
  static constexpr std::string_view kFile = "FILE:";
  static constexpr std::string_view kString = "STRING:";
  static constexpr std::string_view kList = "<List>";
  static constexpr std::string_view kListPlus = "<List+>";
  SystemHost& system = context.System();
  const std::string& source = context.statement.arg2;
  if (source.starts_with(kFile)) {
    return FileText(context, system.ExpandPathMacros(Expand(context, source.substr(kFile.size()))));
  }
  if (source.starts_with(kString))
    return system.ExpandPathMacros(Expand(context, source.substr(kString.size())));
  const std::string expanded = Expand(context, source);
  if (expanded.starts_with(kListPlus)) {
    std::string text = context.object ? context.object->text : std::string();
    return text + "\r\n" + ListEntry(context, expanded.substr(kListPlus.size()));
  }
  if (expanded.starts_with(kList))
    return ListEntry(context, expanded.substr(kList.size()));
  const std::string path = system.ExpandPathMacros(expanded);
  if (IsAbsolutePath(path))
    return FileText(context, path);
  return expanded;
}

CommandResult LoadText(CommandContext& context) {
  if (context.statement.arg2.empty())
    return CommandResult::kContinue;
  std::string text = LoadedText(context);
  if (context.object) {
    SetObjectText(context, *context.object, std::move(text));
    if (context.object->typeCode == kObjInputField)
      context.Objects().FieldTextLoaded(*context.object);
    return CommandResult::kContinue;
  }
  // No such object: the target is a string variable (Name$[i] with i resolved).
  const std::string target = std::string(Trim(context.statement.arg1));
  if (target.empty())
    return CommandResult::kContinue;
  ExpressionEvaluator& evaluator = context.host.Evaluator();
  evaluator.SetText(evaluator.NormalizeName(target), text);
  return CommandResult::kContinue;
}

}  // namespace

void RegisterTextCommands(ScriptRunner& runner) {
  runner.SetHandler(CommandCode::kDisplayValue, DisplayValue);
  runner.SetHandler(CommandCode::kLoadText, LoadText);
}

}  // namespace qlm
