#pragma once

#include <SDL.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/CodePage.h"
#include "platform/EventLoop.h"

namespace qlm {

class SdlDisplay;
class SoundOffNotice;

// The event loop of the desktop: waits in SDL until the next timer (or at most
// kSourcePollMs while polled sources such as the instance-lock socket are registered) and turns
// SDL's events into the player's: mouse in client coordinates, Windows virtual keys, typed
// characters in the presentation's code page, the close box. Alt+Enter toggles full screen and
// is not passed on.
//
// Modal windows (message boxes) register themselves: their events go to their own handler and,
// while one is open, the player window gets no input, only its repaints.
class SdlEventLoop : public EventLoop {
 public:
  static constexpr uint64_t kSourcePollMs = 100;

  SdlEventLoop(Clock& clock, SdlDisplay& display, CodePage codePage);
  ~SdlEventLoop() override;

  using ModalHandler = std::function<void(const SDL_Event&)>;
  // The window `windowId` is modal until PopModal; the last pushed one gets the quit request
  // of the process (a signal) as well as its own events.
  void PushModal(uint32_t windowId, ModalHandler handler);
  void PopModal(uint32_t windowId);

  // Turns one SDL event into the loop's events (what CollectEvents does for each).
  void Translate(const SDL_Event& event);

  // Mouse buttons held, as the window system reports them.
  bool LeftDown() const { return leftDown_; }

  // Checked after each batch of events, so the line about sound comes once ALSA complained.
  void SetSoundNotice(SoundOffNotice* notice) { sound_ = notice; }

 protected:
  void WaitForEvents(uint64_t deadline) override;
  void CollectEvents() override;

 private:
  void TranslateWindowEvent(const SDL_WindowEvent& e);
  void TranslateMouseButton(const SDL_MouseButtonEvent& e);
  void TranslateKey(const SDL_KeyboardEvent& e);
  void TranslateWheel(const SDL_MouseWheelEvent& e);
  // The window of an input event, 0 when it has none.
  static uint32_t EventWindow(const SDL_Event& event);

  SdlDisplay& display_;
  CodePage codePage_;
  struct Modal {
    uint32_t windowId;
    ModalHandler handler;
  };
  std::vector<Modal> modals_;
  bool leftDown_ = false;
  SoundOffNotice* sound_ = nullptr;
};

}  // namespace qlm
