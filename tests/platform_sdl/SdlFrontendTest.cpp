// The frontend's window and event loop on SDL's off-screen video driver: real SDL windows,
// renderers and event queues, no display needed.

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/KeyNames.h"
#include "platform/sdl/SdlClock.h"
#include "platform/sdl/SdlDisplay.h"
#include "platform/sdl/SdlEventLoop.h"
#include "platform/sdl/SdlVideo.h"

namespace qlm {
namespace {

struct Recorder : EventHandler {
  std::vector<Event> events;
  std::vector<uint32_t> timers;
  void OnTimer(uint32_t id) override { timers.push_back(id); }
  void OnMessage(const WindowMessage& m) override { events.emplace_back(m); }
  void OnMouse(const MouseEvent& e) override { events.emplace_back(e); }
  void OnKey(const KeyEvent& e) override { events.emplace_back(e); }
  void OnChar(const CharEvent& e) override { events.emplace_back(e); }
  void OnClose() override { events.emplace_back(CloseEvent{}); }
};

class SdlFrontendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    std::string error;
    video_ = SdlVideo::Open(error);
    if (!video_)
      GTEST_SKIP() << "SDL's off-screen video driver is not available: " << error;
    display_ = std::make_unique<SdlDisplay>(SdlScaling{2, false, std::nullopt}, CodePage());
    display_->SetClientSize(320, 240);
    loop_ = std::make_unique<SdlEventLoop>(clock_, *display_, CodePage());
    loop_->SetHandler(&recorder_);
  }
  void TearDown() override {
    loop_.reset();
    display_.reset();
    video_.reset();
  }

  SDL_Event Button(Uint32 type, Uint8 button, int x, int y, Uint8 clicks = 1) {
    SDL_Event e{};
    e.button.type = type;
    e.button.windowID = display_->WindowId();
    e.button.button = button;
    e.button.clicks = clicks;
    e.button.x = x;
    e.button.y = y;
    return e;
  }
  SDL_Event Key(Uint32 type, SDL_Scancode sc, SDL_Keycode sym, Uint16 mod) {
    SDL_Event e{};
    e.key.type = type;
    e.key.windowID = display_->WindowId();
    e.key.keysym.scancode = sc;
    e.key.keysym.sym = sym;
    e.key.keysym.mod = mod;
    return e;
  }
  // Everything the loop dispatched so far.
  std::vector<Event> Drain() {
    loop_->Pump();
    return std::exchange(recorder_.events, {});
  }

  std::unique_ptr<SdlVideo> video_;
  SdlClock clock_;
  std::unique_ptr<SdlDisplay> display_;
  std::unique_ptr<SdlEventLoop> loop_;
  Recorder recorder_;
};

TEST_F(SdlFrontendTest, MouseButtonsMapToClientCoordinatesThroughTheScale) {
  EXPECT_EQ(display_->ClientWidth(), 320);
  EXPECT_DOUBLE_EQ(display_->Factor(), 2.0);
  loop_->Translate(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 201, 159));
  loop_->Translate(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 201, 159));
  loop_->Translate(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 201, 159, 2));
  loop_->Translate(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 201, 159, 3));
  loop_->Translate(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 0, 0));
  loop_->Translate(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, -3, 700));
  loop_->Translate(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 5, 5));
  const std::vector<Event> events = Drain();
  const std::vector<std::tuple<MouseAction, int, int>> expected = {
      {MouseAction::kLeftDown, 100, 79},        {MouseAction::kLeftUp, 100, 79},
      {MouseAction::kLeftDoubleClick, 100, 79}, {MouseAction::kLeftDown, 100, 79},
      {MouseAction::kRightDown, 0, 0},          {MouseAction::kRightUp, -2, 350},
  };
  ASSERT_EQ(events.size(), expected.size());
  for (size_t i = 0; i < events.size(); ++i) {
    const auto* m = std::get_if<MouseEvent>(&events[i]);
    ASSERT_NE(m, nullptr) << i;
    EXPECT_EQ(std::make_tuple(m->action, m->x, m->y), expected[i]) << i;
  }
}

TEST_F(SdlFrontendTest, KeysTextAndTheCloseBox) {
  loop_->Translate(Key(SDL_KEYDOWN, SDL_SCANCODE_KP_4, SDLK_KP_4, KMOD_NONE));
  loop_->Translate(Key(SDL_KEYDOWN, SDL_SCANCODE_C, SDLK_c, KMOD_LCTRL));
  loop_->Translate(Key(SDL_KEYUP, SDL_SCANCODE_C, SDLK_c, KMOD_LCTRL));
  SDL_Event text{};
  text.text.type = SDL_TEXTINPUT;
  text.text.windowID = display_->WindowId();
  std::snprintf(text.text.text, sizeof text.text.text, "%s", "\xC3\xA9\xE2\x82\xAC");  // é, euro
  loop_->Translate(text);
  SDL_Event close{};
  close.window.type = SDL_WINDOWEVENT;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  close.window.windowID = display_->WindowId();
  loop_->Translate(close);
  // Another window's input is not the player's.
  SDL_Event other = Key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a, KMOD_NONE);
  other.key.windowID = display_->WindowId() + 100;
  loop_->Translate(other);

  const std::vector<Event> events = Drain();
  ASSERT_EQ(events.size(), 7u);
  EXPECT_EQ(std::get<KeyEvent>(events[0]).vk, vk::kLeft);  // Num Lock off
  const KeyEvent ctrlC = std::get<KeyEvent>(events[1]);
  EXPECT_EQ(ctrlC.vk, static_cast<uint32_t>('C'));
  EXPECT_TRUE(ctrlC.modifiers.ctrl);
  EXPECT_EQ(std::get<CharEvent>(events[2]).ch, 3);  // Control+C types ETX, as on Windows
  EXPECT_EQ(std::get<KeyEvent>(events[3]).action, KeyAction::kUp);
  EXPECT_EQ(std::get<CharEvent>(events[4]).ch, 0xE9);  // Windows-1252
  EXPECT_EQ(std::get<CharEvent>(events[5]).ch, 0x80);
  EXPECT_TRUE(std::holds_alternative<CloseEvent>(events[6]));
}

TEST_F(SdlFrontendTest, AltEnterTogglesFullScreenWithoutReachingThePlayer) {
  EXPECT_FALSE(display_->IsFullScreen());
  loop_->Translate(Key(SDL_KEYDOWN, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT));
  loop_->Translate(Key(SDL_KEYUP, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT));
  EXPECT_TRUE(display_->IsFullScreen());
  EXPECT_TRUE(Drain().empty());
  loop_->Translate(Key(SDL_KEYDOWN, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_RALT));
  EXPECT_FALSE(display_->IsFullScreen());
  // Enter alone is a key.
  loop_->Translate(Key(SDL_KEYDOWN, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_NONE));
  const std::vector<Event> events = Drain();
  ASSERT_EQ(events.size(), 2u);  // the key and its character
  EXPECT_EQ(std::get<KeyEvent>(events[0]).vk, vk::kReturn);
}

TEST_F(SdlFrontendTest, ModalWindowTakesItsEventsAndThePlayerGetsNoInput) {
  std::vector<Uint32> modalTypes;
  const uint32_t modalId = display_->WindowId() + 7;
  loop_->PushModal(modalId, [&](const SDL_Event& e) { modalTypes.push_back(e.type); });
  SDL_Event toModal = Key(SDL_KEYDOWN, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_NONE);
  toModal.key.windowID = modalId;
  loop_->Translate(toModal);
  loop_->Translate(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 10));  // the player's window
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  loop_->Translate(quit);  // a signal asks the box to close, not the player
  EXPECT_TRUE(Drain().empty());
  EXPECT_EQ(modalTypes, (std::vector<Uint32>{SDL_KEYDOWN, SDL_QUIT}));
  loop_->PopModal(modalId);
  loop_->Translate(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 10));
  EXPECT_EQ(Drain().size(), 1u);
}

TEST_F(SdlFrontendTest, PresentKeepsTheDirtyRectangleOnly) {
  Surface frame(320, 240, 0x112233);
  display_->Present(frame, 0, 0, 320, 240);
  frame.Fill(0x445566);
  display_->Present(frame, 10, 20, 5, 4);
  // A box reaching past the frame is cut to it.
  display_->Present(frame, 318, 238, 50, 50);
  EXPECT_TRUE(display_->Shown());
  EXPECT_EQ(display_->Frame().Pixel(10, 20), 0x445566u);
  EXPECT_EQ(display_->Frame().Pixel(14, 23), 0x445566u);
  EXPECT_EQ(display_->Frame().Pixel(15, 23), 0x112233u);
  EXPECT_EQ(display_->Frame().Pixel(14, 24), 0x112233u);
  EXPECT_EQ(display_->Frame().Pixel(319, 239), 0x445566u);
  // A new client size keeps what fits of the picture.
  display_->SetClientSize(100, 50);
  EXPECT_EQ(display_->Frame().Pixel(12, 21), 0x445566u);
  EXPECT_EQ(display_->Frame().Width(), 100);
}

// An unscaled window is shown through its own surface; what was presented while it was scaled
// (full screen) is there too once it is unscaled again.
TEST_F(SdlFrontendTest, UnscaledWindowShowsPresentsThroughItsSurface) {
  SdlDisplay display(SdlScaling{}, CodePage());
  display.SetClientSize(40, 30);
  SDL_Window* window = SDL_GetWindowFromID(display.WindowId());
  ASSERT_NE(window, nullptr);
  auto shown = [&](int x, int y) {
    SDL_Surface* s = SDL_GetWindowSurface(window);
    if (!s)
      return 0xFFFFFFFFu;
    SDL_Color c{};
    const auto* p =
        static_cast<const uint8_t*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
    uint32_t raw = 0;
    std::memcpy(&raw, p, s->format->BytesPerPixel);
    SDL_GetRGB(raw, s->format, &c.r, &c.g, &c.b);
    return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
  };
  Surface frame(40, 30, 0x102030);
  display.Present(frame, 0, 0, 40, 30);
  EXPECT_EQ(shown(0, 0), 0x102030u);
  EXPECT_EQ(shown(39, 29), 0x102030u);
  frame.Fill(0x405060);
  display.Present(frame, 5, 6, 3, 2);
  EXPECT_EQ(shown(5, 6), 0x405060u);
  EXPECT_EQ(shown(7, 7), 0x405060u);
  EXPECT_EQ(shown(8, 7), 0x102030u);
  EXPECT_EQ(shown(7, 8), 0x102030u);

  display.ToggleFullScreen();
  display.Present(frame, 20, 10, 4, 4);
  display.ToggleFullScreen();
  display.Present(frame, 0, 0, 1, 1);
  EXPECT_EQ(shown(21, 11), 0x405060u);
  EXPECT_EQ(shown(0, 0), 0x405060u);
  EXPECT_EQ(shown(30, 20), 0x102030u);
}

TEST_F(SdlFrontendTest, TimersFireOnSdlTicks) {
  // Read the clock before arming: a tick between the two would make a timer that fires on
  // time look early.
  const uint64_t start = loop_->TickCount();
  loop_->SetTimer(42, 30);
  while (recorder_.timers.empty() && loop_->TickCount() < start + 2000)
    loop_->WaitUntil(start + 2000);
  ASSERT_EQ(recorder_.timers, std::vector<uint32_t>{42});
  EXPECT_GE(loop_->TickCount(), start + 30);
}

}  // namespace
}  // namespace qlm
