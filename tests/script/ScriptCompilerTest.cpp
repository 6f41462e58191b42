#include "script/ScriptCompiler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeSyntaxChecker.h"
#include "script/ScriptText.h"
#include "support/RecordingDialogs.h"

namespace qlm {
namespace {

using Texts = std::vector<std::string>;

constexpr const char* kExpectingTo = "Expecting 'To'\nFormat is (example): For i=1 To 5";
constexpr const char* kForFormat = "Incorrect command format\nFormat is (example): For i=1 To 5";
constexpr const char* kIfLeft =
    "If command - missing left bracket.\nFormat is (example): If (i=1) Then";
constexpr const char* kIfRight =
    "If command - missing right bracket.\nFormat is (example): If (i=1) Then";
constexpr const char* kIfFormat = "Incorrect command format\nFormat is (example): If (i=1) Then";
constexpr const char* kMoreIf = "Expected 'End' \nYou have more 'If' than 'End' commands.";
constexpr const char* kMoreEnd = "Expected 'If' \nYou have more 'End' than 'If' commands.";
constexpr const char* kMoreFor = "Expected 'Next' \nYou have more 'For' than 'Next' commands.";
constexpr const char* kMoreNext = "Expected 'For' \nYou have more 'Next' than 'For' commands.";

class ScriptCompilerTest : public ::testing::Test {
 protected:
  bool Compile(const std::string& text, bool showErrors = true) {
    dialogs.boxes.clear();
    return compiler.CompileScript(body, text, showErrors);
  }
  std::vector<int32_t> Codes() const {
    std::vector<int32_t> codes;
    for (const auto& s : body.statements)
      codes.push_back(s.code);
    return codes;
  }

  test::FakeSyntaxChecker checker;
  test::RecordingDialogs dialogs;
  ScriptCompiler compiler{checker, dialogs};
  ScriptBody body;
};

// One source line through the line check: what it becomes and what the user is told.
struct LineCase {
  const char* line;
  int32_t code;      // of a failed line: KindIf or KindFor for those forms, else KindMarked
  const char* arg1;  // text fields are checked for lines that compile
  const char* arg2;
  const char* arg3;
  int32_t argCount;
  const char* message;  // "" when the line compiles
  bool shownAlways;     // the message appears even without showErrors
};

const LineCase kLines[] = {
    // Assignments: an "=" after index 0 with no "(" before it.
    {"i=i+1", KindAssign, "", "i=i+1", "", 0, "", false},
    {"  Name$='x'  ", KindAssign, "", "Name$='x'", "", 0, "", false},
    {"x = Int(y)", KindAssign, "", "x = Int(y)", "", 0, "", false},
    {"FOR i=1 To 5", KindAssign, "", "FOR i=1 To 5", "", 0, "", false},
    {"for i=1 to 5", KindAssign, "", "for i=1 to 5", "", 0, "", false},
    {"If x=1 Then", KindAssign, "", "If x=1 Then", "", 0, "", false},
    {"x=\xE9\xFF", KindAssign, "", "x=\xE9\xFF", "", 0, "", false},
    {"x=BAD", KindMarked, "", "", "", 0, "Syntax Error \nx=BAD ?????", true},
    {"x=(1", KindMarked, "", "", "", 0, "Unmatched braces '()'  Expected ')'\nx=(1", true},
    // For and Next: "For ", " To " and "Next " are case-sensitive.
    {"For i=1 To 5", KindFor, "", "i=1", "5", 0, "", false},
    {"For    i = 1   To  n+1 ", KindFor, "", "i = 1", "n+1", 0, "", false},
    {"For i=1 To infinity", KindFor, "", "i=1", "infinity", 0, "", false},
    {"For i=1 to 5", KindFor, "", "", "", 0, kExpectingTo, true},
    {"For i=1 To5", KindFor, "", "", "", 0, kForFormat, true},
    {"For i=BAD To 5", KindFor, "", "", "", 0, "Syntax Error \ni=BAD ?????", true},
    {"For i=1 To BAD", KindFor, "", "", "", 0, "Syntax Error \nBAD ?????", true},
    {"Next i", KindNext, "", "i", "", 0, "", false},
    {"Next    j2", KindNext, "", "j2", "", 0, "", false},
    {"Next", KindMarked, "", "", "", 0, "Unknown function \nNext", false},
    // If: the condition runs from the first "(" to the last ")"; "Then" is optional.
    {"If (a=(b+1)) Then", KindIf, "", "a=(b+1)", "", 0, "", false},
    {"IF(x>1)", KindIf, "", "x>1", "", 0, "", false},
    {"if (x>1) Then ignored(", KindIf, "", "x>1", "", 0, "", false},
    {"If x>1 Then", KindIf, "", "", "", 0, kIfLeft, true},
    {"If (x>1 Then", KindIf, "", "", "", 0, kIfRight, true},
    {"If x>1) (", KindIf, "", "", "", 0, kIfRight, true},
    {"If (BAD) Then", KindIf, "", "", "", 0, kIfFormat, true},
    {"If (BAD) then", KindIf, "", "", "", 0, "Syntax Error \nBAD ?????", true},
    {"If (BAD)", KindIf, "", "", "", 0, "Syntax Error \nBAD ?????", true},
    {"Iffy(\"a\")", KindMarked, "", "", "", 0, "Unknown function iffy\nIffy(\"a\")", false},
    // end and else stand alone.
    {"end", KindEnd, "", "", "", 0, "", false},
    {"END", KindEnd, "", "", "", 0, "", false},
    {"Else", KindElse, "", "", "", 0, "", false},
    {"end if", KindMarked, "", "", "", 0, "Unknown function \nend if", false},
    // Comments and marked lines keep the whole line.
    {"/* note */", KindCommentBegin, "", "/* note */", "", 0, "", false},
    {"** x=BAD (", KindMarked, "", "** x=BAD (", "", 0, "", false},
    // Commands: the name before the first "(", without regard to case, nothing trimmed.
    {"Exit()", 12, "", "", "", 0, "", false},
    {"Exit", KindMarked, "", "", "", 0, "Unknown function \nExit", false},
    {"FirstPage(\"ignored\")", 7, "", "", "", 0, "", false},
    {"hIdE(\"Pic\")", 0, "Pic", "", "", 1, "", false},
    {"Hide (\"Pic\")", KindMarked, "", "", "", 0, "Unknown function hide \nHide (\"Pic\")", false},
    {"Hide(\"a=b\")", 0, "a=b", "", "", 1, "", false},
    {"Hide(\" Pic \",\"second\")", 0, " Pic ", "", "", 1, "", false},
    {"Hide(\"\")", 0, "", "", "", 1, "", false},
    {"Message(\"T\",\"He said \"hi\" twice\")", 30, "T", "He said \"hi\" twice", "", 2, "", false},
    {"Message(\"T\" \"x\" junk", 30, "T", "x", "", 2, "", false},
    {"Frobnicate(\"x\")", KindMarked, "", "", "", 0,
     "Unknown function frobnicate\nFrobnicate(\"x\")", false},
    {"\xC4\xD6(\"x\")", KindMarked, "", "", "", 0, "Unknown function \xC4\xD6\n\xC4\xD6(\"x\")",
     false},
    {"=5", KindMarked, "", "", "", 0, "Unknown function \n=5", false},
    // The three argument messages.
    {"Hide(Pic)", 0, "", "", "", 0,
     "Missing ' \" ' before first argument: Command(\"Object\"...\nHide(Pic)", false},
    {"Hide(\"Pic)", 0, "", "", "", 0,
     "Missing ' \" ' after the first argument: Command(\"Object\"...\nHide(\"Pic)", false},
    {"Message(\"T\")", 30, "", "", "", 0,
     "This command needs another argument\n Command(\"ObjName\",\"Argument\")\nMessage(\"T\")",
     false},
    {"Message(\"T\",\"x)", 30, "", "", "", 0,
     "This command needs another argument\n Command(\"ObjName\",\"Argument\")\nMessage(\"T\",\"x)",
     false},
    {"Message(\"\"\")", 30, "", "", "", 0,
     "This command needs another argument\n Command(\"ObjName\",\"Argument\")\nMessage(\"\"\")",
     false},
};

TEST_F(ScriptCompilerTest, ChecksEachLineFormWithItsMessages) {
  for (const LineCase& c : kLines) {
    for (bool showErrors : {true, false}) {
      SCOPED_TRACE(std::string(c.line) + (showErrors ? " (show errors)" : " (quiet)"));
      dialogs.boxes.clear();
      bool fails = *c.message != '\0';
      ScriptStatement s;
      EXPECT_EQ(compiler.CheckLine(s, c.line, showErrors), !fails);
      EXPECT_EQ(s.code, c.code);
      if (!fails) {
        EXPECT_EQ(s.arg1, c.arg1);
        EXPECT_EQ(s.arg2, c.arg2);
        EXPECT_EQ(s.arg3, c.arg3);
        EXPECT_EQ(s.argCount, c.argCount);
      }
      // Messages kept for the caller are exactly those not already shown.
      EXPECT_EQ(s.errorText.empty(), !fails || c.shownAlways);
      bool shown = fails && (showErrors || c.shownAlways);
      EXPECT_EQ(dialogs.Texts(), shown ? Texts{c.message} : Texts{});
    }
  }
}

TEST_F(ScriptCompilerTest, ForBoundsAndIfConditionsGoToTheirChecks) {
  EXPECT_TRUE(Compile("For i=1 To n+1\nIf (a=(b+1)) Then\nend\nNext i\nx=Int(y)"));
  // Each line is checked once per pass.
  EXPECT_EQ(checker.statements, (Texts{"i=1", "n+1", "x=Int(y)", "i=1", "n+1", "x=Int(y)"}));
  EXPECT_EQ(checker.conditions, (Texts{"a=(b+1)", "a=(b+1)"}));
}

TEST_F(ScriptCompilerTest, BlockCommentsCloseOnlyAtALineEndingInTheirFirstMarker) {
  EXPECT_TRUE(
      Compile("/* note */\n"
              "If (BAD Then\n"
              "*/ not yet\n"
              "still */ */\n"
              "really */\n"
              "Show(\"b\")"));
  EXPECT_TRUE(dialogs.boxes.empty());
  EXPECT_EQ(Codes(), (std::vector<int32_t>{KindCommentBegin, KindCommentLine, KindCommentLine,
                                           KindCommentLine, KindCommentEnd, 1}));
  EXPECT_EQ(body.statements[2].arg2, "*/ not yet");
  EXPECT_EQ(body.statements[5].arg1, "b");
}

TEST_F(ScriptCompilerTest, UnclosedCommentSwallowsTheRestWithoutBalanceErrors) {
  EXPECT_TRUE(Compile("If (x) Then\nend\n/*\nIf (x) Then\nFor i=1 To 2\nx=BAD"));
  EXPECT_TRUE(dialogs.boxes.empty());
  EXPECT_EQ(body.ifBalance, 0);
  EXPECT_EQ(Codes().back(), KindCommentLine);
}

TEST_F(ScriptCompilerTest, BalanceMessages) {
  struct Case {
    const char* text;
    const char* message;
    int32_t ifBalance;
  };
  const Case cases[] = {
      {"If (a) Then\nIf (b) Then\nend", kMoreIf, 1},
      {"If (a) Then\nend\nend", kMoreEnd, -1},
      {"For i=1 To 2\nFor j=1 To 2\nNext j", kMoreFor, 0},
      {"Next i", kMoreNext, 0},
      // Only the If balance is reported when both are off.
      {"If (a) Then\nFor i=1 To 2", kMoreIf, 1},
      // Blocks balance as counts, whatever their order.
      {"end\nIf (a) Then\nNext i\nFor i=1 To 2", "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    bool ok = *c.message == '\0';
    EXPECT_EQ(Compile(c.text, true), ok);
    EXPECT_EQ(dialogs.Texts(), ok ? Texts{} : Texts{c.message});
    EXPECT_EQ(body.ifBalance, c.ifBalance);
    EXPECT_EQ(Compile(c.text, false), ok);
    EXPECT_TRUE(dialogs.boxes.empty());
  }
}

TEST_F(ScriptCompilerTest, FailedIfAndForLinesDoNotCountAgainstTheBalance) {
  struct Case {
    const char* text;
    Texts messages;
  };
  const Case cases[] = {
      // The broken second If reports only itself.
      {"If (a) Then\nIf (BAD) Then\nend", {kIfFormat}},
      {"If (BAD) Then\nend", {kIfFormat}},
      {"If x Then\nend\nend\nIf (a) Then", {kIfLeft}},
      {"For i=1 to 5\nNext i", {kExpectingTo}},
      {"For i=1 To BAD\nIf (a) Then\nend\nNext i", {"Syntax Error \nBAD ?????"}},
      // A failed line excuses only the imbalance it explains.
      {"If (BAD) Then\nIf (a) Then", {kIfFormat, kMoreIf}},
      {"For i=1 to 5\nNext i\nNext i", {kExpectingTo, kMoreNext}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_FALSE(Compile(c.text));
    EXPECT_EQ(dialogs.Texts(), c.messages);
  }
}

TEST_F(ScriptCompilerTest, FailedLinesStayAsMarkedNoOps) {
  EXPECT_FALSE(Compile("Hide(\"a\")\nExit\nShow(\"b\")\n For i=1 to 2 "));
  ASSERT_EQ(body.statements.size(), 4u);
  EXPECT_EQ(Codes(), (std::vector<int32_t>{0, KindMarked, 1, KindMarked}));
  EXPECT_EQ(body.statements[1].arg2, "** Error Exit");
  EXPECT_EQ(body.statements[3].arg2, "** Error For i=1 to 2");
  // The structural message is shown once, not again when the marked line is read back, and an
  // earlier line's error text is not repeated for it.
  EXPECT_EQ(dialogs.Texts(), (Texts{"Unknown function \nExit", kExpectingTo}));
}

TEST_F(ScriptCompilerTest, LinesEndAtLfWithOrWithoutCr) {
  struct Case {
    const char* text;
    Texts lines;
  };
  const Case cases[] = {
      {"a=1\r\nb=2\nc=3", {"a=1", "b=2", "c=3"}}, {"a=1\rb=2", {"a=1\rb=2"}},
      {"\r\n\n  \t\r\n x=1 \t\r\n\r\n", {"x=1"}}, {"x=1\r", {"x=1"}},
      {"\rx=1\r\r\ny=2", {"x=1", "y=2"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_TRUE(Compile(c.text));
    Texts lines;
    for (const auto& s : body.statements)
      lines.push_back(s.arg2);
    EXPECT_EQ(lines, c.lines);
  }
}

TEST_F(ScriptCompilerTest, EmptyTextReplacesTheBodyWithNothing) {
  ASSERT_FALSE(Compile("If (a) Then\nIf (b) Then"));
  EXPECT_EQ(body.ifBalance, 2);
  for (const char* text : {"", " \r\n\t\n"}) {
    EXPECT_TRUE(Compile(text));
    EXPECT_TRUE(body.statements.empty());
    EXPECT_EQ(body.ifBalance, 0);
    EXPECT_TRUE(dialogs.boxes.empty());
  }
}

TEST_F(ScriptCompilerTest, ParseLineTracksTheCommentFlagOnItsStatement) {
  ScriptStatement s;
  ASSERT_TRUE(compiler.ParseLine(s, "/* a */"));
  EXPECT_TRUE(s.inComment);
  ASSERT_TRUE(compiler.ParseLine(s, "Hide(\"x\")"));
  EXPECT_EQ(s.code, KindCommentLine);
  ASSERT_TRUE(compiler.ParseLine(s, "done */"));
  EXPECT_EQ(s.code, KindCommentEnd);
  EXPECT_FALSE(s.inComment);
  EXPECT_FALSE(compiler.ParseLine(s, ""));
  EXPECT_FALSE(s.inComment);
  ASSERT_TRUE(compiler.ParseLine(s, "Hide(\"x\")"));
  EXPECT_EQ(s.code, 0);
  EXPECT_EQ(s.argCount, 1);
}

TEST_F(ScriptCompilerTest, ParseArgumentsLeavesStatementKindsAlone) {
  ScriptStatement s;
  ASSERT_TRUE(compiler.ParseLine(s, "x=\"a\""));
  ASSERT_TRUE(ScriptCompiler::ParseArguments(s, "x=\"a\""));
  EXPECT_EQ(s.arg2, "x=\"a\"");
  EXPECT_EQ(s.arg1, "");
}

}  // namespace
}  // namespace qlm
