#include <gtest/gtest.h>

#include "InputFixture.h"
#include "golden/GoldenImage.h"

namespace qlm::test {
namespace {

constexpr int kW = 160, kH = 120;
constexpr uint32_t kRed = 0x2020C0, kBlue = 0xC04020, kGreen = 0x30A030;  // 0x00BBGGRR

// Keeps what was presented, as a screen would show it.
class ScreenDisplay : public InputDisplay {
 public:
  void Present(const Surface& frame, int x, int y, int w, int h) override {
    InputDisplay::Present(frame, x, y, w, h);
    if (screen.Width() != frame.Width() || screen.Height() != frame.Height())
      screen = Surface(frame.Width(), frame.Height());
    screen.Blit(frame, x, y, w, h, x, y);
  }
  Surface screen;
};

PageRecord ColourPage(const char* name, uint32_t colour, int type = 0, int32_t duration = 0) {
  PageRecord page;
  page.name = name;
  page.backgroundColour = colour;
  page.transitionType = static_cast<uint32_t>(type);
  page.transitionDuration = static_cast<uint32_t>(duration);
  return page;
}

Project ThreePages(int type, int32_t duration) {
  Project p;
  p.settings.title = "Transitions";
  p.settings.clientWidth = kW;
  p.settings.clientHeight = kH;
  p.pages = {ColourPage("A", kRed, type, duration), ColourPage("B", kBlue),
             ColourPage("C", kGreen)};
  p.storedPageCount = 3;
  return p;
}

// A player window over the virtual clock whose screen keeps the presented pixels.
class TransitionPlayer {
 public:
  explicit TransitionPlayer(Project project)
      : files_(InputPlayer::Root("transition")), context{loop,       display, dialogs,
                                                         profile_,   files_,  {},
                                                         CodePage(), &events, 7u} {
    window = std::make_unique<PlayerWindow>(context);
    loop.SetHandler(window.get());
    EXPECT_TRUE(window->OpenProject(std::move(project)));
    window->Initialize();
    loop.Run(20);
  }
  ~TransitionPlayer() { loop.SetHandler(nullptr); }

  void Script(const std::string& line) {
    window->RunScriptText(line);
    loop.Pump();
  }
  uint32_t ScreenAt(int x, int y) const { return display.screen.Pixel(x, y); }
  std::string Page() const { return window->Pages().CurrentPage()->name; }

  InputLoop loop;
  ScreenDisplay display;
  RecordingDialogs dialogs;
  RecordingEvents events;

 private:
  NoProfile profile_;
  UnderRoot files_;

 public:
  PlayerContext context;
  std::unique_ptr<PlayerWindow> window;
};

constexpr uint32_t Pixel(uint32_t colourRef) {
  return Surface::FromColorRef(colourRef);
}

TEST(TransitionWindow, WipeRunsItsStepsOnTheTimerAndEndsOnTheNewPage) {
  TransitionPlayer p(ThreePages(2, 1000));  // 20 steps of 50 ms
  ASSERT_EQ(p.ScreenAt(5, 5), Pixel(kRed));
  p.Script("Page(\"B\")");
  // The page changed at once; the screen still shows the old one.
  EXPECT_EQ(p.Page(), "B");
  ASSERT_TRUE(p.window->TransitionRunning());
  EXPECT_EQ(p.window->Transition()->Timing().steps, 20);
  EXPECT_EQ(p.window->Transition()->Timing().intervalMs, 50u);
  EXPECT_EQ(p.ScreenAt(5, 5), Pixel(kRed));
  EXPECT_EQ(p.events.pages.back(), "B");

  // After 5 ticks (k = 0..4): (4 + 2) * 6 = 36 rows from the top are new.
  p.loop.Run(250);
  EXPECT_EQ(p.ScreenAt(80, 35), Pixel(kBlue));
  EXPECT_EQ(p.ScreenAt(80, 36), Pixel(kRed));
  // Every present of a running transition is the whole frame: the window's paint is silent.
  const size_t presents = p.display.presents.size();
  p.window->InvalidateAll(true);
  p.loop.Pump();
  EXPECT_EQ(p.display.presents.size(), presents);

  // Steps k = 0..20 make 21 ticks: the last one at 1050 ms.
  p.loop.Run(1049 - 250);
  EXPECT_TRUE(p.window->TransitionRunning());
  p.loop.Run(1);
  EXPECT_FALSE(p.window->TransitionRunning());
  EXPECT_FALSE(p.loop.HasTimer(TransitionWindow::kTimerId));
  p.loop.Pump();
  EXPECT_EQ(p.ScreenAt(80, 119), Pixel(kBlue));
  EXPECT_EQ(p.display.screen, p.window->Frame());
}

TEST(TransitionWindow, PagesWithoutABuiltInEffectChangeAtOnce) {
  for (int type : {0, -3, 18, 40}) {
    SCOPED_TRACE(type);
    TransitionPlayer p(ThreePages(type, 500));
    p.Script("Page(\"B\")");
    EXPECT_EQ(p.Page(), "B");
    EXPECT_EQ(p.window->Transition(), nullptr);
    EXPECT_EQ(p.ScreenAt(5, 5), Pixel(kBlue));
  }
}

TEST(TransitionWindow, ThePageLeftDecidesNotThePageEntered) {
  TransitionPlayer p(ThreePages(2, 1000));
  p.Script("Page(\"C\")");
  p.loop.Run(2000);
  // C asks for nothing: going back to A is immediate.
  p.Script("Page(\"A\")");
  EXPECT_FALSE(p.window->TransitionRunning());
  EXPECT_EQ(p.ScreenAt(5, 5), Pixel(kRed));
}

TEST(TransitionWindow, APageChangeDuringATransitionStartsNoOther) {
  Project project = ThreePages(4, 1000);
  project.pages[1].transitionType = 3;  // B would ask for another effect
  project.pages[1].transitionDuration = 200;
  TransitionPlayer p(std::move(project));
  p.Script("Page(\"B\")");
  p.loop.Run(100);  // ticks k = 0, 1: 2 * 8 = 16 columns
  const int remaining = p.window->Transition()->Remaining();
  p.Script("Page(\"C\")");
  EXPECT_EQ(p.Page(), "C");
  EXPECT_EQ(p.events.pages.back(), "C");
  // The running wipe goes on from A's picture to B's, on its own clock.
  EXPECT_EQ(p.window->Transition()->Type(), 4);
  EXPECT_EQ(p.window->Transition()->Remaining(), remaining);
  EXPECT_EQ(p.ScreenAt(15, 60), Pixel(kBlue));
  p.loop.Run(50);
  EXPECT_EQ(p.ScreenAt(23, 60), Pixel(kBlue));
  EXPECT_EQ(p.ScreenAt(24, 60), Pixel(kRed));
  // When it ends, the window shows the page that is current by then.
  p.loop.Run(1000);
  EXPECT_FALSE(p.window->TransitionRunning());
  EXPECT_EQ(p.ScreenAt(5, 5), Pixel(kGreen));
  EXPECT_EQ(p.ScreenAt(159, 119), Pixel(kGreen));
}

TEST(TransitionWindow, ProgressEffectsAddTheirIncrementAndReleaseTheBuffers) {
  TransitionPlayer p(ThreePages(13, 50));  // 100 ms: + 0.1 every 25 ms
  p.Script("Page(\"B\")");
  EXPECT_EQ(p.window->Transition()->Timing().intervalMs, 25u);
  p.loop.Run(125);
  EXPECT_NEAR(p.window->Transition()->Progress(), 0.5, 1e-9);
  EXPECT_EQ(p.ScreenAt(80, 60), Pixel(kBlue));
  EXPECT_EQ(p.ScreenAt(0, 0), Pixel(kRed));
  // Ten additions of 0.1 stay a hair below 1: the eleventh tick ends it.
  p.loop.Run(150);
  EXPECT_FALSE(p.window->TransitionRunning());
  EXPECT_TRUE(p.window->Transition()->Frame().Empty());
  p.loop.Pump();
  EXPECT_EQ(p.ScreenAt(0, 0), Pixel(kBlue));
  // The next transition captures afresh.
  p.Script("Page(\"A\")");
  p.Script("Page(\"C\")");
  EXPECT_TRUE(p.window->TransitionRunning());
  p.loop.Run(25);
  EXPECT_EQ(p.ScreenAt(0, 0), Pixel(kRed));
}

TEST(TransitionWindow, StopAndANewProjectEndTheTransition) {
  TransitionPlayer p(ThreePages(12, 1000));
  p.Script("Page(\"B\")");
  p.loop.Run(100);
  p.window->StopTransition();
  EXPECT_FALSE(p.loop.HasTimer(TransitionWindow::kTimerId));
  p.loop.Pump();
  EXPECT_EQ(p.ScreenAt(5, 5), Pixel(kBlue));

  p.Script("Page(\"A\")");
  p.Script("Page(\"C\")");
  ASSERT_TRUE(p.window->TransitionRunning());
  Project other = ThreePages(0, 0);
  other.settings.clientWidth = 90;
  ASSERT_TRUE(p.window->OpenProject(std::move(other)));
  EXPECT_FALSE(p.window->TransitionRunning());
  p.loop.Run(2000);
  EXPECT_EQ(p.display.screen.Width(), 90);
  EXPECT_EQ(p.ScreenAt(5, 5), Pixel(kRed));
}

// ---- Mid-transition goldens ----

Project PicturePages(int type, int32_t duration) {
  Project p = ThreePages(type, duration);
  ObjectRecord circle = Object(kObjCircle, "Sun", {30, 20, 110, 100});
  circle.colours[1] = 0x00D0FF;
  circle.colours[2] = 0x000000;
  p.pages[0].objects.push_back(circle);
  ObjectRecord box = Object(kObjRectangle, "Box", {50, 30, 150, 90});
  box.colours[1] = 0xF0F0F0;
  box.colours[2] = 0x000000;
  p.pages[1].objects.push_back(box);
  ObjectRecord bar = Object(kObjRectangle, "Bar", {0, 100, 160, 112});
  bar.colours[1] = 0x202020;
  p.pages[1].objects.push_back(bar);
  return p;
}

struct GoldenCase {
  const char* name;
  int type;
  int32_t duration;
  uint64_t waitMs;
};

class TransitionGolden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(TransitionGolden, MidTransitionScreen) {
  const GoldenCase& c = GetParam();
  TransitionPlayer p(PicturePages(c.type, c.duration));
  p.Script("Page(\"B\")");
  p.loop.Run(c.waitMs);
  ASSERT_TRUE(p.window->TransitionRunning());
  EXPECT_TRUE(MatchesGolden(p.display.screen, c.name));
}

INSTANTIATE_TEST_SUITE_P(Effects, TransitionGolden,
                         ::testing::Values(GoldenCase{"transition_bands", 10, 1000, 300},
                                           GoldenCase{"transition_crossfade", 12, 1000, 500},
                                           GoldenCase{"transition_ripple", 13, 100, 100}),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace qlm::test
