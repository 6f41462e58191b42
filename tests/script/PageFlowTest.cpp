#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestScriptHost.h"

namespace qlm {
namespace {

using test::MakeObject;
using test::MakePage;
using test::TestScriptHost;

// A small presentation driven through page changes, timers and RunScript on the virtual
// clock: enter and exit scripts, the page timer, a self-rearming script timer, a deferred
// enter script and the way back with LASTPAGE.
Project Presentation() {
  Project project;
  project.pages.push_back(
      MakePage("Intro", "visits=visits+1\nPageTimer(\"2000\",\"\")", "leftIntro=leftIntro+1"));
  project.pages.push_back(
      MakePage("Menu", "menu=menu+1\nScriptTimer(\"timera=Ticker\",\"300\")", "leftMenu=1"));
  project.pages[1].objects = {
      MakeObject("Ticker", {},
                 "ticks=ticks+1\nIf (ticks<3) Then\nScriptTimer(\"timera=Ticker\",\"300\")\nend"),
      MakeObject("GoVideo", {}, "Page(\"Video\")\nafterPage=1")};
  project.pages.push_back(MakePage("Video", "VideoPlay(\"Clip\")\nvideo=video+1"));
  return project;
}

TEST(PageFlowTest, PagesTimersAndScripts) {
  TestScriptHost host(Presentation());
  std::string name;
  host.ShowPage();
  host.runner.StartPageScript(10);
  EXPECT_EQ(host.Number("visits"), 1);
  EXPECT_TRUE(host.loop.HasTimer(0));

  host.loop.Advance(1999);
  EXPECT_EQ(host.CurrentName(), "Intro");
  host.log.clear();
  host.loop.Advance(1);
  EXPECT_EQ(host.CurrentName(), "Menu");
  EXPECT_EQ(host.log, (std::vector<std::string>{"stop:Intro", "exit:Intro", "shown:Menu"}));
  EXPECT_EQ(host.Number("leftIntro"), 1);
  EXPECT_EQ(host.Number("menu"), 1);
  EXPECT_FALSE(host.loop.HasTimer(0));
  ASSERT_TRUE(host.evaluator.GetText("CBK_PageName", name));
  EXPECT_EQ(name, "Menu");

  host.loop.Advance(2000);
  EXPECT_EQ(host.Number("ticks"), 3);
  EXPECT_FALSE(host.loop.HasTimer(1001));

  // Page kills the script timers, leaves Menu and defers the video page's script.
  host.Run("ScriptTimer(\"Ticker\",\"100\")\nPageTimer(\"50\",\"Intro\")\nRunScript(\"GoVideo\")");
  EXPECT_EQ(host.CurrentName(), "Video");
  EXPECT_EQ(host.Number("leftMenu"), 1);
  EXPECT_EQ(host.Number("afterPage"), 1);
  EXPECT_FALSE(host.loop.HasTimer(4));
  EXPECT_FALSE(host.loop.HasTimer(0));
  EXPECT_EQ(host.Number("video"), 0);
  host.visible = false;
  host.loop.Advance(50);
  EXPECT_EQ(host.Number("video"), 0);
  host.visible = true;
  host.loop.Advance(10);
  EXPECT_EQ(host.Number("video"), 1);
  host.loop.Advance(100);
  EXPECT_EQ(host.Number("video"), 1);
  EXPECT_EQ(host.Number("ticks"), 3);

  EXPECT_TRUE(host.Run("Page(\"LASTPAGE\")"));
  EXPECT_EQ(host.CurrentName(), "Menu");
  EXPECT_EQ(host.Number("menu"), 2);

  host.Run("PrevPage()\nNextPage()\nNextPage()\nNextPage()\nFirstPage()\nLastPage()");
  EXPECT_EQ(host.CurrentName(), "Video");
  EXPECT_EQ(host.Number("visits"), 3);  // PrevPage and FirstPage entered Intro

  host.Run("ExitTimer(\"500\")");
  host.loop.Advance(499);
  EXPECT_FALSE(host.closed);
  host.loop.Advance(1);
  EXPECT_TRUE(host.closed);
}

TEST(PageFlowTest, PageTimerTargets) {
  struct Case {
    const char* arm;
    const char* page;  // current page after the timer
    double intro;      // runs of Intro's enter script
  };
  const Case cases[] = {
      {"PageTimer(\"100\",\"\")", "Menu", 1},
      {"PageTimer(\"100\",\"IF_IDLE\")", "Menu", 1},
      {"PageTimer(\"100\",\"THIS_SCRIPT\")", "Intro", 2},
      {"PageTimer(\"100\",\"THIS_PAGE\")", "Intro", 2},
      {"PageTimer(\"100\",\"Video\")", "Video", 1},
      {"PageTimer(\"100\",\"this_page\")", "Intro", 1},  // no such page: exact comparison
      {"PageTimer(\"100\",\"\")\nPageTimer(\"0\",\"\")", "Intro", 1},
      {"PageTimer(\"-5\",\"\")", "Intro", 1},
      {"PageTimer(\"(50)\",\"\")", "Menu", 1},  // no plain number: evaluated
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arm);
    Project project = Presentation();
    project.pages[0].enterScript = test::Compile("visits=visits+1");
    TestScriptHost host(std::move(project));
    host.ShowPage();
    host.runner.StartPageScript(1);
    host.Run(c.arm);
    host.loop.Advance(100);
    EXPECT_EQ(host.CurrentName(), c.page);
    EXPECT_EQ(host.Number("visits"), c.intro);
    EXPECT_FALSE(host.loop.HasTimer(0));
  }
}

// An enter script holding a command whose row defers the page enter waits for timer 105 and a
// visible window, wherever the command stands; every other enter script runs at once.
TEST(PageFlowTest, EnterScriptsThatDeferUntilTheWindowIsVisible) {
  struct Case {
    const char* line;
    bool defers;
  };
  const Case cases[] = {
      {"VideoPlay(\"Clip\")", true},
      {"Minimize()", true},
      {"MoveTo(\"Nothing\",\"5,5\")", true},
      {"Refresh(\"\")", true},
      {"VideoStop(\"Clip\")", false},
      {"MoveObject(\"Nothing\",\"5,5\")", false},
      {"Restore()", false},
      {"Show(\"Nothing\")", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Project project;
    project.pages.push_back(
        MakePage("Only", std::string("ran=1\nIf (0) Then\n") + c.line + "\nend"));
    TestScriptHost host(std::move(project));
    host.visible = false;
    host.runner.StartPageScript(10);
    EXPECT_EQ(host.Number("ran"), c.defers ? 0 : 1);
    host.loop.Advance(10);
    EXPECT_EQ(host.Number("ran"), c.defers ? 0 : 1);
    host.visible = true;
    host.loop.Advance(10);
    EXPECT_EQ(host.Number("ran"), 1);
  }
}

// A page left before its deferred enter script ran: the script is dropped, and the page shown
// next runs only its own enter script, once.
TEST(PageFlowTest, ADeferredEnterScriptDoesNotRunOnTheNextPage) {
  TestScriptHost host(Presentation());
  host.ShowPage();
  host.runner.StartPageScript(10);
  EXPECT_EQ(host.Number("visits"), 1);
  host.Run("Page(\"Video\")\nPage(\"Intro\")");
  EXPECT_EQ(host.Number("visits"), 2);
  host.loop.Advance(100);
  EXPECT_EQ(host.Number("visits"), 2);
  EXPECT_EQ(host.Number("video"), 0);
}

// The exit script runs with the page's name as its owner; leaving for a missing page still
// stops the page's media.
TEST(PageFlowTest, MissingPageStopsMediaAndStays) {
  TestScriptHost host(Presentation());
  host.Run("Page(\"Nowhere\")");
  EXPECT_EQ(host.CurrentName(), "Intro");
  EXPECT_EQ(host.log, (std::vector<std::string>{"stop:Intro", "shown:Intro"}));
  EXPECT_EQ(host.Number("leftIntro"), 0);
  EXPECT_EQ(host.Number("visits"), 0);
}

TEST(PageFlowTest, RunScriptCodeCompilesAndRuns) {
  TestScriptHost host(Presentation());
  host.evaluator.SetText("Code$", "a=1\nb=a+1");
  EXPECT_TRUE(host.Run("RunScriptCode(\"Code$\",\"0\")\nRunScriptCode(\"Bogus(\",\"1\")"));
  EXPECT_EQ(host.Number("b"), 2);
  EXPECT_EQ(host.dialogs.Texts(), std::vector<std::string>{"Unknown function bogus\nBogus("});
  host.dialogs.boxes.clear();
  host.Run("RunScriptCode(\"Bogus(\",\"0\")\nRunScriptCode(\"\",\"1\")");
  EXPECT_TRUE(host.dialogs.boxes.empty());
}

}  // namespace
}  // namespace qlm
