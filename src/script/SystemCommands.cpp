// Commands that reach the machine: starting programs and projects, window placement, the
// clipboard, fonts and saved variables.
#include <filesystem>
#include <optional>
#include <string>

#include "document/PageManager.h"
#include "expr/ExpressionEvaluator.h"
#include "expr/ProfileVariables.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/FileSystem.h"
#include "platform/ProfileStore.h"
#include "script/CommandHelpers.h"
#include "script/ScriptHost.h"
#include "script/ScriptText.h"

namespace qlm {

namespace {

constexpr std::string_view kNewWindow = "NEW_WINDOW";

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

CommandResult Run(CommandContext& context) {
  const ScriptStatement& s = context.statement;
  context.System().Launch(Expand(context, s.arg1), Expand(context, s.arg2));
  return CommandResult::kContinue;
}

// In a new window the project starts as another player through the launcher and the script
// goes on; otherwise the window loads it from timer 999 once no script runs, and every script
// stops now.
CommandResult RunQmd(CommandContext& context) {
  const ScriptStatement& s = context.statement;
  if (s.arg1.empty())
    return CommandResult::kEndFalse;
  SystemHost& system = context.System();
  const std::string file = system.ExpandPathMacros(Expand(context, s.arg1));
  const std::string options = Expand(context, s.arg2);
  if (options.starts_with(kNewWindow)) {
    std::string rest = options.substr(kNewWindow.size());
    if (rest.starts_with(','))
      rest.erase(0, 1);
    system.Launch(file, rest);
    return CommandResult::kContinue;
  }
  context.Navigation().RequestProject(file, options);
  return CommandResult::kEndFalse;
}

// The two evaluated numbers of "a,b"; a missing piece counts 0.
std::pair<int32_t, int32_t> TwoNumbers(CommandContext& context, const std::string& values) {
  const std::vector<std::string> pieces = SplitList(values, 2);
  auto number = [&](size_t i) {
    return i < pieces.size() && !Trim(pieces[i]).empty() ? EvaluateInteger(context, pieces[i]) : 0;
  };
  return {number(0), number(1)};
}

void CopyNamedFile(CommandContext& context, const std::string& values) {
  ScriptHost& host = context.host;
  SystemHost& system = context.System();
  const std::vector<std::string> pieces = SplitList(values, 2);
  const std::string source =
      system.ExpandPathMacros(std::string(Trim(pieces.size() > 0 ? pieces[0] : std::string())));
  const std::string target =
      system.ExpandPathMacros(std::string(Trim(pieces.size() > 1 ? pieces[1] : std::string())));
  const FileSystem* files = system.Files();
  const bool copied = files && !source.empty() && !target.empty() && files->Copy(source, target);
  if (!copied)
    host.GetDialogs().Message("Can't copy\n" + source);
}

CommandResult SysCommand(CommandContext& context) {
  const ScriptStatement& s = context.statement;
  WindowHost& window = context.Window();
  const std::string keyword = AsciiLower(Expand(context, s.arg1));
  const std::string values = Expand(context, s.arg2);
  if (keyword == "resizewindow") {
    const auto [width, height] = TwoNumbers(context, values);
    window.ResizeWindow(width, height);
  } else if (keyword == "movewindow") {
    const auto [x, y] = TwoNumbers(context, values);
    window.MoveWindow(x, y);
  } else if (keyword == "centerwindow") {
    window.CenterWindow();
  } else if (keyword == "alwaysontop") {
    window.SetTopmost(true);
  } else if (keyword == "notalwaysontop") {
    window.SetTopmost(false);
  } else if (keyword == "copyfile") {
    CopyNamedFile(context, values);
  }
  return CommandResult::kContinue;
}

// "send" puts a string variable's text, or the evaluated number, on the clipboard; any other
// first argument names the string variable that receives the clipboard's text.
CommandResult Clipboard(CommandContext& context) {
  const ScriptStatement& s = context.statement;
  ScriptHost& host = context.host;
  SystemHost& system = context.System();
  const std::string_view first = Trim(s.arg1);
  if (AsciiLower(first) == "send") {
    std::string text = Expand(context, s.arg2);
    if (text == s.arg2)
      text = std::to_string(EvaluateInteger(context, s.arg2));
    system.SetClipboardText(text);
    return CommandResult::kContinue;
  }
  if (first.empty())
    return CommandResult::kContinue;
  if (std::optional<std::string> text = system.ClipboardText()) {
    ExpressionEvaluator& evaluator = host.Evaluator();
    evaluator.SetText(evaluator.NormalizeName(std::string(first)), *text);
  }
  return CommandResult::kContinue;
}

CommandResult InstallFont(CommandContext& context) {
  ScriptHost& host = context.host;
  SystemHost& system = context.System();
  const std::string path = system.ExpandPathMacros(Expand(context, context.statement.arg1));
  const FileSystem* files = system.Files();
  // The font library reads the file that was checked, by a name of the open file.
  FileSystem::Opened font =
      files && !Trim(path).empty() ? files->OpenForLibrary(path) : FileSystem::Opened{};
  if (!font.file || !system.InstallFont(std::move(font.file), font.hostPath)) {
    host.GetDialogs().Message("Error, Cannot create Font resource \n" + path);
    return CommandResult::kContinue;
  }
  host.InvalidateAll(true);
  return CommandResult::kContinue;
}

CommandResult SaveProfileVariable(CommandContext& context) {
  ScriptHost& host = context.host;
  SystemHost& system = context.System();
  if (ProfileStore* profile = system.Profile()) {
    SaveVariable(host.Evaluator(), *profile, system.ProfileSection(), context.statement.arg1,
                 std::string(Trim(context.statement.arg2)));
  }
  return CommandResult::kContinue;
}

CommandResult LoadProfileVariable(CommandContext& context) {
  ScriptHost& host = context.host;
  SystemHost& system = context.System();
  if (const ProfileStore* profile = system.Profile()) {
    LoadVariable(host.Evaluator(), *profile, system.ProfileSection(), context.statement.arg1,
                 std::string(Trim(context.statement.arg2)));
  }
  return CommandResult::kContinue;
}

}  // namespace

// Browser, SendCommand and the print commands are the player window's
// (player/BrowserCommands.cpp, player/ProgramCommands.cpp, player/PrintCommands.cpp).
void RegisterSystemCommands(ScriptRunner& runner) {
  runner.SetHandler(CommandCode::kRun, Run);
  runner.SetHandler(CommandCode::kRunQMD, RunQmd);
  runner.SetHandler(CommandCode::kSysCommand, SysCommand);
  runner.SetHandler(CommandCode::kClipboard, Clipboard);
  runner.SetHandler(CommandCode::kInstallFont, InstallFont);
  runner.SetHandler(CommandCode::kSaveVariable, SaveProfileVariable);
  runner.SetHandler(CommandCode::kLoadVariable, LoadProfileVariable);
}

}  // namespace qlm
