#include "player/TransitionWindow.h"

#include "platform/Display.h"
#include "platform/EventLoop.h"

namespace qlm {

TransitionWindow::TransitionWindow(EventLoop& loop, Display& display,
                                   std::function<void()> finished)
    : loop_(loop), display_(display), finished_(std::move(finished)) {}

TransitionWindow::~TransitionWindow() {
  loop_.KillTimer(kTimerId);
}

void TransitionWindow::Capture(const Surface& shown) {
  old_ = shown;
  frame_ = shown;
}

bool TransitionWindow::Start(Surface newPicture, int type, int32_t duration) {
  if (running_ || !HasBuiltInTransition(type) || !HasCapture() ||
      newPicture.Width() != old_.Width() || newPicture.Height() != old_.Height()) {
    return false;
  }
  // A progress effect released its buffers when it finished; the frame starts as the old one.
  if (frame_.Width() != old_.Width() || frame_.Height() != old_.Height())
    frame_ = old_;
  new_ = std::move(newPicture);
  type_ = type;
  timing_ = ComputeTransitionTiming(type, duration);
  remaining_ = timing_.steps;
  progress_ = 0.0;
  if (!effect_ || effect_->Type() != type || effect_->Width() != old_.Width() ||
      effect_->Height() != old_.Height()) {
    effect_.emplace(type, old_.Width(), old_.Height());
  }
  running_ = true;
  Present();
  loop_.SetTimer(kTimerId, timing_.intervalMs);
  return true;
}

void TransitionWindow::Stop() {
  loop_.KillTimer(kTimerId);
  running_ = false;
}

bool TransitionWindow::OnTimer(uint32_t id) {
  if (id != kTimerId)
    return false;
  if (!running_) {
    loop_.KillTimer(kTimerId);
    return true;
  }
  if (IsStepTransition(type_)) {
    effect_->Draw(old_, new_, {timing_.steps, timing_.steps - remaining_, 0.0}, frame_);
    --remaining_;
    Present();
    if (remaining_ < 0)
      Finish();
    return true;
  }
  progress_ += timing_.increment;
  if (progress_ < 1.0) {
    effect_->Draw(old_, new_, {timing_.steps, 0, progress_}, frame_);
    Present();
    return true;
  }
  // Progress effects give their buffers back; the next capture makes new ones.
  old_ = Surface();
  new_ = Surface();
  frame_ = Surface();
  effect_.reset();
  Finish();
  return true;
}

void TransitionWindow::Present() {
  if (!frame_.Empty() && !display_.IsMinimized())
    display_.Present(frame_, 0, 0, frame_.Width(), frame_.Height());
}

void TransitionWindow::Finish() {
  loop_.KillTimer(kTimerId);
  running_ = false;
  if (finished_)
    finished_();
}

}  // namespace qlm
