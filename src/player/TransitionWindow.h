#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "graphics/Surface.h"
#include "player/TransitionEffect.h"
#include "player/TransitionTiming.h"
#include "script/WindowTimers.h"

namespace qlm {

class Display;
class EventLoop;

// Shows a page transition over the player's client area: the old picture turns into the new
// one, one frame a tick of its own window timer. While it runs, the player window's paint
// draws nothing and the frames go straight to the display.
class TransitionWindow {
 public:
  // The transition's own window timer (the window's timer 1).
  static constexpr uint32_t kTimerId = window_timer::kTransition;

  // `finished` is called when a transition has run to its end, so that the player window
  // shows the current page again.
  TransitionWindow(EventLoop& loop, Display& display, std::function<void()> finished);
  ~TransitionWindow();
  TransitionWindow(const TransitionWindow&) = delete;
  TransitionWindow& operator=(const TransitionWindow&) = delete;

  // Keeps the picture shown now as the old picture and as the frame shown.
  void Capture(const Surface& shown);
  bool HasCapture() const { return !old_.Empty(); }

  // Starts turning the captured picture into `newPicture` with effect `type` over `duration`
  // milliseconds (negative: that many steps of 1 ms). False, and nothing runs, when the type
  // is not one this player draws or the new picture does not match the captured one in size.
  bool Start(Surface newPicture, int type, int32_t duration);
  // Ends a running transition at once.
  void Stop();
  // True when the id was the transition's timer.
  bool OnTimer(uint32_t id);

  bool Running() const { return running_; }
  int Type() const { return type_; }
  const TransitionTiming& Timing() const { return timing_; }
  int Remaining() const { return remaining_; }
  double Progress() const { return progress_; }
  // The frame shown while the transition runs.
  const Surface& Frame() const { return frame_; }

 private:
  void Present();
  void Finish();

  EventLoop& loop_;
  Display& display_;
  std::function<void()> finished_;
  bool running_ = false;
  int type_ = 0;
  Surface old_, new_, frame_;
  std::optional<TransitionEffect> effect_;
  TransitionTiming timing_;
  int remaining_ = 0;
  double progress_ = 0;
};

}  // namespace qlm
