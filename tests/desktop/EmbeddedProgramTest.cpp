// Program objects in a real X server: the player starts a small X program the tests build and
// holds its window over the object's rectangle, scaled with the frame; scripts hide and show
// it, a page change closes it, and SendCommand's numbers reach it as client messages.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "document/ProjectWriter.h"
#include "e2e/ProjectText.h"
#include "support/ProjectFiles.h"
// X11 headers last: they define macros such as None that the project's headers use as names.
#include "desktop/ChildProcess.h"
#include "desktop/WindowManager.h"
#include "desktop/XSession.h"
#include "desktop/XWindowTree.h"

namespace qlm::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr char kTitle[] = "Embed Test";
constexpr int kScale = 2;
// Screen colours (0x00RRGGBB); the project stores them as 0x00BBGGRR.
constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF, kGreen = 0x00FF00;
// The program object, in client pixels.
constexpr int kLeft = 40, kTop = 30, kRight = 200, kBottom = 150;

// Page One (red) holds the program object, a blue rectangle over its corner, and hot spots along
// the right edge whose scripts send numbers, hide and show the object and go to page Two (blue).
// `extra`: more lines.
std::string ShowText(const std::string& log, const std::string& extra = {}) {
  return std::string("title ") + kTitle +
         "\nsize 320 240\npage One\ncolor 255\n"
         "object 24 Prog 40 30 200 150 <SrcDir>\\embed_probe\n"
         "string 3 00FF00 " +
         log +
         "\n"
         // Above the program's top-right corner: the program's window leaves it visible.
         "object 2 Cover 170 20 230 60\ncolour 1 16711680\nvalue 1 3\n"
         "object 4 Send 260 10 310 40\n"
         "script SendCommand(\"Prog\",\"7,-8,9\")\n"
         "script SendCommand(\"Prog\",\"1+1,2\")\n"
         "script SendCommand(\"Prog\",\"5\")\n"
         "object 4 HideIt 260 50 310 80\nscript Hide(\"Prog\")\n"
         "object 4 ShowIt 260 90 310 120\nscript Show(\"Prog\")\n"
         "object 4 Next 260 130 310 160\nscript NextPage()\n" +
         extra + "page Two\ncolor 16711680\n";
}

class EmbeddedProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (access("/usr/bin/Xvfb", X_OK) != 0)
      GTEST_SKIP() << "Xvfb is not installed (scripts/install-deps.sh installs it)";
    root_ = fs::path(QLM_BINARY_DIR) / "desktop" /
            ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(root_);
    for (const char* d : {"show", "run", "tmp", "config", "home", "profile"})
      fs::create_directories(root_ / d);
    ASSERT_TRUE(server_.Start({"/usr/bin/Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24",
                               "-nolisten", "tcp", "-noreset"},
                              {}, (root_ / "xvfb.err").string()));
    const auto number = server_.ReadLine(Clock::now() + 20s);
    ASSERT_TRUE(number && !number->empty()) << "Xvfb did not start";
    display_ = ":" + *number;
    x_ = std::make_unique<XSession>(display_);
    ASSERT_TRUE(x_->Open());
    // Windows come and go while the test walks the tree (the program's, a manager's frames):
    // a request about one that just went is no failure of the test.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    // The program lies in the presentation's folder, within its reach.
    fs::copy_file(EMBED_PROBE_PATH, root_ / "show" / "embed_probe");
  }
  void TearDown() override {
    player_.Stop();
    wm_.Stop();
    x_.reset();
    server_.Stop();
  }

  // A window manager frames the player's window and manages the program's until it is taken.
  void StartWindowManager() {
    const std::optional<bool> started = StartOpenbox(wm_, x_->Connection(), display_, root_);
    if (!started)
      GTEST_SKIP() << "openbox is not installed (scripts/install-deps.sh installs it)";
    ASSERT_TRUE(*started) << "openbox did not start";
  }

  void EmbedsFollowsAndCloses();

  void StartPlayer(const std::string& show, const std::vector<std::string>& options) {
    const fs::path qmd = root_ / "show" / "show.qmd";
    ASSERT_TRUE(WriteProjectFile(qmd, BuildProjectFromSpec(show), 29));
    const std::string r = root_.string();
    std::vector<std::string> args = {QLMPLAYER_PATH,  "--json",      "--scale", "2",
                                     "--profile-dir", r + "/profile"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(qmd.string());
    ASSERT_TRUE(player_.Start(args,
                              {"DISPLAY=" + display_, "WAYLAND_DISPLAY=", "HOME=" + r + "/home",
                               "XDG_RUNTIME_DIR=" + r + "/run", "TMPDIR=" + r + "/tmp",
                               "XDG_CONFIG_HOME=" + r + "/config", "SDL_VIDEODRIVER=x11"},
                              (root_ / "player.err").string()));
  }

  // The player's window, framed by a window manager or not.
  std::optional<XWindowBox> WaitForWindow() {
    const auto deadline = Clock::now() + 15s;
    while (Clock::now() < deadline) {
      for (const XClient& w : FindClients(x_->Connection(), kTitle)) {
        if (w.width == 320 * kScale && w.height == 240 * kScale)
          return XWindowBox{w.client, w.x, w.y, w.width, w.height};
      }
      std::this_thread::sleep_for(20ms);
    }
    return std::nullopt;
  }

  // Waits until the screen shows `rgb` at client point (x, y) of the window, scaled.
  bool WaitForClientPixel(const XWindowBox& w, int x, int y, uint32_t rgb,
                          Clock::duration timeout = 10s) {
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
      if (x_->ScreenPixel(w.x + x * kScale, w.y + y * kScale) == rgb)
        return true;
      std::this_thread::sleep_for(20ms);
    }
    return false;
  }

  std::string Log() {
    std::ifstream in(root_ / "probe.log");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  bool WaitForLog(const std::string& text, Clock::duration timeout = 10s) {
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
      if (Log().find(text) != std::string::npos)
        return true;
      std::this_thread::sleep_for(20ms);
    }
    return false;
  }

  void Click(const XWindowBox& w, int x, int y) { x_->Click(w.x + x * kScale, w.y + y * kScale); }

  std::string Diagnostics() {
    std::string text = "\nprobe log:\n" + Log() + "player output:";
    for (const std::string& l : player_.Seen())
      text += "\n  " + l;
    std::ifstream err(root_ / "player.err");
    return text + "\nplayer errors:\n" + std::string(std::istreambuf_iterator<char>(err), {});
  }

  fs::path root_;
  ChildProcess server_;
  ChildProcess wm_;
  ChildProcess player_;
  std::string display_;
  std::unique_ptr<XSession> x_;
};

void EmbeddedProgramTest::EmbedsFollowsAndCloses() {
  StartPlayer(ShowText((root_ / "probe.log").string()), {"--allow-launch"});
  const auto window = WaitForWindow();
  ASSERT_TRUE(window) << Diagnostics();
  ASSERT_TRUE(WaitForLog("started")) << Diagnostics();

  // The program's green fills the object's rectangle at the window's scale, and nothing more
  // (once the window has settled at its size).
  const auto placed = [&] {
    const std::vector<uint32_t> shot = x_->Capture(*window);
    if (shot.size() != static_cast<size_t>(window->width * window->height))
      return std::string("no picture of the window");
    const auto at = [&](int x, int y) { return shot[static_cast<size_t>(y * window->width + x)]; };
    std::string wrong;
    const struct {
      int x, y;
      uint32_t rgb;
    } points[] = {{kLeft * kScale, kTop * kScale, kGreen},
                  {kRight * kScale - 1, kBottom * kScale - 1, kGreen},
                  {kLeft * kScale - 1, kTop * kScale - 1, kRed},
                  {kRight * kScale, kBottom * kScale, kRed},
                  {185 * kScale, 45 * kScale, kBlue},
                  {160 * kScale, 45 * kScale, kGreen}};
    for (const auto& p : points) {
      if (at(p.x, p.y) != p.rgb)
        wrong += " (" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
    }
    return wrong;
  };
  std::string wrong = placed();
  for (const auto deadline = Clock::now() + 10s; !wrong.empty() && Clock::now() < deadline;) {
    std::this_thread::sleep_for(20ms);
    wrong = placed();
  }
  ASSERT_EQ(wrong, "") << "window pixels with the wrong colour" << Diagnostics();
  // It is a child of the player's window, no longer a window of the desktop.
  size_t held = 0;
  ::Window rootWindow = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  ASSERT_TRUE(XQueryTree(x_->Connection(), window->id, &rootWindow, &parent, &children, &count));
  for (unsigned i = 0; i < count; ++i) {
    char* name = nullptr;
    if (XFetchName(x_->Connection(), children[i], &name) && name) {
      held += std::string(name) == "Embed Probe";
      XFree(name);
    }
  }
  if (children)
    XFree(children);
  EXPECT_EQ(held, 1u);

  // Two and three numbers arrive, with their count; a single number is no command.
  // The pointer, which started over the program's window, comes onto the page as a user's
  // does: a single jump out of a child window and a click at once loses the click in SDL.
  x_->MoveMouse(window->x + 570, window->y + 300);
  Click(*window, 285, 25);
  ASSERT_TRUE(WaitForLog("command 2 2 0 2")) << Diagnostics();
  EXPECT_EQ(Log(), "started\ncommand 7 -8 9 3\ncommand 2 2 0 2\n");

  // Hide and Show take the window away and bring it back.
  Click(*window, 285, 65);
  EXPECT_TRUE(WaitForClientPixel(*window, 100, 100, kRed)) << Diagnostics();
  Click(*window, 285, 105);
  EXPECT_TRUE(WaitForClientPixel(*window, 100, 100, kGreen)) << Diagnostics();

  // Leaving the page hides the window and closes the program.
  Click(*window, 285, 145);
  EXPECT_TRUE(WaitForClientPixel(*window, 100, 100, kBlue)) << Diagnostics();
  EXPECT_TRUE(WaitForLog("closed")) << Diagnostics();
}

TEST_F(EmbeddedProgramTest, WindowIsHeldOverTheObjectFollowsItAndClosesWithItsPage) {
  EmbedsFollowsAndCloses();
}

// Under a window manager the program's window is first managed (framed) and then taken from it.
TEST_F(EmbeddedProgramTest, WindowIsTakenFromTheWindowManager) {
  StartWindowManager();
  if (IsSkipped())
    return;
  EmbedsFollowsAndCloses();
}

// Without consent nothing starts: the object keeps its frame and the program never runs.
TEST_F(EmbeddedProgramTest, ConsentRefusedStartsNothing) {
  StartPlayer(ShowText((root_ / "probe.log").string()), {});
  const auto deadline = Clock::now() + 15s;
  std::optional<XWindowBox> box;
  while (!box && Clock::now() < deadline) {
    const std::vector<XWindowBox> boxes = x_->FindWindows("QLM Player");
    if (!boxes.empty())
      box = boxes.front();
    std::this_thread::sleep_for(20ms);
  }
  ASSERT_TRUE(box) << "no consent box appeared" << Diagnostics();
  const std::string blocked = R"({"event":"blocked","what":"launch")";
  bool denied = false;
  for (int attempt = 0; attempt < 3 && !denied; ++attempt) {
    x_->MoveMouse(box->x + 5, box->y + 5);
    x_->PressKey(XK_Escape);
    const auto until = Clock::now() + 5s;
    while (!denied && Clock::now() < until) {
      const std::optional<std::string> line = player_.ReadLine(until);
      denied = line && line->starts_with(blocked);
    }
  }
  ASSERT_TRUE(denied) << "Escape did not deny" << Diagnostics();
  const auto window = WaitForWindow();
  ASSERT_TRUE(window) << Diagnostics();
  // The frame's white inside, where the program's window would be.
  EXPECT_TRUE(WaitForClientPixel(*window, 100, 100, 0xFFFFFF)) << Diagnostics();
  std::this_thread::sleep_for(500ms);
  EXPECT_FALSE(fs::exists(root_ / "probe.log")) << Log();
}

}  // namespace
}  // namespace qlm::test
