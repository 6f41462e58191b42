#include "script/ScriptDecompiler.h"

#include <cstring>

#include "script/CommandTable.h"
#include "script/ScriptCompiler.h"

namespace qlm {

namespace {

// Swallows the compiler's messages: an exactness check must not talk to the user.
class SilentDialogs : public Dialogs {
 public:
  int MessageBox(const std::string&, const std::string&, uint32_t) override { return idb::kOk; }
};

bool SameStored(const ScriptStatement& a, const ScriptStatement& b) {
  // number compared by bits: a stored NaN or -0.0 must come back as it was.
  return a.code == b.code && a.arg1 == b.arg1 && a.arg2 == b.arg2 && a.arg3 == b.arg3 &&
         a.arg4 == b.arg4 && a.reserved == b.reserved && a.argCount == b.argCount &&
         std::memcmp(&a.number, &b.number, sizeof a.number) == 0;
}

}  // namespace

std::string DecompileStatement(const ScriptStatement& s) {
  switch (s.code) {
    case KindAssign:
    case KindCommentBegin:
    case KindCommentLine:
    case KindCommentEnd:
    case KindMarked:
      return s.arg2;
    case KindIf:
      return "If (" + s.arg2 + ") Then";
    case KindEnd:
      return "end";
    case KindElse:
      return "else";
    case KindFor:
      return "For " + s.arg2 + " To " + s.arg3;
    case KindNext:
      return "Next " + s.arg2;
    default:
      break;
  }
  const ScriptCommand* command = FindCommandByCode(s.code);
  if (command == nullptr) {
    return "** code " + std::to_string(s.code);
  }
  std::string line(command->name);
  line += '(';
  if (s.argCount >= 1) {
    line += '"' + s.arg1 + '"';
  }
  if (s.argCount >= 2) {
    line += ",\"" + s.arg2 + '"';
  }
  line += ')';
  return line;
}

std::string DecompileScript(const ScriptBody& body) {
  std::string text;
  for (const ScriptStatement& s : body.statements) {
    text += DecompileStatement(s);
    text += '\n';
  }
  return text;
}

std::optional<std::string> DecompileExactly(const ScriptBody& body, ScriptSyntaxChecker& checker) {
  std::string text = DecompileScript(body);
  SilentDialogs silent;
  ScriptCompiler compiler(checker, silent);
  ScriptBody compiled;
  if (!compiler.CompileScript(compiled, text, false) || !SameStoredStatements(compiled, body)) {
    return std::nullopt;
  }
  return text;
}

bool SameStoredStatements(const ScriptBody& a, const ScriptBody& b) {
  if (a.statements.size() != b.statements.size()) {
    return false;
  }
  for (size_t i = 0; i < a.statements.size(); ++i) {
    if (!SameStored(a.statements[i], b.statements[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace qlm
