#include "expr/ExpressionEvaluator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "expr/ExpressionChecker.h"
#include "expr/PathMacros.h"
#include "platform/SystemFolders.h"

namespace qlm {
namespace {

constexpr auto S = ExpressionEvaluator::StatementMode;
constexpr auto C = ExpressionEvaluator::ConditionMode;

double EvaluateIn(ExpressionEvaluator& ev, const std::string& text,
                  ExpressionEvaluator::Mode mode) {
  return mode == S ? ev.ExecuteStatement(text) : ev.EvaluateCondition(text);
}

struct ValueCase {
  const char* text;
  ExpressionEvaluator::Mode mode;
  double value;
};

class ExpressionValue : public testing::TestWithParam<ValueCase> {};

TEST_P(ExpressionValue, ComputesWithoutError) {
  const ValueCase& c = GetParam();
  ExpressionEvaluator ev;
  ev.SetNumber("three", 3);
  double value = EvaluateIn(ev, c.text, c.mode);
  EXPECT_FALSE(ev.HasError()) << ev.ErrorMessage();
  EXPECT_DOUBLE_EQ(value, c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, ExpressionValue,
    testing::Values(
        // Precedence and left associativity.
        ValueCase{"1+2*3", S, 7}, ValueCase{"(1+2)*3", S, 9}, ValueCase{"10-4-3", S, 3},
        ValueCase{"64/4/2", S, 8}, ValueCase{"1+2>2", S, 1}, ValueCase{"1|0&0", S, 0},
        ValueCase{"6&3", S, 2}, ValueCase{"6|3", S, 7}, ValueCase{"2.9|0", S, 2},
        ValueCase{"1<2<3", S, 1}, ValueCase{"3>2>1", S, 0},
        // Comparison operators and their spellings.
        ValueCase{"1<=1", S, 1}, ValueCase{"2=<1", S, 0}, ValueCase{"2>=3", S, 0},
        ValueCase{"3=>3", S, 1}, ValueCase{"1<>1", S, 0}, ValueCase{"1><2", S, 1},
        ValueCase{"2==2", S, 1}, ValueCase{"5<<3", S, 5}, ValueCase{"5>>3", S, 5},
        // "=" tolerates 1e-10, "<>" is exact.
        ValueCase{"0.1+0.2=0.3", C, 1}, ValueCase{"0.1+0.2<>0.3", C, 1},
        ValueCase{"1=1.00000000001", C, 1}, ValueCase{"1=1.000000001", C, 0},
        ValueCase{"three=3", C, 1}, ValueCase{"unset=0", C, 1},
        // Unary minus reads as 0 and subtracts; power multiplies while i <= e.
        ValueCase{"-3*2", S, -6}, ValueCase{"2*-3", S, -3}, ValueCase{"2^-1", S, 0},
        ValueCase{"2^3", S, 8}, ValueCase{"2^2.5", S, 4}, ValueCase{"2^0.5", S, 1},
        ValueCase{"(0-2)^3", S, -8}, ValueCase{"1^1e12", S, 1}, ValueCase{"(x=2)^3", S, 8},
        ValueCase{"2^(x=3)", S, 8}, ValueCase{"a[x=1]^2", S, 0},
        // Numbers: blanks vanish, d is an exponent letter, + is no exponent sign.
        ValueCase{"1 2", S, 12}, ValueCase{"1e+5", S, 6}, ValueCase{"1d2", S, 100},
        ValueCase{"1e-2", S, 0.01}, ValueCase{"2.5E1", S, 25}, ValueCase{"1.5.5", S, 1.5},
        ValueCase{"1/0", S, 0}, ValueCase{"(0-1e300)*1e300", S, -INFINITY},
        // Names.
        ValueCase{"TRUE", S, 1}, ValueCase{"FALSE", S, 0}, ValueCase{"true", S, 0},
        ValueCase{"th ree", S, 3}, ValueCase{"rnd+1", S, 1}, ValueCase{"x=5*2", S, 10},
        ValueCase{"a$='x'", S, 1}, ValueCase{"a$='x'", C, 0}));

TEST(ExpressionEvaluator, AssignsRightToLeftAndBuildsElementNames) {
  ExpressionEvaluator ev;
  EXPECT_EQ(ev.ExecuteStatement("a=b=3"), 3);
  double a = 0, b = 0;
  ASSERT_TRUE(ev.GetNumber("a", a));
  ASSERT_TRUE(ev.GetNumber("b", b));
  EXPECT_EQ(a, 3);
  EXPECT_EQ(b, 3);

  ev.ExecuteStatement("i=2");
  ev.ExecuteStatement("v[i*1.9]=7");  // index 3.8 truncates to 3
  ev.ExecuteStatement("v[0-1.5]=4");
  ev.ExecuteStatement("t$[i]='two'");
  EXPECT_NE(ev.Variables().Find("v[3]"), nullptr);
  EXPECT_NE(ev.Variables().Find("v[-1]"), nullptr);
  EXPECT_EQ(ev.ExecuteStatement("v[3.9]+v[-1]"), 11);
  std::string text;
  ASSERT_TRUE(ev.GetText("t$[2]", text));
  EXPECT_EQ(text, "two");
}

TEST(ExpressionEvaluator, ConditionComparesStringsWithoutAssigning) {
  ExpressionEvaluator ev;
  ev.SetText("a$", "abc");
  struct {
    const char* text;
    double value;
  } cases[] = {{"a$='abc'", 1}, {"a$='ABC'", 0},  {"a$>'abb'", 1}, {"a$<'abb'", 0},
               {"a$<'b'", 1},   {"a$<>'abc'", 0}, {"a$><'x'", 1},  {"n$=''", 1}};
  for (const auto& c : cases) {
    EXPECT_EQ(ev.EvaluateCondition(c.text), c.value) << c.text;
    EXPECT_FALSE(ev.HasError()) << c.text;
  }
  std::string text;
  ev.GetText("a$", text);
  EXPECT_EQ(text, "abc");
  EXPECT_EQ(ev.Variables().Find("n$"), nullptr);
  // After a condition the evaluator is back in statement mode.
  EXPECT_EQ(ev.ExecuteStatement("z=4"), 4);
}

struct ErrorCase {
  const char* text;
  ExpressionEvaluator::Mode mode;
  int code;
  const char* message;
  const char* location;
};

class ExpressionError : public testing::TestWithParam<ErrorCase> {};

TEST_P(ExpressionError, RecordsFirstError) {
  const ErrorCase& c = GetParam();
  ExpressionEvaluator ev;
  EvaluateIn(ev, c.text, c.mode);
  ASSERT_TRUE(ev.HasError());
  EXPECT_EQ(ev.ErrorCode(), c.code);
  if (c.message) {
    EXPECT_EQ(ev.ErrorMessage(), c.message);
  }
  if (c.location) {
    EXPECT_EQ(ev.ErrorLocation(), c.location);
  }
}

const char kMixing[] =
    " Error:You are trying to mix string and non-string variables.\n"
    "To convert a numeric variable to the string use CHAR(variable)\n"
    "To assign a constant string use: string$='abcdef' not string$=\"abcdef\"";

INSTANTIATE_TEST_SUITE_P(
    Grammar, ExpressionError,
    testing::Values(
        ErrorCase{"(1+2", S, 4, "Unmatched braces '()'  Expected ')'", "(1+2 ?????"},
        ErrorCase{"1+2)", S, 4, "Unmatched braces '()'  : You have more ')' braces than '('",
                  "1+2) ?????"},
        ErrorCase{"a[1", S, 3, "Unmatch brackets '[]'  Expected ']'", "a[1 ?????"},
        ErrorCase{"a[1+(2", S, 4, "Unmatched braces '()'  Expected ')'", nullptr},
        ErrorCase{"2x", S, 5, "Syntax Error - Operand missing ", "2x ?????"},
        ErrorCase{"2(3)", S, 5, "Syntax Error - Operand missing ", nullptr},
        ErrorCase{"(1)_a", S, 5, "Syntax Error - Operand missing ", nullptr},
        ErrorCase{"a[1]b", S, 5, "Syntax Error - Operand missing ", nullptr},
        ErrorCase{".5", S, 1, "Syntax Error ", ". ?????"},
        ErrorCase{"1+", S, 1, "Syntax Error ", "1+ ?????"},
        ErrorCase{"2^3^2", S, 12, "Syntax error ", "2^3^2"},
        // An assignment takes one "^" into its value; the next is left over as well.
        ErrorCase{"x=2^3^2", S, 12, "Syntax error ", "x=2^3^2"},
        ErrorCase{"x = y = 2 ^ 2 ^ 2", S, 12, "Syntax error ", "x = y = 2 ^ 2 ^ 2"},
        ErrorCase{"  1 1)x ", S, 4, nullptr, nullptr},
        ErrorCase{"1e300*1e300", S, 23, "Overflow  ", nullptr},
        ErrorCase{"1e302", S, 23, "Overflow  ", nullptr},
        ErrorCase{"2^5000", S, 23, "Overflow  ", nullptr},
        ErrorCase{"a$", S, 10,
                  " Using String variable in the wrong place \nor as a part of non-string "
                  "expression..",
                  "a$ ?????"},
        ErrorCase{"a$+1", S, 10,
                  " String on wrong place \nor using string in non-string expression.", nullptr},
        ErrorCase{"a$<'x'", S, 10,
                  " String on wrong place \nor using string in non-string expression.", nullptr},
        ErrorCase{"a$>='x'", C, 10, kMixing, nullptr}, ErrorCase{"a$=b", S, 10, kMixing, nullptr},
        ErrorCase{"a$=cbk_pagename", S, 10, kMixing, nullptr},
        ErrorCase{"a$='abc", S, 10, " Missing ' on the end of constant string.", nullptr},
        ErrorCase{"a$='x\\'", S, 10, " Missing ' on the end of constant string.", nullptr},
        ErrorCase{"a$=<SrcDir", S, 10, " Expecting >", nullptr},
        ErrorCase{"a$='x'+len(b$)", S, 12, "Syntax error ", "a$='x'+len(b$)"},
        ErrorCase{"len()", S, 11, " Wrong number of parameters.", nullptr},
        ErrorCase{"pos(a)", S, 11, " Wrong number of parameters.", nullptr},
        ErrorCase{"len(a", S, 10, " Expecting )", nullptr},
        ErrorCase{"len('abc)", S, 10, " Expecting '", nullptr},
        ErrorCase{"pos('a' ,'abc')", S, 10, " Expecting '", nullptr},
        ErrorCase{"val('1'", S, 10, " Expecting: ')'", nullptr},
        ErrorCase{"int(2", S, 4, "Unmatched braces '()'  Expected ')'", nullptr}));

TEST(ExpressionEvaluator, ErrorsDoNotStopEvaluationAndClearOnNextRun) {
  ExpressionEvaluator ev;
  // The overflow substitutes 1e301 and the assignment still happens.
  EXPECT_EQ(ev.ExecuteStatement("x=1e300*1e300"), 1e301);
  EXPECT_TRUE(ev.HasError());
  double x = 0;
  ev.GetNumber("x", x);
  EXPECT_EQ(x, 1e301);

  EXPECT_EQ(ev.ExecuteStatement("1+2"), 3);
  EXPECT_FALSE(ev.HasError());
  EXPECT_EQ(ev.ErrorMessage(), "");
  EXPECT_EQ(ev.ExecuteStatement(")"), -1);  // code 1 substitutes -1
}

TEST(ExpressionEvaluator, NestingIsBoundedAndMegabyteTextsFinish) {
  ExpressionEvaluator ev;
  std::string deep(1000, '(');
  deep += "1" + std::string(1000, ')');
  ev.ExecuteStatement(deep);
  ASSERT_TRUE(ev.HasError());
  EXPECT_EQ(ev.ErrorCode(), 23);

  std::string shallow(ExpressionEvaluator::kMaxNesting - 1, '(');
  shallow += "1" + std::string(ExpressionEvaluator::kMaxNesting - 1, ')');
  EXPECT_EQ(ev.ExecuteStatement(shallow), 1);
  EXPECT_FALSE(ev.HasError());

  std::string chain = "a$='x'";
  while (chain.size() < (1u << 20))
    chain += "+'x'";
  ev.ExecuteStatement(chain);
  EXPECT_FALSE(ev.HasError());
  std::string text;
  ev.GetText("a$", text);
  EXPECT_EQ(text.size(), (chain.size() - 6) / 4 + 1);

  std::string calls = "n=0";
  while (calls.size() < (1u << 20))
    calls += "+len(abc)";
  ev.ExecuteStatement(calls);
  EXPECT_FALSE(ev.HasError());

  ev.ExecuteStatement("a$='" + std::string(1 << 20, '\xE9'));  // unclosed, bytes above 127
  EXPECT_EQ(ev.ErrorCode(), 10);
}

TEST(ExpressionEvaluator, QuotedConstantsAndEscapes) {
  ExpressionEvaluator ev;
  ev.SetText("c$", "C");
  struct {
    const char* text;
    const char* value;
  } cases[] = {
      {"a$='it\\'s'", "it's"}, {"a$='a\\\\'", "a\\"},
      {"a$='a\\b'", "a\\b"},   {"a$='a b'+'c'+c$", "a bcC"},
      {"a$=''", ""},           {"a$ = ' x '", " x "},
      {"a$='\\''", "'"},
  };
  for (const auto& c : cases) {
    ev.ExecuteStatement(c.text);
    EXPECT_FALSE(ev.HasError()) << c.text << ": " << ev.ErrorMessage();
    std::string text;
    ev.GetText("a$", text);
    EXPECT_EQ(text, c.value) << c.text;
  }
}

TEST(ExpressionEvaluator, SystemVariablesReadWithoutCaseInStrings) {
  ExpressionEvaluator ev;
  ev.SetText("CBK_PageName", "Intro");
  ev.SetText("CBK_AudioName", "song.mp3");
  ev.SetNumber("CBK_Hour", 7);
  ev.SetNumber("CBK_Ratio", 2.5);
  ev.SetText("CBK_Empty", "");
  struct {
    const char* text;
    const char* value;
  } cases[] = {
      {"a$=CBK_pagename", "Intro"}, {"a$=CBK_MP3Name", "song.mp3"}, {"a$=CBK_Hour", "7"},
      {"a$=CBK_Ratio+'!'", "2.5!"}, {"a$=CBK_Empty", ""},           {"a$=CBK_Nothing", ""},
  };
  for (const auto& c : cases) {
    ev.ExecuteStatement(c.text);
    EXPECT_FALSE(ev.HasError()) << c.text;
    std::string text;
    ev.GetText("a$", text);
    EXPECT_EQ(text, c.value) << c.text;
  }
  // Numeric expressions read system variables by their exact name only.
  EXPECT_EQ(ev.ExecuteStatement("CBK_Hour+cbk_hour"), 7);
}

TEST(ExpressionEvaluator, PathMacrosInConstantsAndOperands) {
  SystemFolders folders;
  folders.temp = "C:\\TEMP\\";
  PathMacros macros(folders, "C:\\Show\\run.exe");
  macros.SetFile("D:\\picked.txt");
  ExpressionEvaluator ev;
  ev.SetPathMacros(&macros);
  struct {
    const char* text;
    const char* value;
  } cases[] = {
      {"a$='<SrcDir>\\pic.bmp'", "C:\\Show\\pic.bmp"},
      {"a$='<SrcDir>pic.bmp'", "C:\\Show\\pic.bmp"},
      {"a$=<SrcDir>", "C:\\Show\\"},
      {"a$=< Src Dir >+'x'", "C:\\Show\\x"},
      {"a$='any <File> text'", "D:\\picked.txt"},
      {"a$=<Foo>", "<Foo>"},
      {"a$='<Temp>x'", "C:\\TEMP\\\\x"},
  };
  for (const auto& c : cases) {
    ev.ExecuteStatement(c.text);
    EXPECT_FALSE(ev.HasError()) << c.text;
    std::string text;
    ev.GetText("a$", text);
    EXPECT_EQ(text, c.value) << c.text;
  }
}

TEST(ExpressionChecker, ReportsMessageAndLocationWithoutLiveVariables) {
  ExpressionCheck bad = CheckStatement("x=(1");
  EXPECT_FALSE(bad.ok);
  EXPECT_EQ(bad.message, "Unmatched braces '()'  Expected ')'");
  EXPECT_EQ(bad.detail, "x=(1 ?????");

  EXPECT_TRUE(CheckCondition("a=1").ok);
  EXPECT_TRUE(CheckStatement("x=mousex()+len(a$)").ok);
  EXPECT_FALSE(CheckCondition("a$>='x'").ok);
  ExpressionCheck leftover = CheckStatement("2^3^2");
  EXPECT_EQ(leftover.message, "Syntax error ");
  EXPECT_EQ(leftover.detail, "2^3^2");
}

}  // namespace
}  // namespace qlm
