#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/EvaluatorSyntaxChecker.h"
#include "script/ScriptCompiler.h"
#include "support/RecordingDialogs.h"

namespace qlm {
namespace {

using Texts = std::vector<std::string>;

class EvaluatorCompileTest : public ::testing::Test {
 protected:
  EvaluatorSyntaxChecker checker;
  test::RecordingDialogs dialogs;
  ScriptCompiler compiler{checker, dialogs};
  ScriptBody body;
};

TEST_F(EvaluatorCompileTest, WellFormedScriptCompilesSilently) {
  const char* script =
      "** count the visible pictures\r\n"
      "count=0\r\n"
      "Name$='Pic'+CBK_PageName\r\n"
      "For i=1 To 10\r\n"
      "  If (i>5 & count<3) Then\r\n"
      "    count=count+Int(i/2)\r\n"
      "    Hide(\"Pic[i]\")\r\n"
      "  else\r\n"
      "    If (Name$='Pic') Then\r\n"
      "      Break()\r\n"
      "    end\r\n"
      "  end\r\n"
      "Next i\r\n"
      "Message(\"Done\",\"Counted \"all\" of them\")\r\n";
  EXPECT_TRUE(compiler.CompileScript(body, script, true));
  EXPECT_TRUE(dialogs.boxes.empty()) << dialogs.Texts()[0];
  ASSERT_EQ(body.statements.size(), 14u);
  EXPECT_EQ(body.statements[0].code, KindMarked);
  EXPECT_EQ(body.statements[4].code, KindIf);
  EXPECT_EQ(body.statements[4].arg2, "i>5 & count<3");
  EXPECT_EQ(body.statements[13].arg2, "Counted \"all\" of them");
}

TEST_F(EvaluatorCompileTest, ExpressionErrorsShowTheEvaluatorsMessageAndLocation) {
  struct Case {
    const char* line;
    const char* message;
  };
  const Case cases[] = {
      {"x=(1+2", "Unmatched braces '()'  Expected ')'\nx=(1+2 ?????"},
      {"x=.5", "Syntax Error \nx=. ?????"},
      {"Name$='abc", " Missing ' on the end of constant string.\nName$='abc ?????"},
      {"For i=1 To 2^3^2", "Syntax error \n2^3^2"},
      {"x=2^3^2", "Syntax error \nx=2^3^2"},
      {"For i=(1 To 5", "Unmatched braces '()'  Expected ')'\ni=(1 ?????"},
      {"If (1+2))", "Unmatched braces '()'  : You have more ')' braces than '('\n1+2) ?????"},
      {"If (1+2)) Then", "Incorrect command format\nFormat is (example): If (i=1) Then"},
      {"If () Then", "Incorrect command format\nFormat is (example): If (i=1) Then"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    dialogs.boxes.clear();
    EXPECT_FALSE(compiler.CompileScript(body, c.line, false));
    EXPECT_EQ(dialogs.Texts(), Texts{c.message});
    ASSERT_EQ(body.statements.size(), 1u);
    EXPECT_EQ(body.statements[0].code, KindMarked);
  }
}

TEST_F(EvaluatorCompileTest, ConditionsCompareWhereStatementsAssign) {
  // In a condition a string comparison is fine; as a statement "=" on a string needs a text.
  EXPECT_TRUE(compiler.CompileScript(body, "If (a$='x') Then\nend\na$='y'", true));
  EXPECT_TRUE(dialogs.boxes.empty());
  EXPECT_FALSE(compiler.CompileScript(body, "a$=5", true));
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_TRUE(dialogs.boxes[0].text.starts_with(
      " Error:You are trying to mix string and non-string variables."));
}

}  // namespace
}  // namespace qlm
