#include "script/ScriptDecompiler.h"

#include <gtest/gtest.h>

#include "script/EvaluatorSyntaxChecker.h"

namespace qlm {
namespace {

ScriptStatement Make(int32_t code, std::string arg1, std::string arg2, std::string arg3 = "",
                     int32_t argCount = 0) {
  ScriptStatement s;
  s.code = code;
  s.arg1 = std::move(arg1);
  s.arg2 = std::move(arg2);
  s.arg3 = std::move(arg3);
  s.argCount = argCount;
  return s;
}

TEST(ScriptDecompiler, EachStatementKindBecomesItsSourceLine) {
  const struct {
    ScriptStatement statement;
    const char* line;
  } cases[] = {
      {Make(KindAssign, "", "a$=\"x\""), "a$=\"x\""},
      {Make(KindIf, "", "a=(b+1)"), "If (a=(b+1)) Then"},
      {Make(KindEnd, "", ""), "end"},
      {Make(KindElse, "", ""), "else"},
      {Make(KindFor, "", "i=1", "n*2"), "For i=1 To n*2"},
      {Make(KindNext, "", "i"), "Next i"},
      {Make(KindCommentBegin, "", "/* note"), "/* note"},
      {Make(KindCommentLine, "", "text"), "text"},
      {Make(KindMarked, "", "** Error Hidde(\"x\")"), "** Error Hidde(\"x\")"},
      {Make(0, "Logo", "", "", 1), "Hide(\"Logo\")"},
      {Make(30, "Title", "say \"hi\"", "", 2), "Message(\"Title\",\"say \"hi\"\")"},
      {Make(9, "", "", "", 0), "NextPage()"},
      {Make(150, "", "", "", 0), "** code 150"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecompileStatement(c.statement), c.line) << c.statement.code;
  }
}

TEST(ScriptDecompiler, ExactOnlyWhenTheTextCompilesBackToTheSameStatements) {
  EvaluatorSyntaxChecker checker;
  ScriptBody body;
  body.statements = {Make(KindFor, "", "i=1", "3"), Make(0, "Logo", "", "", 1),
                     Make(KindNext, "", "i")};
  const auto text = DecompileExactly(body, checker);
  ASSERT_TRUE(text);
  EXPECT_EQ(*text, "For i=1 To 3\nHide(\"Logo\")\nNext i\n");

  const struct {
    const char* why;
    ScriptStatement odd;
  } inexact[] = {
      {"arg4 set",
       [] {
         ScriptStatement s = Make(0, "Logo", "", "", 1);
         s.arg4 = "x";
         return s;
       }()},
      {"number set",
       [] {
         ScriptStatement s = Make(KindEnd, "", "");
         s.number = 2.5;
         return s;
       }()},
      {"argument text on a command without arguments", Make(9, "x", "", "", 0)},
      {"quote in the first argument", Make(0, "a\"b", "", "", 1)},
      {"code without a command", Make(150, "", "", "", 0)},
      {"trailing blank a line loses", Make(KindMarked, "", "** note ")},
      {"For init holding \" To \"", Make(KindFor, "", "i=1 To 2", "3")},
  };
  for (const auto& c : inexact) {
    ScriptBody one;
    one.statements = {c.odd};
    EXPECT_FALSE(DecompileExactly(one, checker)) << c.why;
  }
  // An If without its end compiles with a balance error: kept in stored form too.
  ScriptBody unbalanced;
  unbalanced.statements = {Make(KindIf, "", "a=1")};
  EXPECT_FALSE(DecompileExactly(unbalanced, checker));
}

}  // namespace
}  // namespace qlm
