#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "FakeSyntaxChecker.h"
#include "script/CommandTable.h"
#include "script/ScriptCompiler.h"
#include "script/ScriptText.h"
#include "support/RecordingDialogs.h"

namespace qlm {
namespace {

// Every statement must be a known kind or a table row with that row's argument count.
void ExpectWellFormed(const ScriptBody& body) {
  for (const ScriptStatement& s : body.statements) {
    if (IsStatementKind(s.code)) {
      EXPECT_EQ(s.argCount, 0) << s.arg2;
    } else {
      const ScriptCommand* row = FindCommandByCode(s.code);
      ASSERT_NE(row, nullptr) << s.code;
      EXPECT_EQ(s.argCount, row->argCount);
    }
    EXPECT_TRUE(s.errorText.empty());
  }
}

size_t NonEmptyLines(const std::string& text) {
  size_t count = 0;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t lf = text.find('\n', pos);
    size_t end = lf == std::string::npos ? text.size() : lf;
    count += !Trim(std::string_view(text).substr(pos, end - pos)).empty();
    pos = end + 1;
  }
  return count;
}

TEST(ScriptCompilerRobustness, HundredThousandLinesCompileIntoOneStatementEach) {
  const char* block[] = {
      "For i=1 To 10", "  If (i>5) Then", "    Hide(\"Pic\")", "  else", "    x=x+i",
      "  end",         "Next i",          "/* a comment",      "Exit",   "*/",
  };
  std::string text;
  for (int n = 0; n < 10000; ++n) {
    for (const char* line : block) {
      text += line;
      text += "\r\n";
    }
  }
  text += "Exit";  // one unknown line outside the comments
  test::FakeSyntaxChecker checker;
  test::RecordingDialogs dialogs;
  ScriptCompiler compiler(checker, dialogs);
  ScriptBody body;
  EXPECT_FALSE(compiler.CompileScript(body, text, false));
  ASSERT_EQ(body.statements.size(), 100001u);
  EXPECT_EQ(body.ifBalance, 0);
  EXPECT_EQ(body.statements.back().arg2, "** Error Exit");
  EXPECT_EQ(body.statements[9].code, KindCommentEnd);
  EXPECT_TRUE(dialogs.boxes.empty());
  ExpectWellFormed(body);
}

TEST(ScriptCompilerRobustness, RandomBytesNeverBreakTheCompiler) {
  // Fragments that steer lines into every rule, mixed with quotes, brackets and high bytes.
  const std::vector<std::string> pieces = {
      "For ",
      " To ",
      "Next ",
      "If ",
      "if(",
      "Then",
      "end",
      "else",
      "/*",
      "*/",
      "**",
      "=",
      "(",
      ")",
      "\"",
      "\"\"",
      ",",
      "Hide",
      "Message",
      "Exit",
      "x",
      "$",
      " ",
      "\t",
      "\r",
      "\n",
      "\r\n",
      "\xE9",
      "\xFF",
      "\x80",
      std::string(1, '\0'),
      "BAD",
      "infinity",
      "'",
  };
  std::mt19937 random(12345);
  std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
  std::uniform_int_distribution<int> length(0, 40);
  test::FakeSyntaxChecker checker;
  test::RecordingDialogs dialogs;
  ScriptCompiler compiler(checker, dialogs);
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    for (int n = length(random); n > 0; --n) {
      text += pieces[pick(random)];
    }
    SCOPED_TRACE(text);
    ScriptBody body;
    bool ok = compiler.CompileScript(body, text, round % 2 == 0);
    ASSERT_EQ(body.statements.size(), NonEmptyLines(text));
    ExpectWellFormed(body);
    if (ok) {
      for (const ScriptStatement& s : body.statements) {
        EXPECT_FALSE(s.code == KindMarked && s.arg2.starts_with("** Error "));
      }
    }
  }
}

TEST(ScriptCompilerRobustness, LongLinesAndStrayQuotes) {
  test::FakeSyntaxChecker checker;
  test::RecordingDialogs dialogs;
  ScriptCompiler compiler(checker, dialogs);
  ScriptBody body;
  std::string quotes = "Message(" + std::string(200000, '"') + ")";
  EXPECT_TRUE(compiler.CompileScript(body, quotes, true));
  ASSERT_EQ(body.statements.size(), 1u);
  EXPECT_EQ(body.statements[0].arg1, "");
  EXPECT_EQ(body.statements[0].arg2.size(), 200000u - 4);

  std::string longName(1 << 20, 'h');
  EXPECT_FALSE(compiler.CompileScript(body, longName + "(\"x\")", true));
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_TRUE(dialogs.boxes[0].text.starts_with("Unknown function hhh"));
}

}  // namespace
}  // namespace qlm
