// The desktop frontend in a real X server: Xvfb runs, qlmplayer opens its window there, and the
// test clicks and types through the XTEST extension, so every event takes the same road as a
// user's: X server, SDL, the frontend's mapping, the player.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "document/ProjectWriter.h"
#include "e2e/ProjectText.h"
#include "graphics/ImageCodec.h"
#include "platform/sdl/ColourPickerView.h"
#include "platform/sdl/FilePickerView.h"
#include "platform/sdl/MessageBoxPainter.h"
#include "support/ProjectFiles.h"
// X11 headers last: they define macros such as None that the project's headers use as names.
#include "desktop/ChildProcess.h"
#include "desktop/WindowManager.h"
#include "desktop/XSession.h"
#include "desktop/XWindowTree.h"

namespace qlm::test {
namespace {

using namespace std::chrono_literals;

constexpr char kTitle[] = "Desktop Test";
constexpr int kClientW = 320, kClientH = 240;
constexpr int kScale = 2;
// Colours as the screen shows them (0x00RRGGBB) and as the project stores them (0x00BBGGRR).
constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;
constexpr uint32_t kBoxFace = 0xF0F0F0;  // the face of message boxes and pickers
constexpr uint32_t Stored(uint32_t rgb) {
  return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}
// The button, in client coordinates.
constexpr int kButtonL = 100, kButtonT = 80, kButtonR = 220, kButtonB = 160;

// Parts of the player that these tests drive but that are not wired into the window yet. A gap
// listed here turns its checks into expected failures; the day a check passes, the test fails
// until the gap is removed from this list.
constexpr bool kObjectsPaintedInWindow = true;
constexpr bool kClicksRunObjectActions = true;

std::optional<std::string> FindXvfb() {
  for (const char* dir : {"/usr/bin", "/usr/local/bin", "/bin"}) {
    const std::filesystem::path p = std::filesystem::path(dir) / "Xvfb";
    if (access(p.c_str(), X_OK) == 0)
      return p.string();
  }
  return std::nullopt;
}

// Page One: red, with a green button whose click action goes to the next page. Page Two: blue.
// `enter`: the lines of page One's enter script.
Project TwoPageProject(const std::vector<std::string>& enter = {}) {
  std::string spec = std::string("title ") + kTitle + "\nsize 320 240\npage One\ncolor " +
                     std::to_string(Stored(kRed)) + "\n";
  for (const std::string& line : enter)
    spec += "enter " + line + "\n";
  spec += "object 2 Next " + std::to_string(kButtonL) + " " + std::to_string(kButtonT) + " " +
          std::to_string(kButtonR) + " " + std::to_string(kButtonB) + "\n";
  spec += "page Two\ncolor " + std::to_string(Stored(kBlue)) + "\n";
  Project project = BuildProjectFromSpec(spec);
  ObjectRecord& button = project.pages[0].objects[0];
  button.colours[1] = Stored(kGreen);
  button.values[1] = 3;  // no border
  button.values[0] = 9;  // click action: the next page
  return project;
}

class DesktopWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Windows come and go while the test walks the tree (a box closing, a window manager's own
    // windows): a request about one that has gone fails and is not the end of the test.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    const auto xvfb = FindXvfb();
    if (!xvfb)
      GTEST_SKIP() << "Xvfb is not installed (scripts/install-deps.sh installs it)";
    root_ = std::filesystem::path(QLM_BINARY_DIR) / "desktop" /
            ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(root_);
    for (const char* d : {"run", "tmp", "config", "home", "profile"})
      std::filesystem::create_directories(root_ / d);
    // -displayfd: the server picks a free display and writes its number when it is ready.
    ASSERT_TRUE(server_.Start(
        {*xvfb, "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"},
        {}, (root_ / "xvfb.err").string()));
    const auto number = server_.ReadLine(Clock::now() + 20s);
    ASSERT_TRUE(number && !number->empty()) << "Xvfb did not start; see " << root_ / "xvfb.err";
    display_ = ":" + *number;
    x_ = std::make_unique<XSession>(display_);
    ASSERT_TRUE(x_->Open()) << "cannot connect to " << display_;
    ASSERT_TRUE(x_->HasXTest()) << "the X server has no XTEST extension";
  }

  void TearDown() override {
    player_.Stop();
    x_.reset();
    server_.Stop();
  }

  void StartPlayer(const Project& project, int scale = kScale) {
    const std::filesystem::path qmd = root_ / "show.qmd";
    ASSERT_TRUE(WriteProjectFile(qmd, project, 29));
    StartPlayerOn(qmd.string(), scale);
  }

  void StartPlayerOn(const std::string& document, int scale = kScale) {
    const std::string r = root_.string();
    std::vector<std::string> args = {QLMPLAYER_PATH,        "--json",        "--scale",
                                     std::to_string(scale), "--profile-dir", r + "/profile"};
    args.insert(args.end(), extraArgs_.begin(), extraArgs_.end());
    if (!document.empty())  // none: the player asks for one
      args.push_back(document);
    std::vector<std::string> env = {"DISPLAY=" + display_,  "WAYLAND_DISPLAY=",
                                    "HOME=" + r + "/home",  "XDG_RUNTIME_DIR=" + r + "/run",
                                    "TMPDIR=" + r + "/tmp", "XDG_CONFIG_HOME=" + r + "/config",
                                    "SDL_VIDEODRIVER=x11",  "XDG_PICTURES_DIR=" + r + "/pictures"};
    env.insert(env.end(), extraEnv_.begin(), extraEnv_.end());
    ASSERT_TRUE(player_.Start(args, env, (root_ / "player.err").string()));
  }

  // Waits until the player's stderr holds `text`.
  bool WaitForError(const std::string& text) {
    const auto deadline = Clock::now() + 15s;
    while (Clock::now() < deadline) {
      std::ifstream err(root_ / "player.err");
      if (std::string(std::istreambuf_iterator<char>(err), {}).find(text) != std::string::npos)
        return true;
      std::this_thread::sleep_for(20ms);
    }
    return false;
  }

  // The player's window of the given size, once it is on the screen.
  std::optional<XWindowBox> WaitForWindow(int width, int height, bool sizeMatches = true,
                                          const std::string& title = kTitle) {
    const auto deadline = Clock::now() + 15s;
    while (Clock::now() < deadline) {
      for (const XWindowBox& w : x_->FindWindows(title)) {
        if ((w.width == width && w.height == height) == sizeMatches)
          return w;
      }
      std::this_thread::sleep_for(20ms);
    }
    return std::nullopt;
  }

  // Waits until the screen shows `rgb` at (x, y).
  bool WaitForPixel(int x, int y, uint32_t rgb, Clock::duration timeout = 10s) {
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
      lastPixel_ = x_->ScreenPixel(x, y);
      if (lastPixel_ == rgb)
        return true;
      std::this_thread::sleep_for(20ms);
    }
    return false;
  }

  std::string Diagnostics() {
    char pixel[16];
    std::snprintf(pixel, sizeof pixel, "%06X", lastPixel_);
    std::string text = std::string("\nlast pixel read: ") + pixel + "\nwindows:";
    for (const XWindowBox& w : x_->FindWindows(kTitle)) {
      text += " " + std::to_string(w.width) + "x" + std::to_string(w.height) + "+" +
              std::to_string(w.x) + "+" + std::to_string(w.y);
    }
    text += "\nplayer output:";
    for (const std::string& l : player_.Seen())
      text += "\n  " + l;
    std::ifstream err(root_ / "player.err");
    text += "\nplayer errors:\n" + std::string(std::istreambuf_iterator<char>(err), {});
    return text;
  }

  // Plays the demo's clip (its pictures and its sound) on page One, at scale 1.
  void PlayDemoClip() {
    std::filesystem::copy_file(
        std::filesystem::path(QLM_SOURCE_DIR) / "examples/demo/media/bounce.avi",
        root_ / "bounce.avi");
    StartPlayer(BuildProjectFromSpec(std::string("title ") + kTitle +
                                     "\nsize 320 240\npage One\ncolor 0xFFFFFF\n"
                                     "enter VideoPlay(\"Clip\")\n"
                                     "object 12 Clip 16 16 208 160 bounce.avi\n"),
                1);
  }

  // Closes the player's window (at the usual scale) and expects the run to end well.
  void CloseAndExpectExit() {
    const auto window = WaitForWindow(kClientW * kScale, kClientH * kScale);
    ASSERT_TRUE(window) << Diagnostics();
    x_->RequestClose(window->id);
    EXPECT_EQ(player_.Wait(Clock::now() + 10s), 0) << Diagnostics();
  }

  // Whether the player has loaded the shared library whose file name contains `name`.
  bool PlayerLoaded(const std::string& name) {
    std::ifstream maps("/proc/" + std::to_string(player_.Pid()) + "/maps");
    const std::string text((std::istreambuf_iterator<char>(maps)), {});
    return text.find(name) != std::string::npos;
  }

  static std::string PageLine(const std::string& name) {
    return "{\"event\":\"page\",\"name\":\"" + name + "\"}";
  }

  std::filesystem::path root_;
  ChildProcess server_;
  ChildProcess player_;
  std::string display_;
  std::unique_ptr<XSession> x_;
  uint32_t lastPixel_ = 0;
  std::vector<std::string> extraArgs_;  // options of the player before the document
  std::vector<std::string> extraEnv_;   // more of the player's environment
};

TEST_F(DesktopWindowTest, ClickOnButtonGoesToTheNextPageOnScreen) {
  StartPlayer(TwoPageProject());
  ASSERT_TRUE(player_.WaitForLine(PageLine("One"), Clock::now() + 20s)) << Diagnostics();
  const auto window = WaitForWindow(kClientW * kScale, kClientH * kScale);
  ASSERT_TRUE(window) << "no " << kClientW * kScale << " x " << kClientH * kScale
                      << " window titled \"" << kTitle << "\"" << Diagnostics();

  // The first page is on the screen, scaled: its red reaches the window's last pixel.
  ASSERT_TRUE(WaitForPixel(window->x + window->width - 1, window->y + window->height - 1, kRed))
      << Diagnostics();
  // A presentation without browser objects runs without the web engine.
  EXPECT_FALSE(PlayerLoaded("qlm_browser.so"));
  const int buttonX = window->x + (kButtonL + kButtonR) / 2 * kScale;
  const int buttonY = window->y + (kButtonT + kButtonB) / 2 * kScale;
  const bool buttonShown =
      WaitForPixel(buttonX, buttonY, kGreen, kObjectsPaintedInWindow ? 10s : 1s);
  EXPECT_EQ(buttonShown, kObjectsPaintedInWindow)
      << "the green button " << (buttonShown ? "shows now: update the list of gaps" : "is missing")
      << Diagnostics();

  // A click on the screen position of the button's last client row: the scale must map it back
  // into the button (the screen row below it is outside).
  x_->Click(buttonX, window->y + (kButtonB - 1) * kScale + 1);
  const bool changed =
      player_.WaitForLine(PageLine("Two"), Clock::now() + (kClicksRunObjectActions ? 10s : 2s));
  EXPECT_EQ(changed, kClicksRunObjectActions)
      << (changed ? "clicks change pages now: update the list of gaps"
                  : "the click did not change the page")
      << Diagnostics();
  if (changed) {
    // The window shows page Two, all of it: the picture of the window is blue throughout.
    ASSERT_TRUE(WaitForPixel(buttonX, buttonY, kBlue)) << Diagnostics();
    const std::vector<uint32_t> shot = x_->Capture(*window);
    ASSERT_EQ(shot.size(),
              static_cast<size_t>(window->width) * static_cast<size_t>(window->height));
    size_t notBlue = 0;
    for (uint32_t p : shot)
      notBlue += p != kBlue;
    EXPECT_EQ(notBlue, 0u) << "pixels of the window that are not page Two's blue";
  }

  // Escape through the keyboard: the Cancel path closes the player.
  x_->PressKey(XK_Escape);
  ASSERT_TRUE(player_.WaitForLine("{\"event\":\"exit\",\"code\":0}", Clock::now() + 10s))
      << Diagnostics();
  EXPECT_EQ(player_.Wait(Clock::now() + 10s), 0);
  // The window fits at scale 2: no word about a clamp (the default frame before the
  // presentation's size once drew one).
  std::ifstream err(root_ / "player.err");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(err), {}).find("does not fit"),
            std::string::npos);
}

TEST_F(DesktopWindowTest, CloseBoxEndsTheRunAndClickOutsideTheButtonDoesNothing) {
  StartPlayer(TwoPageProject());
  ASSERT_TRUE(player_.WaitForLine(PageLine("One"), Clock::now() + 20s)) << Diagnostics();
  const auto window = WaitForWindow(kClientW * kScale, kClientH * kScale);
  ASSERT_TRUE(window) << Diagnostics();
  ASSERT_TRUE(WaitForPixel(window->x, window->y, kRed)) << Diagnostics();
  // The screen row just below the button maps to the first client row below it.
  x_->Click(window->x + kButtonL * kScale + 10, window->y + kButtonB * kScale);
  // The close box of the window system ends the run; no page change came before it.
  x_->RequestClose(window->id);
  ASSERT_TRUE(player_.WaitForLine("{\"event\":\"exit\",\"code\":0}", Clock::now() + 10s))
      << Diagnostics();
  for (const std::string& line : player_.Seen())
    EXPECT_NE(line, PageLine("Two"));
  EXPECT_EQ(player_.Wait(Clock::now() + 10s), 0);
}

TEST_F(DesktopWindowTest, MessageBoxAnsweredWithEnterLetsTheScriptGoOn) {
  // Page One's enter script shows a box and goes on to page Two once it is answered.
  StartPlayer(TwoPageProject({"Message(\"Press Enter\",\"\")", "NextPage()"}));
  const auto box = WaitForWindow(kClientW * kScale, kClientH * kScale, false);
  ASSERT_TRUE(box) << "no message box appeared" << Diagnostics();
  // The box takes keys once it is drawn (mapped is not enough under load). Keys go to the
  // window under the pointer (the server has no window manager).
  ASSERT_TRUE(WaitForPixel(box->x + 2, box->y + 2, kBoxFace, 15s)) << Diagnostics();
  x_->MoveMouse(box->x + 5, box->y + 5);
  x_->PressKey(XK_Return);
  // A key lost while the box was still settling is pressed again, while the box is there.
  bool answered = player_.WaitForLine(PageLine("Two"), Clock::now() + 5s);
  for (int retry = 0; retry < 2 && !answered; ++retry) {
    for (const XWindowBox& w : x_->FindWindows(kTitle)) {
      if (w.id == box->id) {
        x_->MoveMouse(box->x + 5, box->y + 5);
        x_->PressKey(XK_Return);
      }
    }
    answered = player_.WaitForLine(PageLine("Two"), Clock::now() + 5s);
  }
  ASSERT_TRUE(answered) << "the box did not close with Enter" << Diagnostics();
  const auto window = WaitForWindow(kClientW * kScale, kClientH * kScale);
  ASSERT_TRUE(window) << Diagnostics();
  x_->RequestClose(window->id);
  EXPECT_EQ(player_.Wait(Clock::now() + 10s), 0) << Diagnostics();
}

// Over a player shown at 2x a box is drawn at 2x, and its buttons are where it draws them.
TEST_F(DesktopWindowTest, MessageBoxFollowsTheWindowScale) {
  StartPlayer(TwoPageProject(
      {"MessageEx(\"Scaled\",\"Yes or no?,4\")", "If (CBK_MsgEx=7) Then", "NextPage()", "end"}));
  MessageBoxPainter painter;
  MessageBoxControl control(mb::kYesNo);
  const MessageBoxLayout layout = painter.Layout("Yes or no?", mb::kYesNo, control, "Scaled");
  const auto box = WaitForWindow(layout.width * kScale, layout.height * kScale, true, "Scaled");
  ASSERT_TRUE(box) << "no box of " << layout.width * kScale << "x" << layout.height * kScale
                   << Diagnostics();
  ASSERT_TRUE(WaitForPixel(box->x + 2, box->y + 2, kBoxFace, 15s)) << Diagnostics();
  // No, clicked near its lower right corner (outside where the 1x box would have it).
  const IntRect& no = layout.buttons[1];
  const int x = box->x + (no.right - 3) * kScale, y = box->y + (no.bottom - 3) * kScale;
  bool answered = false;
  for (int attempt = 0; attempt < 3 && !answered; ++attempt) {
    if (!x_->FindWindows("Scaled").empty())
      x_->Click(x, y);
    answered = player_.WaitForLine(PageLine("Two"), Clock::now() + 5s);
  }
  ASSERT_TRUE(answered) << "the click did not answer No" << Diagnostics();
  CloseAndExpectExit();
}

// The consent box answers Escape (and Enter) with Deny; the user who just denied sees no second
// box about it, while the script still gets the failure.
TEST_F(DesktopWindowTest, LaunchConsentDeniedWithEscapeFailsTheLaunchWithoutAnotherBox) {
  // Page One's enter script starts a document of the presentation's folder, then moves on.
  std::ofstream(root_ / "notes.txt") << "hello";
  StartPlayer(TwoPageProject({"Run(\"notes.txt\",\"\")", "NextPage()"}));
  const auto box = WaitForWindow(kClientW * kScale, kClientH * kScale, false, "QLM Player");
  ASSERT_TRUE(box) << "no consent box appeared" << Diagnostics();
  ASSERT_TRUE(WaitForPixel(box->x + 2, box->y + 2, kBoxFace, 15s)) << Diagnostics();
  const std::string blocked = R"({"event":"blocked","what":"launch","path":"notes.txt"})";
  bool denied = false;
  // A key lost while the box was still settling is pressed again, while the box is there.
  for (int attempt = 0; attempt < 3 && !denied; ++attempt) {
    for (const XWindowBox& w : x_->FindWindows("QLM Player")) {
      if (w.id == box->id) {
        x_->MoveMouse(box->x + 5, box->y + 5);
        x_->PressKey(XK_Escape);
      }
    }
    denied = player_.WaitForLine(blocked, Clock::now() + 5s);
  }
  ASSERT_TRUE(denied) << "Escape did not deny" << Diagnostics();
  ASSERT_TRUE(player_.WaitForLine(PageLine("Two"), Clock::now() + 10s)) << Diagnostics();
  EXPECT_TRUE(x_->FindWindows("Error").empty()) << "a second box followed the denial";
  // In a window the refusal is said on stderr as well.
  std::ifstream err(root_ / "player.err");
  const std::string errText((std::istreambuf_iterator<char>(err)), {});
  EXPECT_NE(errText.find("qlmplayer: blocked launch of \"notes.txt\""), std::string::npos)
      << errText;
  const auto window = WaitForWindow(kClientW * kScale, kClientH * kScale);
  ASSERT_TRUE(window) << Diagnostics();
  x_->RequestClose(window->id);
  EXPECT_EQ(player_.Wait(Clock::now() + 10s), 0) << Diagnostics();
}

TEST_F(DesktopWindowTest, StartupErrorIsOnStderrWhileItsBoxIsShown) {
  StartPlayerOn((root_ / "missing.qmd").string());
  EXPECT_TRUE(WaitForError("qlmplayer: Cannot find the file " + (root_ / "missing.qmd").string()))
      << Diagnostics();
}

TEST_F(DesktopWindowTest, ScaleTooLargeForTheScreenShrinksAndF12SavesTheUnscaledFrame) {
  // The desktop's pictures folder is the one its user-dirs.dirs names (over the environment's).
  std::ofstream(root_ / "config" / "user-dirs.dirs") << "XDG_PICTURES_DIR=\"$HOME/Shots\"\n";
  // 320 x 240 by 4 is 1280 x 960: more than the 1024 x 768 screen; by 3 it fits.
  StartPlayer(TwoPageProject(), 4);
  ASSERT_TRUE(player_.WaitForLine(PageLine("One"), Clock::now() + 20s)) << Diagnostics();
  const auto window = WaitForWindow(kClientW * 3, kClientH * 3);
  ASSERT_TRUE(window) << "no 960 x 720 window" << Diagnostics();
  EXPECT_TRUE(WaitForError("--scale 4 does not fit")) << Diagnostics();
  ASSERT_TRUE(WaitForPixel(window->x + 1, window->y + 1, kRed)) << Diagnostics();

  x_->MoveMouse(window->x + 5, window->y + 5);
  x_->PressKey(XK_F12);
  ASSERT_TRUE(WaitForError("qlmplayer: screenshot saved as ")) << Diagnostics();
  const std::filesystem::path folder = root_ / "home" / "Shots" / "qlmplayer";
  std::vector<std::filesystem::path> shots;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    shots.push_back(entry.path());
  ASSERT_EQ(shots.size(), 1u);
  EXPECT_TRUE(shots[0].filename().string().starts_with(std::string(kTitle) + " ")) << shots[0];
  std::ifstream in(shots[0], std::ios::binary);
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  const std::optional<Image24> image = DecodePng(bytes);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, static_cast<uint32_t>(kClientW));  // the client area, not the window
  EXPECT_EQ(image->height, static_cast<uint32_t>(kClientH));
  // Meanwhile the window shows where the file went, in a dark notice at the bottom centre (its
  // padding 8 client pixels deep), never in the file itself; two seconds later it is gone.
  const int noticeX = window->x + window->width / 2, noticeY = window->y + window->height - 3 * 16;
  EXPECT_TRUE(WaitForPixel(noticeX, noticeY, 0x202020, 2s)) << "no notice" << Diagnostics();
  const size_t at = (static_cast<size_t>(kClientH) - 16) * kClientW + kClientW / 2;
  EXPECT_EQ(image->pixels[3 * at + 2], 0xFF) << "the notice is in the screenshot";
  EXPECT_TRUE(WaitForPixel(noticeX, noticeY, kRed, 5s)) << "the notice stayed" << Diagnostics();
  x_->RequestClose(window->id);
  EXPECT_EQ(player_.Wait(Clock::now() + 10s), 0) << Diagnostics();
}

// Pickers and message boxes as modal children of the player window. The picker's layout is
// that of FilePickerView and ColourPickerView: the list from (12, 42) in rows of 18 pixels, the
// basic colours from (10, 28) in steps of 28 x 24, the OK button of the colour picker at
// (10, 212) - (100, 236).
class PickerWindowTest : public DesktopWindowTest {
 protected:
  static constexpr int kListTop = 42, kRowHeight = 18;
  // A point of a picker `width` pixels wide, given in its own pixels, on the screen: pickers
  // are drawn at the player window's scale (lowered when they would not fit the screen).
  static std::pair<int, int> At(const XClient& picker, int width, int x, int y) {
    const int scale = std::max(1, picker.width / width);
    return {picker.x + x * scale, picker.y + y * scale};
  }

  // The presentation in a folder of its own, beside the files to pick: page One runs `enter`
  // and every page of `pages` is white.
  void StartShow(const std::vector<std::string>& enter, const std::vector<std::string>& pages) {
    std::string spec = std::string("title ") + kTitle + "\nsize 320 240\npage One\ncolor " +
                       std::to_string(Stored(kRed)) + "\n";
    for (const std::string& line : enter)
      spec += "enter " + line + "\n";
    for (const std::string& page : pages)
      spec += "page " + page + "\ncolor 16777215\n";
    show_ = root_ / "show";
    std::filesystem::create_directories(show_ / "Sub");
    for (const char* name : {"pick.txt", "other.txt", "picture.bmp", "Sub/inner.txt"})
      std::ofstream(show_ / name) << name;
    ASSERT_TRUE(WriteProjectFile(show_ / "show.qmd", BuildProjectFromSpec(spec), 29));
    StartPlayerOn((show_ / "show.qmd").string());
  }

  // The picker titled `title` once it is drawn on top, with the pointer over it (without a
  // window manager keys go to the window under the pointer). A picker of the first page's
  // script opens before the player window appears, which then brings the picker back on top:
  // `overPlayer` waits for the player window first.
  std::optional<XClient> WaitForPicker(const std::string& title, bool overPlayer = true) {
    std::optional<XWindowBox> player;
    if (overPlayer && !(player = WaitForWindow(kClientW * kScale, kClientH * kScale)))
      return std::nullopt;
    Display* dpy = x_->Connection();
    const auto deadline = Clock::now() + 15s;
    while (Clock::now() < deadline) {
      for (const XClient& c : FindClients(dpy, title)) {
        const bool onTop = !player || StackingIndex(dpy, c.frame) > StackingIndex(dpy, player->id);
        if (onTop && x_->ScreenPixel(c.x + 2, c.y + 2) == kBoxFace) {
          x_->MoveMouse(c.x + c.width / 2, c.y + 4);
          return c;
        }
      }
      std::this_thread::sleep_for(20ms);
    }
    return std::nullopt;
  }

  void Type(const std::string& text) { TypeText(x_->Connection(), text); }

  // Clicks (or double-clicks) at (x, y) until `done` says the click had its effect: a click
  // that a loaded machine delivered while the player window was briefly over the picker is
  // given again.
  bool ClickUntil(int x, int y, const std::function<bool()>& done, bool twice = false) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      if (twice)
        DoubleClick(x_->Connection(), x, y);
      else
        x_->Click(x, y);
      const auto deadline = Clock::now() + 3s;
      while (Clock::now() < deadline) {
        if (done())
          return true;
        std::this_thread::sleep_for(20ms);
      }
    }
    return false;
  }

  // The page a picked name leads to: "got-" followed by what the script read.
  static constexpr char kOpenThenShow[] =
      R"(OpenFile("Text Files (*.txt)|*.txt|All Files (*.*)|*.*||",""))";
  static std::vector<std::string> ShowPicked(const char* variable) {
    return {std::string("n$='got-'+") + variable, "Page(\"n$\")"};
  }

  std::filesystem::path show_;
};

TEST_F(PickerWindowTest, FilePickedWithKeysThroughASubFolder) {
  std::vector<std::string> enter = {kOpenThenShow};
  for (const std::string& line : ShowPicked("CBK_OpenFile"))
    enter.push_back(line);
  StartShow(enter, {"got-inner.txt", "got-"});
  const auto picker = WaitForPicker("Open");
  ASSERT_TRUE(picker) << "no open picker appeared" << Diagnostics();
  // The picker is the player's modal dialog, centred over it.
  Display* dpy = x_->Connection();
  const auto window = WaitForWindow(kClientW * kScale, kClientH * kScale);
  ASSERT_TRUE(window) << Diagnostics();
  EXPECT_EQ(TransientFor(dpy, picker->client), window->id);
  EXPECT_TRUE(HasAtom(dpy, picker->client, "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DIALOG"));
  EXPECT_TRUE(HasAtom(dpy, picker->client, "_NET_WM_STATE", "_NET_WM_STATE_MODAL"));
  const std::vector<long> motif = PropertyItems(dpy, picker->client, "_MOTIF_WM_HINTS");
  ASSERT_EQ(motif.size(), 5u);
  EXPECT_EQ(motif[1] & (8 | 16), 0) << "minimise or maximise allowed";
  EXPECT_NEAR(picker->x + picker->width / 2, window->x + window->width / 2, 2);
  EXPECT_NEAR(picker->y + picker->height / 2, window->y + window->height / 2, 2);

  // A folder typed and Enter opens it; a name there and Enter chooses the file.
  Type("sub");
  x_->PressKey(XK_Return);
  Type("INNER.TXT");
  x_->PressKey(XK_Return);
  ASSERT_TRUE(player_.WaitForLine(PageLine("got-inner.txt"), Clock::now() + 10s))
      << "the picked name did not reach CBK_OpenFile" << Diagnostics();
  CloseAndExpectExit();
}

TEST_F(PickerWindowTest, FilePickedWithADoubleClick) {
  std::vector<std::string> enter = {kOpenThenShow};
  for (const std::string& line : ShowPicked("CBK_OpenFile"))
    enter.push_back(line);
  StartShow(enter, {"got-pick.txt", "got-"});
  const auto picker = WaitForPicker("Open");
  ASSERT_TRUE(picker) << Diagnostics();
  // Rows: Sub, other.txt, pick.txt (the picture is not a text file).
  const auto [rowX, rowY] = At(*picker, FilePickerView::kWidth, 60, kListTop + 2 * kRowHeight + 9);
  ASSERT_TRUE(ClickUntil(
      rowX, rowY, [&] { return player_.WaitForLine(PageLine("got-pick.txt"), Clock::now() + 1s); },
      true))
      << Diagnostics();
  CloseAndExpectExit();
}

// Saving over a file that is there asks first; No (the default) goes back to the picker.
TEST_F(PickerWindowTest, SaveOverAnExistingFileAsksFirst) {
  std::vector<std::string> enter = {R"(SaveFile("Text Files (*.txt)|*.txt||",""))"};
  for (const std::string& line : ShowPicked("CBK_OpenFile"))
    enter.push_back(line);
  StartShow(enter, {"got-pick.txt", "got-"});
  const auto picker = WaitForPicker("Save As");
  ASSERT_TRUE(picker) << Diagnostics();
  // The question is a box of its own, titled as the picker and drawn at the player's scale.
  const uint32_t style = mb::kYesNo | mb::kIconWarning | 0x100;
  MessageBoxPainter painter;
  MessageBoxControl control(style);
  const MessageBoxLayout layout = painter.Layout(
      "pick.txt already exists.\nDo you want to replace it?", style, control, "Save As");
  // Whether the box (or, with `box` false, the picker) is shown, with the pointer over it.
  std::optional<XClient> shown;
  auto showing = [&](bool box) {
    const auto deadline = Clock::now() + 5s;
    while (Clock::now() < deadline) {
      for (const XClient& c : FindClients(x_->Connection(), "Save As")) {
        const bool isBox = c.width == layout.width * kScale;
        if (isBox == box && (box || c.width == picker->width) &&
            x_->ScreenPixel(c.x + 2, c.y + 2) == kBoxFace) {
          x_->MoveMouse(c.x + 5, c.y + 5);
          shown = c;
          return true;
        }
      }
      std::this_thread::sleep_for(20ms);
    }
    return false;
  };
  // A key lost on a loaded machine is pressed again.
  auto pressUntil = [&](KeySym key, bool box) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      x_->PressKey(key);
      if (showing(box))
        return true;
    }
    return false;
  };
  Type("pick.txt");
  ASSERT_TRUE(pressUntil(XK_Return, true)) << "no question before replacing" << Diagnostics();
  // Enter answers No, the default: back to the picker, nothing chosen.
  ASSERT_TRUE(pressUntil(XK_Return, false)) << "No did not go back to the picker" << Diagnostics();
  EXPECT_FALSE(player_.WaitForLine(PageLine("got-pick.txt"), Clock::now() + 500ms));
  // The name is still there: Enter asks again, and Yes replaces the file.
  ASSERT_TRUE(pressUntil(XK_Return, true)) << Diagnostics();
  const IntRect& yes = layout.buttons[0];
  const int x = shown->x + (yes.left + yes.right) / 2 * kScale;
  const int y = shown->y + (yes.top + yes.bottom) / 2 * kScale;
  ASSERT_TRUE(ClickUntil(x, y, [&] {
    return player_.WaitForLine(PageLine("got-pick.txt"), Clock::now() + 1s);
  })) << Diagnostics();
  CloseAndExpectExit();
}

TEST_F(PickerWindowTest, CancelledPickerLeavesTheVariablesEmpty) {
  std::vector<std::string> enter = {kOpenThenShow};
  for (const std::string& line : ShowPicked("OpenFile$"))
    enter.push_back(line);
  StartShow(enter, {"got-"});
  const auto picker = WaitForPicker("Open");
  ASSERT_TRUE(picker) << Diagnostics();
  Type("pick.txt");
  x_->PressKey(XK_Escape);
  ASSERT_TRUE(player_.WaitForLine(PageLine("got-"), Clock::now() + 10s)) << Diagnostics();
  CloseAndExpectExit();
}

TEST_F(PickerWindowTest, ColourPickedFromThePaletteAndTypedIntoAField) {
  std::vector<std::string> enter = {"ColorPicker()"};
  for (const std::string& line : ShowPicked("CBK_SelColor"))
    enter.push_back(line);
  StartShow(enter, {"got-255,128,0", "got-"});
  const auto picker = WaitForPicker("Colour");
  ASSERT_TRUE(picker) << Diagnostics();
  // Over the player at 2x the picker is drawn at 2x.
  EXPECT_EQ(picker->width, ColourPickerView::kWidth * kScale);
  EXPECT_EQ(picker->height, ColourPickerView::kHeight * kScale);
  // Red, the first colour of the second row, shows in the preview; then 128 typed into the
  // green field; then OK.
  const auto [previewX, previewY] = At(*picker, ColourPickerView::kWidth, 310, 60);
  const auto [redX, redY] = At(*picker, ColourPickerView::kWidth, 10 + 12, 28 + 24 + 10);
  ASSERT_TRUE(ClickUntil(redX, redY, [&] { return x_->ScreenPixel(previewX, previewY) == kRed; }))
      << Diagnostics();
  const auto [greenX, greenY] = At(*picker, ColourPickerView::kWidth, 300 + 30, 110 + 30 + 11);
  x_->Click(greenX, greenY);
  Type("128");
  EXPECT_TRUE(WaitForPixel(previewX, previewY, 0xFF8000)) << Diagnostics();
  const auto [okX, okY] = At(*picker, ColourPickerView::kWidth, 55, 224);
  ASSERT_TRUE(ClickUntil(okX, okY, [&] {
    return player_.WaitForLine(PageLine("got-255,128,0"), Clock::now() + 1s);
  })) << Diagnostics();
  CloseAndExpectExit();
}

TEST_F(PickerWindowTest, FontPickedWithKeys) {
  std::vector<std::string> enter = {"FontPicker()"};
  for (const std::string& line : ShowPicked("CBK_Font"))
    enter.push_back(line);
  StartShow(enter, {"got-DejaVu Sans|BOLD|12|0|NONE|", "got-"});
  const auto picker = WaitForPicker("Font");
  ASSERT_TRUE(picker) << Diagnostics();
  // The family typed into the list, the size field left at 12, Bold ticked with Space.
  Type("dejavu sans");
  x_->PressKey(XK_Tab);
  x_->PressKey(XK_Tab);
  x_->PressKey(XK_space);
  x_->PressKey(XK_Return);
  ASSERT_TRUE(player_.WaitForLine(PageLine("got-DejaVu Sans|BOLD|12|0|NONE|"), Clock::now() + 10s))
      << Diagnostics();
  CloseAndExpectExit();
}

// Without a document the player asks for one, and plays what is picked.
TEST_F(PickerWindowTest, StartWithoutADocumentOpensThePicker) {
  std::filesystem::create_directories(root_ / "show");
  ASSERT_TRUE(WriteProjectFile(root_ / "show" / "show.qmd", TwoPageProject(), 29));
  StartPlayerOn("");
  const auto picker = WaitForPicker("Open a presentation", false);
  ASSERT_TRUE(picker) << "no picker appeared" << Diagnostics();
  const std::string path = (root_ / "show" / "show.qmd").string();
  Type(path);
  x_->PressKey(XK_Return);
  bool playing = player_.WaitForLine(PageLine("One"), Clock::now() + 10s);
  if (!playing && !FindClients(x_->Connection(), "Open a presentation").empty()) {
    // A key lost on a loaded machine: the name is typed again.
    for (size_t i = 0; i < path.size() + 8; ++i)
      x_->PressKey(XK_BackSpace);
    Type(path);
    x_->PressKey(XK_Return);
    std::cerr << "the path was typed again\n";
  }
  playing = playing || player_.WaitForLine(PageLine("One"), Clock::now() + 20s);
  ASSERT_TRUE(playing) << Diagnostics();
  CloseAndExpectExit();
}

TEST_F(PickerWindowTest, BadFilePickedAtStartIsExplainedAndThePickerComesBack) {
  const std::string bad = (root_ / "bad.qmd").string();
  std::ofstream(bad) << "not a presentation";
  StartPlayerOn("");
  const auto picker = WaitForPicker("Open a presentation", false);
  ASSERT_TRUE(picker) << "no picker appeared" << Diagnostics();
  Type(bad);
  x_->PressKey(XK_Return);
  // The box says what is wrong with the file; once answered, the picker is back.
  std::optional<XClient> box;
  const auto deadline = Clock::now() + 20s;
  while (Clock::now() < deadline && !box) {
    for (const XClient& c : FindClients(x_->Connection(), "QLM Player")) {
      if (x_->ScreenPixel(c.x + 2, c.y + 2) == kBoxFace)
        box = c;
    }
    std::this_thread::sleep_for(50ms);
  }
  ASSERT_TRUE(box) << "no message box" << Diagnostics();
  EXPECT_TRUE(WaitForError(bad)) << Diagnostics();
  x_->MoveMouse(box->x + 5, box->y + 5);
  x_->PressKey(XK_Return);
  ASSERT_TRUE(WaitForPicker("Open a presentation", false)) << "no second picker" << Diagnostics();
  x_->PressKey(XK_Escape);
  EXPECT_EQ(player_.Wait(Clock::now() + 10s), 1) << Diagnostics();
}

TEST_F(PickerWindowTest, StartWithoutADocumentEndsWhenThePickerIsCancelled) {
  StartPlayerOn("");
  const auto picker = WaitForPicker("Open a presentation", false);
  ASSERT_TRUE(picker) << Diagnostics();
  x_->PressKey(XK_Escape);
  EXPECT_EQ(player_.Wait(Clock::now() + 10s), 1) << Diagnostics();
  EXPECT_TRUE(WaitForError("qlmplayer: no presentation was chosen")) << Diagnostics();
}

// With a window manager: a click on the player leaves its message box on top of it, in a
// window and in full screen.
class ModalStackingTest : public PickerWindowTest {
 protected:
  void TearDown() override {
    player_.Stop();
    wm_.Stop();
    PickerWindowTest::TearDown();
  }

  void StartWindowManager() {
    const std::optional<bool> started = StartOpenbox(wm_, x_->Connection(), display_, root_);
    if (!started)
      GTEST_SKIP() << "openbox is not installed (scripts/install-deps.sh installs it)";
    ASSERT_TRUE(*started) << "openbox did not start";
  }

  void BoxStaysOnTopAfterAClickOnThePlayer(int playerW, int playerH) {
    StartWindowManager();
    if (IsSkipped())
      return;
    StartPlayer(TwoPageProject({"Message(\"Stay on top\",\"\")", "NextPage()"}));
    Display* dpy = x_->Connection();
    XClient player, box;
    const auto deadline = Clock::now() + 20s;
    while (Clock::now() < deadline && !(player.client && box.client)) {
      player = box = XClient{};
      for (const XClient& c : FindClients(dpy, kTitle)) {
        if (c.width == playerW && c.height == playerH)
          player = c;
        else
          box = c;
      }
      std::this_thread::sleep_for(20ms);
    }
    ASSERT_TRUE(player.client && box.client) << "no player and box" << Diagnostics();
    EXPECT_EQ(TransientFor(dpy, box.client), player.client);
    // Centred over the player; the manager may move it down by up to its title bar.
    EXPECT_NEAR(box.x + box.width / 2, player.x + player.width / 2, 2);
    EXPECT_NEAR(box.y + box.height / 2, player.y + player.height / 2, 32);

    // A click on the player's corner, away from the box.
    x_->Click(player.x + 4, player.y + 4);
    std::this_thread::sleep_for(300ms);
    const auto settle = Clock::now() + 5s;
    bool onTop = false;
    while (Clock::now() < settle && !onTop) {
      onTop = StackingIndex(dpy, box.frame) > StackingIndex(dpy, player.frame);
      std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(onTop) << "the player came over its message box" << Diagnostics();

    // The box still takes the keyboard: Enter answers it and the script goes on.
    x_->MoveMouse(box.x + 5, box.y + 5);
    x_->PressKey(XK_Return);
    ASSERT_TRUE(player_.WaitForLine(PageLine("Two"), Clock::now() + 10s)) << Diagnostics();
    x_->RequestClose(player.client);
    EXPECT_EQ(player_.Wait(Clock::now() + 10s), 0) << Diagnostics();
  }

  ChildProcess wm_;
};

TEST_F(ModalStackingTest, MessageBoxStaysOverThePlayerWindow) {
  BoxStaysOnTopAfterAClickOnThePlayer(kClientW * kScale, kClientH * kScale);
}

TEST_F(ModalStackingTest, MessageBoxStaysOverTheFullScreenPlayer) {
  extraArgs_ = {"--fullscreen"};
  BoxStaysOnTopAfterAClickOnThePlayer(1024, 768);
}

// Windows as a window manager places them.
class ManagedWindowTest : public ModalStackingTest {};

TEST_F(ManagedWindowTest, PresentationLargerThanTheScreenIsScaledDownInsideTheWorkArea) {
  StartWindowManager();
  if (IsSkipped())
    return;
  // 1600 x 1200 on the 1024 x 768 screen, at scale 1.
  StartPlayer(
      BuildProjectFromSpec(std::string("title ") + kTitle + "\nsize 1600 1200\npage One\ncolor " +
                           std::to_string(Stored(kRed)) + "\n"),
      1);
  ASSERT_TRUE(player_.WaitForLine(PageLine("One"), Clock::now() + 20s)) << Diagnostics();
  EXPECT_TRUE(WaitForError("the window is scaled down to fit")) << Diagnostics();
  Display* dpy = x_->Connection();
  // The whole frame, title bar included, on the screen, and the picture whole inside it.
  XClient player;
  XWindowAttributes frame{};
  bool inside = false;
  const auto deadline = Clock::now() + 10s;
  while (Clock::now() < deadline && !inside) {
    std::this_thread::sleep_for(50ms);
    const std::vector<XClient> found = FindClients(dpy, kTitle);
    if (found.size() != 1 || !XGetWindowAttributes(dpy, found[0].frame, &frame))
      continue;
    player = found[0];
    inside = frame.x >= 0 && frame.y >= 0 && frame.x + frame.width <= 1024 &&
             frame.y + frame.height <= 768 && player.y > frame.y &&
             std::abs(player.width * 1200 - player.height * 1600) <= 1600;
  }
  EXPECT_TRUE(inside) << "frame " << frame.width << "x" << frame.height << "+" << frame.x << "+"
                      << frame.y << ", client " << player.width << "x" << player.height << "+"
                      << player.x << "+" << player.y << Diagnostics();
  EXPECT_TRUE(WaitForPixel(player.x + player.width - 2, player.y + player.height - 2, kRed))
      << Diagnostics();
  x_->RequestClose(player.client);
  EXPECT_EQ(player_.Wait(Clock::now() + 10s), 0) << Diagnostics();
}

// Input fields, the clipboard, the fields' pop-up menu and the wheel, through a real X server.

// Page One: white, two fields (Name$ at 20,20 - 220,48 holding `nameText`, Copy$ at 20,60 -
// 220,88), a list box of twenty rows (Rows at 20,100 - 200,200) and an Enter shortcut that goes
// to the page named by the variable `pageVariable`. Page two: blue. (Typed words are lower
// case: SDL under Xvfb can report Shift as held after the first XTEST Shift release.)
// `go`: the lines of the Enter shortcut's script.
std::string FieldsSpec(const std::string& nameText, const std::vector<std::string>& go) {
  std::string spec = std::string("title ") + kTitle + "\nsize 320 240\npage One\ncolor 0xFFFFFF\n";
  spec +=
      "enter Names$='One;Two;Three;Four;Five;Six;Seven;Eight;Nine;Ten;Eleven;Twelve;Thirteen;"
      "Fourteen;Fifteen;Sixteen;Seventeen;Eighteen;Nineteen;Twenty'\n"
      "enter ListBoxAddItem(\"Rows\",\"Names$,;\")\n";
  for (const char* field : {"Name$ 20 20 220 48", "Copy$ 20 60 220 88"}) {
    spec += std::string("object 22 ") + field + (field[0] == 'N' ? " " + nameText : "") +
            "\ncolour 3 0x000000\nfont -16 Arial\n";
  }
  // 85 pixels inside the frame: five rows of a font 15 to 17 pixels high.
  spec += "object 29 Rows 20 100 200 189\nfont -14 Arial\n";
  spec += "object 17 Go 0 0 0 0\nstring 6 ENTER\nimagevalue 1 1\n";
  for (const std::string& line : go)
    spec += "script " + line + "\n";
  return spec;
}

Project FieldsProject(const std::string& nameText, const std::string& pageVariable) {
  return BuildProjectFromSpec(FieldsSpec(nameText, {"Page(\"" + pageVariable + "\")"}) +
                              "page two\ncolor " + std::to_string(Stored(kBlue)) + "\n");
}

// The fields project on the screen, its page One painted.
class DesktopFieldsTest : public DesktopWindowTest {
 protected:
  std::optional<XWindowBox> ShowFields(const std::string& nameText,
                                       const std::string& pageVariable) {
    StartPlayer(FieldsProject(nameText, pageVariable));
    if (!player_.WaitForLine(PageLine("One"), Clock::now() + 20s))
      return std::nullopt;
    const auto window = WaitForWindow(kClientW * kScale, kClientH * kScale);
    if (!window || !WaitForPixel(window->x + 1, window->y + 1, 0xFFFFFF))
      return std::nullopt;
    return window;
  }

  // A point of the client area on the screen.
  static std::pair<int, int> Screen(const XWindowBox& window, int cx, int cy) {
    return {window.x + cx * kScale, window.y + cy * kScale};
  }

  // The desktop's clipboard text, once it is `want` (it follows a key a moment later).
  std::string ClipboardBecomes(const std::string& want) {
    std::optional<std::string> text;
    for (int i = 0; i < 100 && text != want; ++i) {
      text = x_->ClipboardText();
      if (text != want)
        std::this_thread::sleep_for(50ms);
    }
    return text.value_or("(none)");
  }
};

TEST_F(DesktopFieldsTest, InputFieldEditedWithKeysFillsItsVariable) {
  const auto window = ShowFields("", "Name$");
  ASSERT_TRUE(window) << Diagnostics();
  x_->Click(window->x + 120 * kScale, window->y + 34 * kScale);
  // "twx", Backspace: "tw"; Home, Delete: "w"; "t" at the start, "o" at the end: "two".
  x_->TypeText("twx");
  x_->PressKey(XK_BackSpace);
  x_->PressKey(XK_Home);
  x_->PressKey(XK_Delete);
  x_->TypeText("t");
  x_->PressKey(XK_End);
  x_->TypeText("o");
  // Enter is not the field's: the page's shortcut goes to the page the field names.
  x_->PressKey(XK_Return);
  ASSERT_TRUE(player_.WaitForLine(PageLine("two"), Clock::now() + 10s)) << Diagnostics();
  x_->RequestClose(window->id);
  EXPECT_EQ(player_.Wait(Clock::now() + 10s), 0) << Diagnostics();
}

TEST_F(DesktopFieldsTest, PopUpMenuCopiesToTheDesktopClipboardAndControlVPastes) {
  const auto window = ShowFields("two", "Copy$");
  ASSERT_TRUE(window) << Diagnostics();
  auto screen = [&](int cx, int cy) { return Screen(*window, cx, cy); };
  // All of "two" selected, then the right button: the menu opens at the pointer.
  const auto [fx, fy] = screen(120, 34);
  x_->DoubleClick(fx, fy);
  x_->ClickButton(fx, fy, 3);
  const auto [mx, my] = screen(170, 50);
  ASSERT_TRUE(WaitForPixel(mx, my, 0xC0C0C0)) << "no pop-up menu" << Diagnostics();
  // Its first item, Copy: the text reaches the desktop's clipboard.
  const auto [cx, cy] = screen(160, 42);
  x_->Click(cx, cy);
  EXPECT_EQ(ClipboardBecomes("two"), "two") << Diagnostics();
  // The menu is gone; Control+V in the second field pastes, and its variable names page two.
  ASSERT_TRUE(WaitForPixel(mx, my, 0xFFFFFF)) << "the menu stayed" << Diagnostics();
  const auto [px, py] = screen(120, 74);
  x_->Click(px, py);
  x_->PressChord({XK_Control_L}, XK_v);
  x_->PressKey(XK_Return);
  ASSERT_TRUE(player_.WaitForLine(PageLine("two"), Clock::now() + 10s)) << Diagnostics();
  x_->RequestClose(window->id);
  EXPECT_EQ(player_.Wait(Clock::now() + 10s), 0) << Diagnostics();
}

TEST_F(DesktopFieldsTest, ClipboardKeysCopyCutAndPasteAsAnEditBoxDoes) {
  const auto window = ShowFields("two", "Name$");
  ASSERT_TRUE(window) << Diagnostics();
  x_->Click(window->x + 120 * kScale, window->y + 34 * kScale);
  // Control+A selects all and Control+C copies it: the field keeps its text.
  x_->PressChord({XK_Control_L}, XK_a);
  x_->PressChord({XK_Control_L}, XK_c);
  EXPECT_EQ(ClipboardBecomes("two"), "two") << Diagnostics();
  // End, Control+V: "twotwo"; everything selected and Shift+Delete cuts it; Shift+Insert puts
  // it back.
  x_->PressKey(XK_End);
  x_->PressChord({XK_Control_L}, XK_v);
  x_->PressChord({XK_Control_L}, XK_a);
  x_->PressChord({XK_Shift_L}, XK_Delete);
  EXPECT_EQ(ClipboardBecomes("twotwo"), "twotwo") << Diagnostics();
  x_->PressChord({XK_Shift_L}, XK_Insert);
  // The first "two" selected: Control+Insert copies it, Control+X cuts it, leaving "two".
  x_->PressKey(XK_Home);
  for (int i = 0; i < 3; ++i)
    x_->PressChord({XK_Shift_L}, XK_Right);
  x_->PressChord({XK_Control_L}, XK_Insert);
  EXPECT_EQ(ClipboardBecomes("two"), "two") << Diagnostics();
  x_->PressChord({XK_Control_L}, XK_x);
  x_->PressKey(XK_Return);
  ASSERT_TRUE(player_.WaitForLine(PageLine("two"), Clock::now() + 10s)) << Diagnostics();
  x_->RequestClose(window->id);
  EXPECT_EQ(player_.Wait(Clock::now() + 10s), 0) << Diagnostics();
}

TEST_F(DesktopFieldsTest, PopUpMenuOfAnEmptyFieldPastesAndGreysWhatItCannotDo) {
  const auto window = ShowFields("two", "Copy$");
  ASSERT_TRUE(window) << Diagnostics();
  auto screen = [&](int cx, int cy) { return Screen(*window, cx, cy); };
  // "two" onto the clipboard, then the right button on the empty second field.
  const auto [nx, ny] = screen(120, 34);
  x_->DoubleClick(nx, ny);
  x_->PressChord({XK_Control_L}, XK_c);
  const auto [fx, fy] = screen(120, 74);
  x_->ClickButton(fx, fy, 3);
  const auto [mx, my] = screen(170, 90);
  ASSERT_TRUE(WaitForPixel(mx, my, 0xC0C0C0)) << "no pop-up menu" << Diagnostics();
  // Copy, Cut and Select all do nothing in an empty field: Down passes over them to Paste.
  x_->PressKey(XK_Down);
  x_->PressKey(XK_Return);
  ASSERT_TRUE(WaitForPixel(mx, my, 0xFFFFFF)) << "the menu stayed" << Diagnostics();
  x_->PressKey(XK_Return);
  ASSERT_TRUE(player_.WaitForLine(PageLine("two"), Clock::now() + 10s)) << Diagnostics();
  x_->RequestClose(window->id);
  EXPECT_EQ(player_.Wait(Clock::now() + 10s), 0) << Diagnostics();
}

TEST_F(DesktopFieldsTest, WheelScrollsTheListBoxUnderThePointerOnly) {
  const auto window = ShowFields("", "Name$");
  ASSERT_TRUE(window) << Diagnostics();
  // Waits until the window's picture is `want` (or is not, with `equal` false).
  auto waitForPicture = [&](const std::vector<uint32_t>& want, bool equal) {
    const auto deadline = Clock::now() + 10s;
    while (Clock::now() < deadline) {
      if ((x_->Capture(*window) == want) == equal)
        return true;
      std::this_thread::sleep_for(50ms);
    }
    return false;
  };
  std::this_thread::sleep_for(300ms);
  const std::vector<uint32_t> top = x_->Capture(*window);
  // Over the page's background the wheel does nothing.
  x_->Wheel(window->x + 260 * kScale, window->y + 150 * kScale, -1);
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(x_->Capture(*window), top) << "the wheel over nothing changed the picture";
  // Towards the user over the list: it scrolls down; away: back to the top.
  x_->Wheel(window->x + 100 * kScale, window->y + 150 * kScale, -1);
  EXPECT_TRUE(waitForPicture(top, false)) << "the list did not scroll" << Diagnostics();
  x_->Wheel(window->x + 100 * kScale, window->y + 150 * kScale, 1);
  EXPECT_TRUE(waitForPicture(top, true)) << "the list did not scroll back" << Diagnostics();
  x_->RequestClose(window->id);
  EXPECT_EQ(player_.Wait(Clock::now() + 10s), 0) << Diagnostics();
}

// Page One of the lists project: the fields project's two fields and list box (twenty rows,
// five in view), with an Enter shortcut that goes to the page named by Copy$ followed by the
// list's selected rows.
Project ListsProject(const std::vector<std::string>& pages) {
  std::string spec = FieldsSpec(
      "", {"ListBoxGetSelectedItems(\"Rows\",\"Sel$\")", "n$=Copy$+Sel$", "Page(\"n$\")"});
  for (const std::string& name : pages)
    spec += "page " + name + "\ncolor " + std::to_string(Stored(kBlue)) + "\n";
  return BuildProjectFromSpec(spec);
}

// The list box's scroll bar, in client pixels: x 183 to 197 inside the list's frame, its arrows
// 15 high at the top (from y 102) and the bottom (from y 172), the track between them. Twenty
// rows, five in view: a thumb 13 high, 42 pixels of room for the first row 0 to 15.
constexpr int kBarX = 190, kBarUp = 108, kTrackTop = 117;
constexpr int ThumbTop(int firstRow) {
  return kTrackTop + 42 * firstRow / 15;
}

TEST_F(DesktopFieldsTest, ListBoxScrollBarScrollsWithItsThumbTrackAndArrows) {
  StartPlayer(ListsProject({"Ten"}));
  ASSERT_TRUE(player_.WaitForLine(PageLine("One"), Clock::now() + 20s)) << Diagnostics();
  const auto window = WaitForWindow(kClientW * kScale, kClientH * kScale);
  ASSERT_TRUE(window && WaitForPixel(window->x + 1, window->y + 1, 0xFFFFFF)) << Diagnostics();
  auto at = [&](int cx, int cy) { return Screen(*window, cx, cy); };
  // Whether the thumb's face is at client row `cy` of the bar (or is not, with `face` false).
  auto thumbFaceAt = [&](int cy, bool face = true) {
    const auto [x, y] = at(kBarX, cy);
    const auto deadline = Clock::now() + 10s;
    while (Clock::now() < deadline) {
      lastPixel_ = x_->ScreenPixel(x, y);
      if ((lastPixel_ == 0xC0C0C0) == face)
        return true;
      std::this_thread::sleep_for(20ms);
    }
    return false;
  };
  // The thumb starts at the top of the track.
  ASSERT_TRUE(thumbFaceAt(ThumbTop(0) + 6)) << "no scroll bar" << Diagnostics();
  // Dragged past the bottom: rows 16 to 20 in view.
  const auto [tx, ty] = at(kBarX, ThumbTop(0) + 6);
  const auto [bx, by] = at(kBarX, 230);
  x_->Drag(tx, ty, bx, by);
  ASSERT_TRUE(thumbFaceAt(ThumbTop(15) + 6)) << "the thumb did not follow" << Diagnostics();
  // A press on the track above the thumb: a page up (rows 11 to 15); the up arrow: a row up.
  const auto [px, py] = at(kBarX, kTrackTop + 4);
  x_->Click(px, py);
  ASSERT_TRUE(thumbFaceAt(ThumbTop(10) + 8)) << Diagnostics();
  ASSERT_TRUE(thumbFaceAt(ThumbTop(15) + 6, false)) << Diagnostics();
  const auto [ux, uy] = at(kBarX, kBarUp);
  x_->Click(ux, uy);
  ASSERT_TRUE(thumbFaceAt(ThumbTop(9) + 2)) << Diagnostics();
  ASSERT_TRUE(thumbFaceAt(ThumbTop(10) + 8, false)) << Diagnostics();
  // The first row in view is now Ten: a click on it selects it, and Enter shows its page.
  const auto [rx, ry] = at(60, 108);
  x_->Click(rx, ry);
  x_->PressKey(XK_Return);
  ASSERT_TRUE(player_.WaitForLine(PageLine("Ten"), Clock::now() + 10s)) << Diagnostics();
  CloseAndExpectExit();
}

TEST_F(DesktopFieldsTest, ListBoxTakesKeysAndTypeAheadAndTabMovesTheFocus) {
  StartPlayer(ListsProject({"twoNine"}));
  ASSERT_TRUE(player_.WaitForLine(PageLine("One"), Clock::now() + 20s)) << Diagnostics();
  const auto window = WaitForWindow(kClientW * kScale, kClientH * kScale);
  ASSERT_TRUE(window && WaitForPixel(window->x + 1, window->y + 1, 0xFFFFFF)) << Diagnostics();
  const auto [rx, ry] = Screen(*window, 60, 108);
  x_->Click(rx, ry);  // One
  // End: Twenty; Home: One; Down twice: Three; Page Down (four rows on): Seven; "e": Eight.
  for (const KeySym key : {XK_End, XK_Home, XK_Down, XK_Down, XK_Next})
    x_->PressKey(key);
  x_->TypeText("e");
  // Tab from the list (the last of the page's fields and lists) wraps round to Name$, then
  // Copy$, which takes "two", then back to the list, where Down gives Nine.
  x_->PressKey(XK_Tab);
  x_->PressKey(XK_Tab);
  x_->TypeText("two");
  x_->PressKey(XK_Tab);
  x_->PressKey(XK_Down);
  x_->PressKey(XK_Return);
  ASSERT_TRUE(player_.WaitForLine(PageLine("twoNine"), Clock::now() + 10s)) << Diagnostics();
  CloseAndExpectExit();
}

// Without a sound device ALSA's own error lines stay off stderr; one line says sound is off.
TEST_F(DesktopWindowTest, NoSoundDeviceIsOneLine) {
  if (std::filesystem::exists("/dev/snd"))
    GTEST_SKIP() << "this machine has sound devices";
  extraEnv_ = {"SDL_AUDIODRIVER=alsa"};
  PlayDemoClip();
  ASSERT_TRUE(player_.WaitForLine(PageLine("One"), Clock::now() + 20s)) << Diagnostics();
  EXPECT_TRUE(WaitForError("; sound is off\n")) << Diagnostics();
  const auto window = WaitForWindow(kClientW, kClientH);
  ASSERT_TRUE(window) << Diagnostics();
  std::this_thread::sleep_for(500ms);
  x_->RequestClose(window->id);
  EXPECT_EQ(player_.Wait(Clock::now() + 10s), 0) << Diagnostics();
  std::ifstream in(root_ / "player.err");
  const std::string err((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(err.find("ALSA lib"), std::string::npos) << err;
  const size_t first = err.find("sound is off");
  EXPECT_EQ(err.find("sound is off", first + 1), std::string::npos) << err;
  EXPECT_NE(err.find("qlmplayer: no sound device (ALSA: "), std::string::npos) << err;
}

// The demo's clip played in a window: its pictures move on the screen and its sound reaches
// the audio output, here SDL's file-writing driver (signed 16-bit stereo at 48 kHz). The clip's
// sound is a quiet hum with a loud blip at every bounce, once a second from its start.
TEST_F(DesktopWindowTest, VideoPlaysInTheWindowWithItsSound) {
  const std::filesystem::path sound = root_ / "sound.raw";
  extraEnv_ = {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + sound.string()};
  PlayDemoClip();
  ASSERT_TRUE(player_.WaitForLine(PageLine("One"), Clock::now() + 20s)) << Diagnostics();
  const auto window = WaitForWindow(kClientW, kClientH);
  ASSERT_TRUE(window) << Diagnostics();
  // The sky's top left corner shows once the clip is composed into the page.
  ASSERT_TRUE(WaitForPixel(window->x + 20, window->y + 20, 0x5D98EA, 10s)) << Diagnostics();
  const std::vector<uint32_t> first = x_->Capture(*window);
  bool moved = false;
  for (int i = 0; i < 40 && !moved; ++i) {
    std::this_thread::sleep_for(50ms);
    moved = x_->Capture(*window) != first;
  }
  EXPECT_TRUE(moved) << "the picture stood still" << Diagnostics();
  std::this_thread::sleep_for(1500ms);
  x_->RequestClose(window->id);
  EXPECT_EQ(player_.Wait(Clock::now() + 10s), 0) << Diagnostics();

  std::ifstream in(sound, std::ios::binary);
  const std::string bytes(std::istreambuf_iterator<char>(in), {});
  const size_t samples = bytes.size() / 2;
  ASSERT_GT(samples, 48000u * 2) << "less than a second of sound was played";
  // Loudest sample of each tenth of a second: the blips stand far above the hum.
  std::vector<int> peaks;
  for (size_t from = 0; from + 9600 <= samples; from += 9600) {
    int peak = 0;
    for (size_t i = from; i < from + 9600; ++i) {
      const auto v = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                          static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
      peak = std::max(peak, std::abs(static_cast<int>(v)));
    }
    peaks.push_back(peak);
  }
  const int loudest = *std::max_element(peaks.begin(), peaks.end());
  const int quietest = *std::min_element(peaks.begin(), peaks.end());
  EXPECT_GT(loudest, 12000) << "no blip was heard";
  EXPECT_GT(quietest, 300) << "a tenth of a second without the hum: the sound stopped";
  EXPECT_LT(quietest, loudest / 4) << "no quiet stretch between the blips";
}

// Web-browser objects: the page renders into the object's rectangle of the window, a click on
// its "page:" link changes the presentation's page, and a page cannot leave the presentation's
// reach without the user's consent.
class DesktopBrowserTest : public PickerWindowTest {
 protected:
  // Page One, red, holds a browser object at (20, 20) - (300, 200) opening `html` (a fixture
  // copied beside the project) and a hot spot below it whose click runs `click`; page Two is
  // blue.
  void StartBrowserShow(const std::string& html, const std::string& click = "a=1") {
    if (!std::filesystem::exists(root_ / html)) {  // else the test wrote its own page
      std::filesystem::copy_file(
          std::filesystem::path(QLM_SOURCE_DIR) / "tests/desktop/browser" / html, root_ / html);
    }
    const std::string spec = std::string("title ") + kTitle + "\nsize 320 240\npage One\ncolor " +
                             std::to_string(Stored(kRed)) + "\nobject 25 Help 20 20 300 200 " +
                             html + "\nobject 4 Action 0 210 320 240\nscript " + click +
                             "\npage Two\ncolor " + std::to_string(Stored(kBlue)) + "\n";
    StartPlayer(BuildProjectFromSpec(spec));
  }
  std::string BrowserLine(const std::string& html) const {
    return "{\"event\":\"browser\",\"object\":\"Help\",\"url\":\"file://" +
           (root_ / html).string() + "\"}";
  }
};

TEST_F(DesktopBrowserTest, PageLinkClickedInTheRenderedPageChangesThePage) {
  StartBrowserShow("help.html");
  // The object opens its page as its page is shown, before that page is reported.
  ASSERT_TRUE(player_.WaitForLine(BrowserLine("help.html"), Clock::now() + 20s)) << Diagnostics();
  ASSERT_TRUE(player_.WaitForLine(PageLine("One"), Clock::now() + 20s)) << Diagnostics();
  const auto window = WaitForWindow(kClientW * kScale, kClientH * kScale);
  ASSERT_TRUE(window) << Diagnostics();
  // The page's green and its blue link are drawn into the object's rectangle, scaled.
  ASSERT_TRUE(WaitForPixel(window->x + 250 * kScale, window->y + 150 * kScale, kGreen, 30s))
      << Diagnostics();
  const int linkX = window->x + 70 * kScale, linkY = window->y + 50 * kScale;
  ASSERT_TRUE(WaitForPixel(linkX, linkY, kBlue)) << Diagnostics();
  EXPECT_TRUE(PlayerLoaded("qlm_browser.so"));
  // Outside the object the page's own red stays.
  EXPECT_TRUE(WaitForPixel(window->x + 10 * kScale, window->y + 10 * kScale, kRed));
  // The wheel scrolls the page: the link goes up out of sight and comes back.
  x_->Wheel(linkX, linkY, -2);
  EXPECT_TRUE(WaitForPixel(linkX, linkY, kGreen)) << Diagnostics();
  x_->Wheel(linkX, linkY, 4);
  ASSERT_TRUE(WaitForPixel(linkX, linkY, kBlue)) << Diagnostics();
  x_->Click(linkX, linkY);
  ASSERT_TRUE(player_.WaitForLine(PageLine("Two"), Clock::now() + 15s)) << Diagnostics();
  x_->RequestClose(window->id);
  EXPECT_EQ(player_.Wait(Clock::now() + 10s), 0) << Diagnostics();
}

// A click into the page's text box gives the page the keys: what is typed, and Backspace,
// reach the box, whose script follows a "page:" link once it holds "Go".
TEST_F(DesktopBrowserTest, KeysTypedIntoTheClickedPageReachItsTextBox) {
  StartBrowserShow("form.html");
  ASSERT_TRUE(player_.WaitForLine(PageLine("One"), Clock::now() + 20s)) << Diagnostics();
  const auto window = WaitForWindow(kClientW * kScale, kClientH * kScale);
  ASSERT_TRUE(window) << Diagnostics();
  ASSERT_TRUE(WaitForPixel(window->x + 250 * kScale, window->y + 150 * kScale, kGreen, 30s))
      << Diagnostics();
  x_->Click(window->x + 100 * kScale, window->y + 50 * kScale);
  std::this_thread::sleep_for(300ms);
  x_->TypeText("Gx");
  x_->PressKey(XK_BackSpace);
  x_->TypeText("o");
  ASSERT_TRUE(player_.WaitForLine(PageLine("Two"), Clock::now() + 15s)) << Diagnostics();
  x_->RequestClose(window->id);
  EXPECT_EQ(player_.Wait(Clock::now() + 10s), 0) << Diagnostics();
}

TEST_F(DesktopBrowserTest, RedirectOutOfThePresentationIsAskedAndDenied) {
  StartBrowserShow("escape.html");
  ASSERT_TRUE(player_.WaitForLine(BrowserLine("escape.html"), Clock::now() + 20s)) << Diagnostics();
  // The page's script goes to /etc/passwd: the player asks; Enter denies.
  const auto box = WaitForWindow(kClientW * kScale, kClientH * kScale, false, "QLM Player");
  ASSERT_TRUE(box) << "no consent box appeared" << Diagnostics();
  ASSERT_TRUE(WaitForPixel(box->x + 2, box->y + 2, kBoxFace, 15s)) << Diagnostics();
  x_->MoveMouse(box->x + 5, box->y + 5);
  x_->PressKey(XK_Return);
  ASSERT_TRUE(player_.WaitForLine(
      R"({"event":"blocked","what":"browse","path":"file:///etc/passwd"})", Clock::now() + 10s))
      << Diagnostics();
  // The object still shows the presentation's page.
  const auto window = WaitForWindow(kClientW * kScale, kClientH * kScale);
  ASSERT_TRUE(window) << Diagnostics();
  EXPECT_TRUE(WaitForPixel(window->x + 150 * kScale, window->y + 100 * kScale, kGreen, 15s))
      << Diagnostics();
  for (const std::string& line : player_.Seen())
    EXPECT_EQ(line.find("\"url\":\"file:///etc/passwd"), std::string::npos) << line;
  x_->RequestClose(window->id);
  EXPECT_EQ(player_.Wait(Clock::now() + 10s), 0) << Diagnostics();
}

TEST_F(DesktopBrowserTest, PrintGoesThroughThePrintDialogToThePdfFileChosenInThePicker) {
  StartBrowserShow("help.html", "Browser(\"Help\",\"print\")");
  const auto window = WaitForWindow(kClientW * kScale, kClientH * kScale);
  ASSERT_TRUE(window) << Diagnostics();
  ASSERT_TRUE(WaitForPixel(window->x + 250 * kScale, window->y + 150 * kScale, kGreen, 30s))
      << Diagnostics();
  x_->Click(window->x + 160 * kScale, window->y + 225 * kScale);
  // The engine lays the page out; the print dialog asks where to, and "Save as PDF..." (last,
  // after whatever queues the machine has) asks for the file.
  const auto dialog = WaitForPicker("Print");
  ASSERT_TRUE(dialog) << Diagnostics();
  for (int i = 0; i < 12; ++i)
    x_->PressKey(XK_Down);
  x_->PressKey(XK_Return);
  // The picker proposes the show's title in the presentation's folder; what the presentation
  // writes there lands in its overlay.
  const auto picker = WaitForPicker("Save as PDF");
  ASSERT_TRUE(picker) << Diagnostics();
  x_->PressKey(XK_Return);
  const std::string pdfName = std::string(kTitle) + ".pdf";
  std::string pdf;
  const auto deadline = Clock::now() + 30s;
  while (Clock::now() < deadline && !pdf.starts_with("%PDF")) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root_ / "home")) {
      if (entry.path().filename() == pdfName) {
        std::ifstream in(entry.path(), std::ios::binary);
        pdf.assign(std::istreambuf_iterator<char>(in), {});
      }
    }
    std::this_thread::sleep_for(100ms);
  }
  EXPECT_TRUE(pdf.starts_with("%PDF")) << Diagnostics();
  EXPECT_FALSE(std::filesystem::exists(root_ / pdfName)) << "the presentation's folder changed";
  x_->RequestClose(window->id);
  EXPECT_EQ(player_.Wait(Clock::now() + 10s), 0) << Diagnostics();
}

// A web server on this machine that counts the connections made to it.
class CountingServer {
 public:
  CountingServer() {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        listen(fd_, 8) != 0 || getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
      return;
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] {
      while (!stop_) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, 50) > 0) {
          const int client = accept(fd_, nullptr, nullptr);
          if (client >= 0) {
            ++connections_;
            close(client);
          }
        }
      }
    });
  }
  ~CountingServer() {
    stop_ = true;
    if (thread_.joinable())
      thread_.join();
    if (fd_ >= 0)
      close(fd_);
  }
  int Port() const { return port_; }
  int Connections() const { return connections_; }

 private:
  int fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> connections_{0};
  std::thread thread_;
};

// A page of the presentation that embeds a picture and fetches data from a web server: nothing
// reaches the server unless the presentation is trusted.
TEST_F(DesktopBrowserTest, PagesReachTheNetworkOnlyWhenTrusted) {
  for (const bool trusted : {false, true}) {
    SCOPED_TRACE(trusted ? "--trust" : "default");
    if (trusted) {
      TearDown();
      SetUp();
    }
    CountingServer server;
    ASSERT_GT(server.Port(), 0);
    const std::string web = "http://127.0.0.1:" + std::to_string(server.Port());
    std::ofstream(root_ / "remote.html")
        << "<html><body style=\"margin:0;background:#00ff00\"><img src=\"" << web
        << "/picture.png\"><script>fetch(\"" << web << "/data\").catch(function () {});"
        << "</script></body></html>";
    extraArgs_ = trusted ? std::vector<std::string>{"--trust"} : std::vector<std::string>{};
    StartBrowserShow("remote.html");
    const auto window = WaitForWindow(kClientW * kScale, kClientH * kScale);
    ASSERT_TRUE(window) << Diagnostics();
    ASSERT_TRUE(WaitForPixel(window->x + 250 * kScale, window->y + 150 * kScale, kGreen, 30s))
        << Diagnostics();
    const auto deadline = Clock::now() + (trusted ? 15s : 3s);
    while (server.Connections() == 0 && Clock::now() < deadline)
      std::this_thread::sleep_for(50ms);
    EXPECT_EQ(server.Connections() > 0, trusted) << Diagnostics();
    x_->RequestClose(window->id);
    EXPECT_EQ(player_.Wait(Clock::now() + 10s), 0) << Diagnostics();
  }
}

}  // namespace
}  // namespace qlm::test
