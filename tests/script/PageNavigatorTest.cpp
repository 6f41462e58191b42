#include "script/PageNavigator.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestScriptHost.h"

namespace qlm {
namespace {

using test::MakePage;
using test::TestScriptHost;

constexpr const char* kPageNames[] = {"One", "Two", "Three", "Four"};

// Four pages whose enter scripts count the visits and store the number of the page entered.
Project FourPages() {
  Project project;
  for (int i = 0; i < 4; ++i) {
    project.pages.push_back(MakePage(
        kPageNames[i], "visits=visits+1\nentered=" + std::to_string(i + 1), "left=left+1"));
  }
  return project;
}

// The name of the page whose enter script ran last, or "" when none ran.
std::string Entered(const TestScriptHost& host) {
  const int n = static_cast<int>(host.Number("entered"));
  return n >= 1 && n <= 4 ? kPageNames[n - 1] : "";
}

// An HTML link names a direction, the page shown before, or a page; a page that does not exist
// leaves the current one and runs no enter script.
TEST(PageNavigatorTest, LinksNameDirectionsThePageBeforeOrAPage) {
  struct Case {
    const char* link;
    const char* page;
    double visits;
  } cases[] = {
      {"next", "Three", 1}, {"prev", "One", 1},    {"first", "One", 1},   {"last", "Four", 1},
      {"back", "Four", 1},  {"Three", "Three", 1}, {"Nowhere", "Two", 0}, {"NEXT", "Two", 0},
  };
  for (const Case& c : cases) {
    TestScriptHost host(FourPages());
    PageNavigator& navigation = host.runner.Navigation();
    host.pages.GoToPageByName("Four", false);
    host.ShowPage();
    navigation.ChangePageByName("Two");
    host.evaluator.SetNumber("visits", 0);
    navigation.FollowLink(c.link);
    EXPECT_EQ(host.CurrentName(), c.page) << c.link;
    EXPECT_EQ(host.Number("visits"), c.visits) << c.link;
    if (c.visits > 0) {
      EXPECT_EQ(Entered(host), c.page) << c.link;
    }
  }
}

// Entering a project just opened: the script timers stop, the named page (when there is one)
// is shown and its enter script runs; without one the current page starts again.
TEST(PageNavigatorTest, EnteringAProjectStopsTimersAndStartsOnTheNamedPage) {
  struct Case {
    const char* startPage;
    const char* page;
  } cases[] = {{"Three", "Three"}, {"", "One"}, {"Missing", "One"}};
  for (const Case& c : cases) {
    TestScriptHost host(FourPages());
    host.ShowPage();
    ASSERT_TRUE(host.Run("PageTimer(\"500\",\"Four\")\nScriptTimer(\"timera=X\",\"300\")"));
    host.log.clear();
    host.runner.Navigation().EnterProject(c.startPage);
    EXPECT_EQ(host.CurrentName(), c.page) << c.startPage;
    ASSERT_FALSE(host.log.empty()) << c.startPage;
    EXPECT_EQ(host.log.back(), "shown:" + std::string(c.page)) << c.startPage;
    EXPECT_EQ(Entered(host), c.page) << c.startPage;
    EXPECT_FALSE(host.loop.HasTimer(window_timer::kPage)) << c.startPage;
    EXPECT_FALSE(host.loop.HasTimer(window_timer::kFirstNamed)) << c.startPage;
  }
}

// A document another instance handed over goes before RunQMD's project; taking a request
// forgets both and lets the scripts RunQMD stopped run again, also when the document taken is
// the handed-over one or RunQMD's name came out empty.
TEST(PageNavigatorTest, HandedOverDocumentsGoFirstAndTakingLetsScriptsRunAgain) {
  TestScriptHost host(FourPages());
  PageNavigator& navigation = host.runner.Navigation();
  host.ShowPage();
  EXPECT_FALSE(host.Run("RunQMD(\"<SrcDir>a.qmd\",\"Three\")"));
  EXPECT_EQ(host.Number("left"), 1);
  navigation.RequestHostProject("/discs/b.qmd");
  EXPECT_TRUE(host.loop.HasTimer(window_timer::kOpenProject));
  EXPECT_TRUE(host.runner.StopFlag());

  const ProjectRequest taken = navigation.TakeProjectRequest();
  EXPECT_EQ(taken.path, "/discs/b.qmd");
  EXPECT_TRUE(taken.hostPath);
  EXPECT_EQ(taken.page, "");
  EXPECT_FALSE(host.runner.StopFlag());
  EXPECT_TRUE(navigation.PendingProject().path.empty());
  EXPECT_TRUE(navigation.TakeProjectRequest().path.empty());

  host.evaluator.SetText("Empty$", "");
  EXPECT_FALSE(host.Run("RunQMD(\"Empty$\",\"\")"));
  EXPECT_TRUE(host.runner.StopFlag());
  EXPECT_TRUE(navigation.TakeProjectRequest().path.empty());
  EXPECT_FALSE(host.runner.StopFlag());
  EXPECT_TRUE(host.Run("after=1"));
  EXPECT_EQ(host.Number("after"), 1);
}

}  // namespace
}  // namespace qlm
