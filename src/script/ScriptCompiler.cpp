#include "script/ScriptCompiler.h"

#include <string>
#include <vector>

#include "script/CommandTable.h"
#include "script/ScriptText.h"

namespace qlm {

namespace {

constexpr std::string_view kExpectingTo = "Expecting 'To'\nFormat is (example): For i=1 To 5";
constexpr std::string_view kForFormat =
    "Incorrect command format\nFormat is (example): For i=1 To 5";
constexpr std::string_view kIfLeftBracket =
    "If command - missing left bracket.\nFormat is (example): If (i=1) Then";
constexpr std::string_view kIfRightBracket =
    "If command - missing right bracket.\nFormat is (example): If (i=1) Then";
constexpr std::string_view kIfFormat =
    "Incorrect command format\nFormat is (example): If (i=1) Then";
constexpr std::string_view kUnknownFunction = "Unknown function ";
constexpr std::string_view kMissingFirstQuote =
    "Missing ' \" ' before first argument: Command(\"Object\"...";
constexpr std::string_view kMissingSecondQuote =
    "Missing ' \" ' after the first argument: Command(\"Object\"...";
constexpr std::string_view kMissingSecondArgument =
    "This command needs another argument\n Command(\"ObjName\",\"Argument\")";
constexpr std::string_view kMoreEndThanIf =
    "Expected 'If' \nYou have more 'End' than 'If' commands.";
constexpr std::string_view kMoreIfThanEnd =
    "Expected 'End' \nYou have more 'If' than 'End' commands.";
constexpr std::string_view kMoreNextThanFor =
    "Expected 'For' \nYou have more 'Next' than 'For' commands.";
constexpr std::string_view kMoreForThanNext =
    "Expected 'Next' \nYou have more 'For' than 'Next' commands.";
constexpr std::string_view kErrorMark = "** Error ";

constexpr auto npos = std::string_view::npos;

// One non-empty trimmed source line and whether the first pass rejected it.
struct SourceLine {
  std::string_view text;
  bool failed = false;
};

// Lines end at each LF; a CR before it (CR LF) is white space and trimmed with the rest, while
// a lone CR stays inside its line. Empty lines leave no trace.
std::vector<SourceLine> SplitLines(std::string_view text) {
  std::vector<SourceLine> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t lf = text.find('\n', pos);
    size_t end = lf == npos ? text.size() : lf;
    std::string_view line = Trim(text.substr(pos, end - pos));
    if (!line.empty()) {
      lines.push_back({line});
    }
    pos = end + 1;
  }
  return lines;
}

}  // namespace

bool IsStatementKind(int32_t code) {
  return (code >= KindAssign && code <= KindCommentEnd) || code == KindMarked;
}

void ScriptCompiler::ShowSyntaxError(const SyntaxError& error) {
  dialogs_.Message(error.message + "\n" + error.detail);
}

bool ScriptCompiler::ParseFor(ScriptStatement& statement, std::string_view line) {
  statement.code = KindFor;
  std::string_view rest = TrimLeft(line.substr(4));
  size_t to = rest.find(" To ");
  if (to == npos) {
    dialogs_.Message(std::string(rest.find("To") == npos ? kExpectingTo : kForFormat));
    return false;
  }
  std::string_view init = TrimRight(rest.substr(0, to));
  std::string_view limit = Trim(rest.substr(to + 4));
  for (std::string_view part : {init, limit}) {
    if (auto error = checker_.CheckStatement(part)) {
      ShowSyntaxError(*error);
      return false;
    }
  }
  statement.arg2 = init;
  statement.arg3 = limit;
  return true;
}

bool ScriptCompiler::ParseIf(ScriptStatement& statement, std::string_view line) {
  statement.code = KindIf;
  size_t open = line.find('(');
  if (open == npos) {
    dialogs_.Message(std::string(kIfLeftBracket));
    return false;
  }
  // The condition runs from the first "(" to the last ")"; a ")" only before the "(" closes
  // nothing.
  size_t close = line.rfind(')');
  if (close == npos || close < open) {
    dialogs_.Message(std::string(kIfRightBracket));
    return false;
  }
  std::string_view condition = line.substr(open + 1, close - open - 1);
  if (auto error = checker_.CheckCondition(condition)) {
    if (line.find("Then", close + 1) != npos) {
      dialogs_.Message(std::string(kIfFormat));
    } else {
      ShowSyntaxError(*error);
    }
    return false;
  }
  statement.arg2 = condition;
  return true;
}

bool ScriptCompiler::ParseLine(ScriptStatement& statement, std::string_view line) {
  statement.errorText.clear();
  line = Trim(line);
  if (line.empty()) {
    return false;
  }
  statement.code = KindMarked;
  statement.argCount = 0;
  statement.arg1.clear();
  statement.arg2.clear();
  statement.arg3.clear();

  if (statement.inComment) {
    // Only a line whose first "*/" is its very end closes the comment.
    size_t close = line.find("*/");
    bool closes = close != npos && close + 2 == line.size();
    statement.code = closes ? KindCommentEnd : KindCommentLine;
    statement.inComment = !closes;
    statement.arg2 = line;
    return true;
  }
  if (line.starts_with("/*")) {
    // Opens a block even when the same line ends with "*/".
    statement.code = KindCommentBegin;
    statement.inComment = true;
    statement.arg2 = line;
    return true;
  }
  if (line.starts_with("**")) {
    statement.arg2 = line;
    return true;
  }
  if (EqualsIgnoreAsciiCase(line, "end")) {
    statement.code = KindEnd;
    return true;
  }
  if (EqualsIgnoreAsciiCase(line, "else")) {
    statement.code = KindElse;
    return true;
  }
  if (line.starts_with("For ")) {
    return ParseFor(statement, line);
  }
  if (line.starts_with("Next ")) {
    statement.code = KindNext;
    statement.arg2 = Trim(line.substr(5));
    return true;
  }
  // An "=" with no "(" before it makes an assignment; x=Int(y) is one, Hide("a=b") is not.
  size_t equals = line.find('=');
  if (equals != npos && equals > 0) {
    size_t paren = line.find('(');
    if (paren == npos || paren > equals) {
      if (auto error = checker_.CheckStatement(line)) {
        ShowSyntaxError(*error);
        return false;
      }
      statement.code = KindAssign;
      statement.arg2 = line;
      return true;
    }
  }
  if (line.size() >= 3 && (EqualsIgnoreAsciiCase(line.substr(0, 3), "if ") ||
                           EqualsIgnoreAsciiCase(line.substr(0, 3), "if("))) {
    return ParseIf(statement, line);
  }

  size_t paren = line.find('(');
  std::string_view name = paren == npos ? std::string_view() : line.substr(0, paren);
  const ScriptCommand* command = FindCommand(name);
  if (command == nullptr) {
    statement.errorText = kUnknownFunction;
    statement.errorText += AsciiLower(name);
    return false;
  }
  statement.code = StoredCode(command->code);
  statement.argCount = command->argCount;
  return true;
}

bool ScriptCompiler::ParseArguments(ScriptStatement& statement, std::string_view line) {
  statement.errorText.clear();
  if (IsStatementKind(statement.code)) {
    return true;
  }
  statement.arg1.clear();
  statement.arg2.clear();
  if (statement.argCount <= 0) {
    return true;
  }
  size_t q1 = line.find('"');
  if (q1 == npos) {
    statement.errorText = kMissingFirstQuote;
    return false;
  }
  size_t q2 = line.find('"', q1 + 1);
  if (q2 == npos) {
    statement.errorText = kMissingSecondQuote;
    return false;
  }
  statement.arg1 = line.substr(q1 + 1, q2 - q1 - 1);
  if (statement.argCount < 2) {
    return true;
  }
  // The second argument runs to the last double quote, so it may hold quotes of its own.
  size_t q3 = line.find('"', q2 + 1);
  size_t q4 = line.rfind('"');
  if (q3 == npos || q4 <= q3) {
    statement.errorText = kMissingSecondArgument;
    return false;
  }
  statement.arg2 = line.substr(q3 + 1, q4 - q3 - 1);
  return true;
}

bool ScriptCompiler::CheckLine(ScriptStatement& statement, std::string_view line, bool showErrors) {
  line = Trim(line);
  bool ok = ParseLine(statement, line) && ParseArguments(statement, line);
  if (!ok && showErrors && !statement.errorText.empty()) {
    dialogs_.Message(statement.errorText + "\n" + std::string(line));
  }
  return ok;
}

bool ScriptCompiler::CompileScript(ScriptBody& body, std::string_view text, bool showErrors) {
  body.Clear();
  body.ifBalance = 0;
  std::vector<SourceLine> lines = SplitLines(text);

  // First pass: find the lines that fail and remember how many failed If and For lines there
  // are, so that they do not count against the block balance.
  bool result = true;
  int failedIf = 0;
  int failedFor = 0;
  ScriptStatement scratch;
  for (SourceLine& line : lines) {
    if (!CheckLine(scratch, line.text, showErrors)) {
      line.failed = true;
      result = false;
      if (scratch.code == KindIf) {
        ++failedIf;
      } else if (scratch.code == KindFor) {
        ++failedFor;
      }
    }
  }

  // Second pass: build the statements, failed lines as marked no-ops, and count the blocks
  // outside comments.
  body.statements.reserve(lines.size());
  bool inComment = false;
  int forBalance = 0;
  std::string marked;
  for (const SourceLine& line : lines) {
    std::string_view source = line.text;
    if (line.failed) {
      marked.assign(kErrorMark);
      marked += line.text;
      source = marked;
    }
    ScriptStatement statement;
    statement.inComment = inComment;
    if (!CheckLine(statement, source, showErrors)) {
      // A checker that changed its mind since the first pass: keep the line as a no-op.
      result = false;
      marked.assign(kErrorMark);
      marked += line.text;
      statement = ScriptStatement{};
      statement.inComment = inComment;
      ParseLine(statement, marked);
    }
    if (!inComment) {
      switch (statement.code) {
        case KindIf:
          ++body.ifBalance;
          break;
        case KindEnd:
          --body.ifBalance;
          break;
        case KindFor:
          ++forBalance;
          break;
        case KindNext:
          --forBalance;
          break;
        default:
          break;
      }
    }
    inComment = statement.inComment;
    body.statements.push_back(std::move(statement));
  }

  if (body.ifBalance != 0 && body.ifBalance + failedIf != 0) {
    if (showErrors) {
      dialogs_.Message(std::string(body.ifBalance < 0 ? kMoreEndThanIf : kMoreIfThanEnd));
    }
    return false;
  }
  if (forBalance != 0 && forBalance + failedFor != 0) {
    if (showErrors) {
      dialogs_.Message(std::string(forBalance < 0 ? kMoreNextThanFor : kMoreForThanNext));
    }
    return false;
  }
  return result;
}

}  // namespace qlm
