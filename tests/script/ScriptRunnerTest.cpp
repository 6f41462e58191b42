#include "script/ScriptRunner.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "TestScriptHost.h"
#include "script/CommandHelpers.h"

namespace qlm {
namespace {

using test::Compile;
using test::MakeObject;
using test::MakePage;
using test::TestScriptHost;

Project OnePage() {
  Project project;
  project.pages.push_back(MakePage("Main"));
  project.pages.back().objects.push_back(MakeObject("Logo", {10, 10, 50, 30}));
  return project;
}

struct FlowCase {
  const char* name;
  const char* script;
  std::map<std::string, double> expected;
  std::vector<std::string> messages;
  std::vector<int> answers = {};
  bool result = true;
};

// Control flow as stored scripts rely on it: the For body runs as a nested script, the limit is
// read again every iteration and the variable is set from the counter.
TEST(ScriptRunnerTest, ControlFlow) {
  const std::vector<FlowCase> cases = {
      {"CountsDown", "For i=5 To 1\nseq=seq*10+i\nNext i", {{"seq", 54321}}, {}},
      {"OneToZeroRunsTwice", "For i=1 To 0\nseq=seq*10+i+1\nNext i", {{"seq", 21}}, {}},
      {"NestedLoops",
       "For i=1 To 2\nFor j=1 To 3\nseq=seq*10+j\nNext j\nNext i",
       {{"seq", 123123}},
       {}},
      {"LimitReadEveryIteration",
       "n=3\nFor i=1 To n\nseq=seq*10+i\nIf (i=1) Then\nn=5\nend\nNext i",
       {{"seq", 12345}},
       {}},
      {"VariableResetFromCounter",
       "For i=1 To 3\nseq=seq*10+i\ni=i+10\nNext i",
       {{"seq", 123}, {"i", 13}},
       {}},
      {"BreakInsideIf",
       "For i=1 To 5\nIf (i=3) Then\nBreak()\nend\nseq=seq*10+i\nNext i\nafter=1",
       {{"seq", 12}, {"after", 1}},
       {}},
      {"BreakEndsInfinityLoop",
       "For i=1 To infinity\nn=n+1\nIf (n=4) Then\nBreak()\nend\nNext i\nafter=1",
       {{"n", 4}, {"after", 1}},
       {}},
      {"ReturnInsideForEndsScript",
       "For i=1 To 3\nseq=seq*10+i\nReturn()\nNext i\nafter=1",
       {{"seq", 1}, {"after", 0}},
       {},
       {},
       false},
      {"IfElseEnd",
       "If (x=0) Then\na=1\nelse\nb=1\nend\nIf (x=1) Then\nc=1\nelse\nd=1\nend",
       {{"a", 1}, {"b", 0}, {"c", 0}, {"d", 1}},
       {}},
      {"ElseAtLevelZeroSkipsTheRest",
       "a=1\nelse\nb=1\nIf (1) Then\nc=1\nend\nd=1",
       {{"a", 1}, {"b", 0}, {"c", 0}, {"d", 0}},
       {}},
      {"OuterNextInsideInnerLoop",
       "For i=1 To 2\nFor j=1 To 2\nseq=seq*10+1\nNext i\nNext j\nafter=1",
       {{"seq", 0}, {"after", 1}},
       {"Script Error: Cannot find 'next' for identifier 'j'\nDo you want to continue?",
        "Script Error: Cannot find 'next' for identifier 'j'\nDo you want to continue?",
        "Script Error: Unused next\nnext j"}},
      {"MissingNextAnsweredNo",
       "a=1\nFor k=1 To 3\nb=1",
       {{"a", 1}, {"b", 0}},
       {"Script Error: Cannot find 'next' for identifier 'k'\nDo you want to continue?"},
       {idb::kNo}},
  };
  for (const FlowCase& c : cases) {
    SCOPED_TRACE(c.name);
    TestScriptHost host(OnePage());
    ScriptBody body = Compile(c.script);
    for (int a : c.answers)
      host.dialogs.answers.push_back(a);
    EXPECT_EQ(host.runner.ExecuteScript(body), c.result);
    for (const auto& [name, value] : c.expected)
      EXPECT_EQ(host.Number(name), value) << name;
    EXPECT_EQ(host.dialogs.Texts(), c.messages);
    EXPECT_EQ(host.closed, !c.answers.empty());
    EXPECT_EQ(host.runner.Depth(), 0);
    EXPECT_FALSE(host.runner.IsRunning());
    EXPECT_FALSE(host.runner.BreakFlag());
  }
}

// Stored statements are never checked again: an evaluator error is shown and the run goes on.
TEST(ScriptRunnerTest, EvaluatorErrorsAreShownAndTheRunGoesOn) {
  TestScriptHost host(OnePage());
  ScriptBody body = Compile("a=1\nb=2\nIf (1) Then\nc=1\nend");
  body.statements[1].arg2 = "b=(2";
  body.statements[2].arg2 = "(1";
  EXPECT_TRUE(host.runner.ExecuteScript(body));
  EXPECT_EQ(host.Number("a"), 1);
  EXPECT_EQ(host.Number("c"), 1);
  ASSERT_EQ(host.dialogs.boxes.size(), 2u);
  EXPECT_NE(host.dialogs.Texts()[0].find('\n'), std::string::npos);
}

// A text doubled in a loop stops growing at the 16 MiB limit: the doubling past it (the 24th,
// from 2 bytes) raises the overflow error once, the variable is emptied and the loop runs on.
TEST(ScriptRunnerTest, DoublingATextInALoopEndsInOverflow) {
  TestScriptHost host(OnePage());
  EXPECT_TRUE(
      host.Run("s$='ab'\nFor i=1 To 40\nlast$=s$\ns$=s$+s$\nIf (s$='') Then\nBreak()\nend\n"
               "Next i"));
  EXPECT_EQ(host.Number("i"), 24);
  ASSERT_EQ(host.dialogs.boxes.size(), 1u);
  EXPECT_NE(host.dialogs.Texts()[0].find("Overflow"), std::string::npos) << host.dialogs.Texts()[0];
  std::string text;
  host.evaluator.GetText("last$", text);
  EXPECT_EQ(text.size(), size_t{16} << 20);
  host.evaluator.GetText("s$", text);
  EXPECT_EQ(text, "");
}

// The 51st If gives the message whether it is run or skipped; the level stays, so the extra end
// is ignored at level 0.
TEST(ScriptRunnerTest, IfNestingStopsAtFiftyLevels) {
  const std::pair<const char*, double> cases[] = {{"If (1) Then\n", 1}, {"If (0) Then\n", 0}};
  for (const auto& [first, deep] : cases) {
    SCOPED_TRACE(first);
    TestScriptHost host(OnePage());
    std::string script = first;
    for (int i = 1; i < 51; ++i)
      script += "If (1) Then\n";
    script += "deep=1\n";
    for (int i = 0; i < 51; ++i)
      script += "end\n";
    script += "after=1";
    ScriptBody body = Compile(script);
    host.runner.ExecuteScript(body);
    EXPECT_EQ(host.dialogs.Texts(), std::vector<std::string>{"If .. Then reached 50 levels."});
    EXPECT_EQ(host.Number("deep"), deep);
    EXPECT_EQ(host.Number("after"), 1);
  }
}

TEST(ScriptRunnerTest, RecursionThroughRunScriptStopsAtFifty) {
  Project project = OnePage();
  project.pages[0].objects.push_back(
      MakeObject("Self", {}, "n=n+1\nRunScript(\"Self\")\nafter=after+1"));
  TestScriptHost host(std::move(project));
  host.Run("RunScript(\"Self\")");
  // The first run is depth 1; runs at depths 2 to 49 are the object's.
  EXPECT_EQ(host.Number("n"), 48);
  EXPECT_EQ(host.Number("after"), 48);
  EXPECT_EQ(host.dialogs.Texts(),
            std::vector<std::string>{"Recursion in Script reached 50 levels."});
  EXPECT_EQ(host.runner.Depth(), 0);
}

TEST(ScriptRunnerTest, NestedForLoopsCountTowardTheDepthLimit) {
  TestScriptHost host(OnePage());
  std::string script;
  for (int i = 0; i < 60; ++i)
    script += "For v" + std::to_string(i) + "=1 To 1\n";
  script += "inner=1\n";
  for (int i = 59; i >= 0; --i)
    script += "Next v" + std::to_string(i) + "\n";
  EXPECT_FALSE(host.Run(script));
  EXPECT_EQ(host.Number("inner"), 0);
  EXPECT_EQ(host.dialogs.Texts(),
            std::vector<std::string>{"Recursion in Script reached 50 levels."});
}

TEST(ScriptRunnerTest, NothingRunsWithoutCurrentPageOrWithStopFlag) {
  TestScriptHost empty;
  EXPECT_FALSE(empty.Run("a=1"));
  EXPECT_EQ(empty.Number("a"), 0);

  TestScriptHost host(OnePage());
  host.runner.SetStopFlag(true);
  EXPECT_FALSE(host.Run("a=1"));
  host.runner.SetStopFlag(false);
  EXPECT_TRUE(host.Run("a=1"));
  EXPECT_EQ(host.Number("a"), 1);
}

TEST(ScriptRunnerTest, BreakOutsideForDoesNotBlockLaterScripts) {
  TestScriptHost host(OnePage());
  EXPECT_TRUE(host.Run("Break()\na=1"));
  EXPECT_EQ(host.Number("a"), 0);
  EXPECT_TRUE(host.Run("b=1"));
  EXPECT_EQ(host.Number("b"), 1);
}

// Hide, Show and Invert repaint once when the run ends: the union of the objects grown by 2,
// grown again by 1. Return repaints what it has without growing.
TEST(ScriptRunnerTest, ObjectCommandsBatchOneInvalidation) {
  Project project = OnePage();
  project.pages[0].objects.push_back(MakeObject("Pic12", {100, 100, 120, 110}));
  project.pages[0].objects.push_back(MakeObject("Name$", {0, 0, 5, 5}));
  TestScriptHost host(std::move(project));
  auto& objects = host.pages.Pages()[0].objects;

  EXPECT_TRUE(host.Run("k=12\nHide(\"Logo\")\nHide(\"Pic[k]\")\nInvert(\"Logo\")"));
  EXPECT_FALSE(IsHidden(objects[0]));
  EXPECT_TRUE(IsHidden(objects[1]));
  ASSERT_EQ(host.invalidated.size(), 1u);
  EXPECT_EQ(host.invalidated[0], (IntRect{7, 7, 123, 113}));

  host.invalidated.clear();
  EXPECT_FALSE(host.Run("Show(\"Pic12\")\nReturn()"));
  EXPECT_FALSE(IsHidden(objects[1]));
  EXPECT_EQ(host.invalidated, std::vector<IntRect>{(IntRect{98, 98, 122, 112})});

  // A string variable names the object; without the variable the name is taken literally.
  host.invalidated.clear();
  EXPECT_TRUE(host.Run("Hide(\"Name$\")"));
  EXPECT_TRUE(IsHidden(objects[2]));
  EXPECT_TRUE(host.Run("Name$='Logo'\nHide(\"Name$\")"));
  EXPECT_TRUE(IsHidden(objects[0]));

  host.invalidated.clear();
  EXPECT_TRUE(host.Run("Hide(\"Missing\")\na=1"));
  EXPECT_TRUE(host.invalidated.empty());
}

TEST(ScriptRunnerTest, MessageTexts) {
  TestScriptHost host(OnePage());
  host.Run(
      "Message(\"Total\",\"2*3\")\nMessage(\"Half\",\"1/2\")\nT$='abc'\n"
      "Message(\"Text\",\"T$\")\nMessage(\"Plain\",\"\")");
  EXPECT_EQ(host.dialogs.Texts(),
            (std::vector<std::string>{"Total\n2*3 : 6 ", "Half\n1/2 : 0.5", "Text\nabc", "Plain"}));
  EXPECT_EQ(host.dialogs.boxes[0].caption, "Title");
  EXPECT_EQ(host.dialogs.boxes[0].style, mb::kOk | mb::kIconWarning);
}

TEST(ScriptRunnerTest, ScriptTimerIds) {
  struct Case {
    const char* target;
    uint32_t id;
    const char* rest;
  };
  const Case cases[] = {
      {"Clock", 4, "Clock"},           {"timer3=Clock", 1003, "Clock"},
      {"TIMERa=Clock", 1001, "Clock"}, {"timerb=Clock", 1002, "Clock"},
      {"timerc=Clock", 1003, "Clock"}, {"timer1000=Clock", 2000, "Clock"},
      {"timer1001=Clock", 4, "Clock"}, {"timer0=Clock", 4, "Clock"},
      {"timerx=Clock", 4, "Clock"},    {"other=Clock", 4, "Clock"},
      {"=Clock", 4, "=Clock"},
  };
  for (const Case& c : cases) {
    std::string target = c.target;
    EXPECT_EQ(ScriptTimerId(target), c.id) << c.target;
    EXPECT_EQ(target, c.rest) << c.target;
  }
}

TEST(ScriptRunnerTest, ScriptTimerRunsTheObjectOnce) {
  Project project = OnePage();
  project.pages[0].objects.push_back(MakeObject("Clock", {}, "ticks=ticks+1"));
  TestScriptHost host(std::move(project));
  // A plain number is read as it stands; "(200)" is not one and is evaluated.
  host.Run("ScriptTimer(\"timer3=Clock\",\"500\")\nScriptTimer(\"Clock\",\"(200)\")");
  EXPECT_TRUE(host.loop.HasTimer(1003));
  EXPECT_EQ(host.runner.TimerSlot(1003), "Clock");
  host.loop.Advance(199);
  EXPECT_EQ(host.Number("ticks"), 0);
  host.loop.Advance(1);
  EXPECT_EQ(host.Number("ticks"), 1);  // timer 4
  host.loop.Advance(299);
  EXPECT_EQ(host.Number("ticks"), 1);
  host.loop.Advance(1);
  EXPECT_EQ(host.Number("ticks"), 2);
  host.loop.Advance(5000);
  EXPECT_EQ(host.Number("ticks"), 2);
  EXPECT_FALSE(host.loop.HasTimer(1003));
  EXPECT_FALSE(host.loop.HasTimer(4));
}

// A handler that replaces the running script: the run ends after that statement, and the
// statements it was reading stay valid even though the object moved in memory.
TEST(ScriptRunnerTest, ScriptReplacingItsOwnBodyEndsTheRun) {
  Project project = OnePage();
  project.pages[0].objects.push_back(
      MakeObject("Self", {}, "a=1\nSetObjectParam(\"Self\",\"x\")\nb=1"));
  project.pages[0].objects.push_back(MakeObject("Other", {}, "c=1"));
  TestScriptHost host(std::move(project));
  host.runner.SetHandler(CommandCode::kSetObjectParam, [](CommandContext& c) {
    ScriptBody& body = c.object->scripts[2];
    c.runner.NoteBodyReplaced(body);
    body = Compile("replaced=1");
    // Adding objects moves every object of the page, the running one included.
    auto& objects = c.host.PageManager().CurrentPage()->objects;
    for (int i = 0; i < 100; ++i)
      objects.push_back(MakeObject("Extra" + std::to_string(i)));
    return CommandResult::kContinue;
  });
  EXPECT_TRUE(host.Run("RunScript(\"Self\")\nafter=1\nRunScript(\"Self\")"));
  EXPECT_EQ(host.Number("a"), 1);
  EXPECT_EQ(host.Number("b"), 0);
  EXPECT_EQ(host.Number("after"), 1);
  EXPECT_EQ(host.Number("replaced"), 1);
}

TEST(ScriptRunnerTest, LongScriptsAndStrayQuotes) {
  TestScriptHost host(OnePage());
  std::string script;
  for (int i = 0; i < 100000; ++i)
    script += "n=n+1\n";
  EXPECT_TRUE(host.Run(script));
  EXPECT_EQ(host.Number("n"), 100000);

  host.dialogs.boxes.clear();
  host.Run("Hide(\"Logo)\nHide(\"\"\"Logo\")\nMessage(\"a\",\"\"b\")\nok=1");
  EXPECT_EQ(host.Number("ok"), 1);
  EXPECT_FALSE(IsHidden(host.pages.Pages()[0].objects[0]));
}

// An endless loop keeps the window alive by pumping; a page change during the pump ends the
// script with false.
TEST(ScriptRunnerTest, InfinityLoopPumpsAndStopsOnPageChange) {
  Project project = OnePage();
  project.pages.push_back(MakePage("Second"));
  TestScriptHost host(std::move(project));
  host.loop.PostMessage({.id = 1, .texts = {"n=n+1"}});
  host.loop.PostMessage({.id = 1, .texts = {"Page(\"Second\")"}});
  EXPECT_FALSE(host.Run("For i=1 To infinity\nloops=loops+1\nNext i\nafter=1"));
  EXPECT_EQ(host.Number("n"), 1);
  EXPECT_EQ(host.Number("loops"), 1);  // one pump dispatched both messages
  EXPECT_EQ(host.Number("after"), 0);
  EXPECT_EQ(host.CurrentName(), "Second");
}

TEST(ScriptRunnerTest, CountedLoopAtTheEndOfTheIntegerRangeEnds) {
  TestScriptHost host(OnePage());
  EXPECT_TRUE(host.Run("For i=2147483645 To 2147483647\nn=n+1\nNext i"));
  EXPECT_EQ(host.Number("n"), 3);
}

}  // namespace
}  // namespace qlm

namespace qlm {
namespace {

// A window role played by an object of its own, as the player's window geometry plays it.
class SeparateWindow : public WindowHost {
 public:
  std::string WindowTitle() const override { return "Separate"; }
  void MinimizeWindow() override { log.push_back("minimize"); }
  void MoveWindow(int x, int y) override {
    log.push_back("move:" + std::to_string(x) + "," + std::to_string(y));
  }
  std::vector<std::string> log;
};

// Each role reaches the object the runner was handed for it, not the host of the others.
TEST(ScriptRunnerTest, CommandsReachEachRoleWhereItIsPlayed) {
  TestScriptHost host(OnePage());
  host.ShowPage();
  SeparateWindow window;
  ScriptRoles roles = host.Roles();
  ScriptRoles split{roles.core, roles.pages, roles.objects, window, roles.system, roles.lists};
  ScriptRunner runner(split);
  RegisterCoreCommands(runner);
  host.log.clear();
  EXPECT_TRUE(runner.ExecuteScript(
      Compile("SysCommand(\"movewindow\",\"3,4\")\nMinimize()\nMessage(\"Hi\",\"\")")));
  EXPECT_EQ(window.log, (std::vector<std::string>{"move:3,4", "minimize"}));
  EXPECT_TRUE(host.log.empty());
  ASSERT_EQ(host.dialogs.boxes.size(), 1u);
  EXPECT_EQ(host.dialogs.boxes[0].caption, "Separate");
}

}  // namespace
}  // namespace qlm
