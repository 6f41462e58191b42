#pragma once

#include <string_view>

#include "document/ScriptBody.h"
#include "platform/Dialogs.h"
#include "script/ScriptSyntaxChecker.h"

namespace qlm {

// True for the codes of assignments, If, end, For, Next, else, comment and marked lines.
bool IsStatementKind(int32_t code);

// Turns script source text into a ScriptBody. Structural errors (For without " To ", If
// brackets, expression errors) are shown as soon as a line is read; unknown commands, argument
// errors and block balance only when the caller asks for them.
class ScriptCompiler {
 public:
  ScriptCompiler(ScriptSyntaxChecker& checker, Dialogs& dialogs)
      : checker_(checker), dialogs_(dialogs) {}

  // Replaces the body's statements by the compiled lines of `text`. True when every line
  // parsed and the If/end and For/Next blocks balance. Lines that fail stay in the body as
  // "** Error " lines that do nothing, so the caller may still run it.
  bool CompileScript(ScriptBody& body, std::string_view text, bool showErrors);

  // Classifies one trimmed line and fills code, argCount and the kind's text fields; keeps
  // statement.inComment up to date across calls. On failure errorText holds a message for
  // the caller to show (empty when the message was already shown), and code is KindIf or
  // KindFor when the line had that form, KindMarked otherwise.
  bool ParseLine(ScriptStatement& statement, std::string_view line);

  // Fills arg1 and arg2 of a command statement from the quoted arguments of its line.
  // Statement kinds and commands without arguments are left as they are.
  static bool ParseArguments(ScriptStatement& statement, std::string_view line);

  // The check both compiler passes apply to a line: ParseLine, then ParseArguments; with
  // showErrors a failure's errorText is shown with the trimmed line.
  bool CheckLine(ScriptStatement& statement, std::string_view line, bool showErrors);

 private:
  bool ParseFor(ScriptStatement& statement, std::string_view line);
  bool ParseIf(ScriptStatement& statement, std::string_view line);
  void ShowSyntaxError(const SyntaxError& error);

  ScriptSyntaxChecker& checker_;
  Dialogs& dialogs_;
};

}  // namespace qlm
