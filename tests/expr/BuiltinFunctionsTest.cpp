#include "expr/BuiltinFunctions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "ExprFakes.h"
#include "expr/ClassicRandom.h"
#include "expr/ExpressionEvaluator.h"
#include "expr/PathMacros.h"

namespace qlm {
namespace {

class BuiltinFunctionsTest : public testing::Test {
 protected:
  BuiltinFunctionsTest() : macros_(folders_, "C:\\Show\\run.exe") {
    ev_.SetOwner(&owner_);
    ev_.SetPathMacros(&macros_);
    owner_.mouseX = 12;
    owner_.mouseY = 34;
    owner_.buttons = {MouseButton::kRight};
    owner_.metrics = {5, 6, 800, 600, 790, 570, 1920, 1080, 1920, 1040, 32};
    owner_.minimized = true;
    owner_.system.osMajor = 10;
    owner_.system.osBuild = 19045;
    owner_.system.totalMemoryBytes = uint64_t{8} << 30;
    owner_.system.availableMemoryBytes = uint64_t{3} << 29;
    owner_.system.processorClock = 2400;
    owner_.system.processorName = "Test CPU";
    owner_.runningObject = "Button1";
    owner_.playList = {"a.mp3", "b.mp3"};

    ObjectInfo pic;
    pic.left = 10, pic.top = 20, pic.right = 110, pic.bottom = 70;
    pic.kind = 3;
    pic.hasImage = true;
    pic.imageCellWidth = 64, pic.imageCellHeight = 48;
    pic.imageScrollX = 7, pic.imageScrollY = 9;
    pic.scrollBarSize = 17;
    pic.opacity = 0.456;
    owner_.objects["Pic"] = pic;

    ObjectInfo stored = pic;
    stored.hasStoredImageSize = true;
    stored.storedImageWidth = 300, stored.storedImageHeight = 200;
    owner_.objects["Stored"] = stored;
    stored.imageGridColumns = 2;
    owner_.objects["Grid"] = stored;

    ObjectInfo hidden;
    hidden.visible = false;
    hidden.kind = 2;
    hidden.opacity = 0.5;
    owner_.objects["Hidden"] = hidden;

    ObjectInfo video;
    video.video = VideoParameters{true, false, true, false, true};
    owner_.objects["Vid"] = video;

    ev_.SetText("list$", "a,b,c,");
    ev_.SetText("short$", "a,b,c");
    ev_.SetText("bars$", "x|y|z|");
    ev_.SetText("lead$", ",a,");
    ev_.SetText("word$", "hello");
    ev_.SetText("path$", "C:\\dir\\file.txt");
    ev_.SetNumber("x", 2.5);
    ev_.SetNumber("three", 3);
  }

  double Number(const std::string& text) {
    double value = ev_.ExecuteStatement(text);
    EXPECT_FALSE(ev_.HasError()) << text << ": " << ev_.ErrorMessage();
    return value;
  }
  std::string Text(const std::string& expression) {
    ev_.ExecuteStatement("r$=" + expression);
    EXPECT_FALSE(ev_.HasError()) << expression << ": " << ev_.ErrorMessage();
    std::string text;
    ev_.GetText("r$", text);
    return text;
  }

  SystemFolders folders_;
  PathMacros macros_;
  test::FakeOwner owner_;
  ExpressionEvaluator ev_;
};

TEST_F(BuiltinFunctionsTest, NumericFunctions) {
  struct {
    const char* text;
    double value;
  } cases[] = {
      {"int(0-2.7)", -2},
      {"abs(0-2.7)", 2},
      {"INT(2.7)+Abs(3)", 5},
      {"val('12abc')", 12},
      {"val('abc')", 0},
      {"val(' -1.5e1x')", -15},
      {"mousex()+mousey()", 46},
      {"mouselbutton()*10+mouserbutton()", 1},
      {"mousembutton()", 0},
      {"pubwidth()", 800},
      {"pubheight()", 600},
      {"clientwidth()", 790},
      {"clientheight()", 570},
      {"pubx()*10+puby()", 56},
      {"screenwidth()", 1920},
      {"screenheight()", 1080},
      {"workareawidth()", 1920},
      {"workareaheight()", 1040},
      {"isminimized()", 1},
      {"screencolors()", 32},
      {"usingwinnt()", 1},
      {"procfreq()", 2400},
      {"ord('A')", 65},
      {"ord('\xE9')", 233},
      {"ord('')", 0},
      {"len(word$)", 5},
      {"len('abc')", 3},
      {"len(abc)", 3},
      {"pos('c','abc')", 3},
      {"pos('x','abc')", 0},
      {"pos('a', 'abc')", 2},
      {"pos('','abc')", 0},
      {"getarraynum(list$,',')", 3},
      {"getarraynum(short$,',')", 2},
      {"getarraynum(list$,'0x2C')", 3},
      {"getarraynum(list,',')", 0},
      {"objectx(Pic)", 10},
      {"objecty('Pic')", 20},
      {"objectwidth(Pic)", 100},
      {"objectheight(Pic)", 50},
      {"objectx(Nothing)", 0},
      {"isvisible(Pic)", 1},
      {"isvisible(Hidden)", 0},
      {"isvisible(Nothing)", -1},
      {"imagescrollx(Pic)+imagescrolly(Pic)", 16},
      {"imagescrollx(Hidden)", 0},
      {"imagewidth(Pic)*1000+imageheight(Pic)", 64048},
      {"imagewidth(Stored)*1000+imageheight(Stored)", 300200},
      {"imagewidth(Grid)*1000+imageheight(Grid)", 64048},
      {"imagewidth(Hidden)", 0},
      {"scrollbarsize(Pic)", 17},
      {"getimageopacity(Pic)", 45},
      {"getimageopacity(Hidden)", 0},
      {"getvideoparam(Vid,fullscreen)", 1},
      {"getvideoparam(Vid,' Loop ')", 0},
      {"getvideoparam(Vid,MUTE)", 1},
      {"getvideoparam(Vid,time)", 0},
      {"getvideoparam(Vid,frame)", 1},
      {"getvideoparam(Vid,speed)", 0},
      {"getvideoparam(Pic,mute)", 0},
      {"len(abc) + 1", 4},
  };
  for (const auto& c : cases)
    EXPECT_DOUBLE_EQ(Number(c.text), c.value) << c.text;
}

TEST_F(BuiltinFunctionsTest, StringFunctions) {
  struct {
    const char* expression;
    const char* value;
  } cases[] = {
      {"char(x)", "2.5"},
      {"char(three)", "3"},
      {"char(x+1)", "0"},
      {"chr(65)+chr(66)", "AB"},
      {"getarrayitem(list$,0x2C,3)", "c"},
      {"getarrayitem(short$,0x2C,3)", ""},
      {"getarrayitem(short$,0x2C,1)", "a"},
      {"getarrayitem(bars$,'0x7C',2)", "y"},
      {"getarrayitem(lead$,0x2C,1)", ""},
      {"getarrayitem(list,0x2C,1)", ""},
      {"winver()", "10.00.19045"},
      {"extractdrive(path$)", "C:"},
      {"extractdir(path$)", "\\dir\\"},
      {"extractname(path$)", "file"},
      {"extractext(path$)", ".txt"},
      {"extractdir('<SrcDir>\\a.b')", "\\Show\\"},
      {"low('AbC\xC9')", "abc\xE9"},
      {"upp('aBc\xE9\xFF')", "ABC\xC9\x9F"},
      {"strcopy('abcdef',2,3)", "bcd"},
      {"strcopy('abcdef',0,2)", "ab"},
      {"strcopy('abcdef',5,10)", "ef"},
      {"strcopy('abcdef',9,2)", ""},
      {"strcopy('abcdef',2,-1)", ""},
      {"strcopy(word$,three+1,2)", "he"},  // "three+1" is no name: read as 0
      {"strcopy(word$,three,2)", "ll"},
      {"strdel('abcdef',5,10)", "abcd"},
      {"strdel('abcdef',2,2)", "adef"},
      {"strins('abef','cd',3)", "abcdef"},
      {"strins('ab','cd',9)", "abcd"},
      {"strchange('a-b-c','-','+')", "a+b+c"},
      {"strchange('aaa','a','aa')", "aaaaaa"},
      {"strget('abc',2)", "b"},
      {"strset('abc',2,'X')", "aXc"},
      {"strset('abc',7,'X')", "abc"},
      {"strofchar('ab',3)", "ababab"},
      {"strofchar('ab',0)", ""},
      {"getmemory()", "8192/1536"},
      {"proctype()", "Test CPU"},
      {"currentobject()", "Button1"},
      {"<List>2", "b.mp3"},
      {"<List>three", ""},
      {"<List>1+'!'", "a.mp3!"},
      {"'n='+upp(word$)+'.'", "n=HELLO."},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Text(c.expression), c.value) << c.expression;
}

TEST_F(BuiltinFunctionsTest, QuotedArgumentsCannotHoldTheirDelimiter) {
  ev_.ExecuteStatement("r$=getarrayitem(list$,',',3)");
  EXPECT_EQ(ev_.ErrorCode(), 10);
  EXPECT_EQ(ev_.ErrorMessage(), " Expecting '");
  // Surplus arguments stay part of the last piece.
  EXPECT_EQ(Number("len(a,b)"), 3);
  EXPECT_EQ(Number("pos(b,a,b,c)"), 3);
}

TEST_F(BuiltinFunctionsTest, WinVerOfMajorFourKeepsLow16BitsOfBuild) {
  owner_.system.osMajor = 4;
  owner_.system.osMinor = 10;
  owner_.system.osBuild = 0x0A0A0222;
  EXPECT_EQ(Text("winver()"), "4.10.0546");
}

// Every way a script builds text stops at 16 MiB with the overflow error; a text of exactly
// 16 MiB is still allowed.
TEST_F(BuiltinFunctionsTest, TextsLongerThanTheLimitRaiseOverflow) {
  constexpr size_t kLimit = size_t{16} << 20;
  ev_.ExecuteStatement("big$=strofchar('a',16777216)");
  ASSERT_EQ(ev_.ErrorCode(), 0);
  struct Case {
    const char* statement;
    int error;
    size_t length;  // of r$ afterwards
  } cases[] = {
      {"r$=strofchar('abcdefgh',100000000)", 23, 0},
      {"r$=strofchar('ab',8388609)", 23, 0},
      {"r$=big$", 0, kLimit},
      {"r$=big$+'x'", 23, 0},
      {"r$='x'+big$", 23, 0},
      {"r$=strchange(big$,'a','bb')", 23, 0},
      {"r$=strchange(big$,'a','b')", 0, kLimit},
      {"r$=strins(big$,'xy',1)", 23, 0},
      {"r$=strset(big$,1,'xy')", 23, 0},
  };
  for (const Case& c : cases) {
    ev_.SetText("r$", "");
    ev_.ExecuteStatement(c.statement);
    EXPECT_EQ(ev_.ErrorCode(), c.error) << c.statement;
    std::string text;
    ev_.GetText("r$", text);
    EXPECT_EQ(text.size(), c.length) << c.statement;
  }
}

TEST_F(BuiltinFunctionsTest, RndDrawsFromTheClassicGeneratorScaledToTheRange) {
  ev_.SeedRandom(42);
  ClassicRandom reference;
  reference.Seed(42);
  int r = reference.Next();
  EXPECT_EQ(Number("rnd(100)"), std::trunc(r * 3.0518509447574615e-05 * 100 + 0.5));

  int counts[11] = {};
  for (int i = 0; i < 33000; ++i) {
    double v = Number("rnd(10)");
    ASSERT_GE(v, 0);
    ASSERT_LE(v, 10);
    ASSERT_EQ(v, std::trunc(v));
    ++counts[static_cast<int>(v)];
  }
  for (int v = 1; v < 10; ++v)
    EXPECT_NEAR(counts[v], 3300, 400) << v;
  EXPECT_NEAR(counts[0], 1650, 300);
  EXPECT_NEAR(counts[10], 1650, 300);
}

TEST(BuiltinFunctionsWithoutOwner, YieldNothingAndRaiseNothing) {
  ExpressionEvaluator ev;
  ev.SetText("a$", "abc");
  const char* numeric[] = {
      "mousex()", "pubwidth()",         "screencolors()",      "len(a$)",
      "ord('A')", "pos('a','abc')",     "objectx(Pic)",        "isvisible(Pic)",
      "nol(a$)",  "strtofile(f,t,0,0)", "getarraynum(a$,',')", "procfreq()"};
  for (const char* text : numeric) {
    EXPECT_EQ(ev.ExecuteStatement(text), 0) << text;
    EXPECT_FALSE(ev.HasError()) << text;
  }
  const char* strings[] = {"char(1)", "upp(a$)",         "strcopy(a$,1,1)",   "winver()",
                           "<List>1", "currentobject()", "strfromfile(f,1,1)"};
  for (const char* text : strings) {
    ev.ExecuteStatement(std::string("r$=") + text);
    EXPECT_FALSE(ev.HasError()) << text;
    std::string out = "x";
    ev.GetText("r$", out);
    EXPECT_EQ(out, "") << text;
  }
  // Pure functions need no window.
  EXPECT_EQ(ev.ExecuteStatement("int(2.5)+abs(0-1)+val('2')"), 5);
}

}  // namespace
}  // namespace qlm
