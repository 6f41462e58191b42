// Page transitions of the player window: the old picture is kept before a page is left, the
// new page is composed off-screen, and the transition window turns one into the other.
#include <new>
#include <stdexcept>

#include "player/PlayerWindow.h"

namespace qlm {

void PlayerWindow::PrepareTransition() {
  if (TransitionRunning())
    return;
  const PageRecord* page = pages_.CurrentPage();
  // The page stores both as unsigned words; negative values have their own meanings.
  transitionType_ = page ? static_cast<int32_t>(page->transitionType) : 0;
  transitionDuration_ = page ? static_cast<int32_t>(page->transitionDuration) : 0;
  if (!HasBuiltInTransition(transitionType_) || frame_.Empty())
    return;
  if (!transition_) {
    transition_ = std::make_unique<TransitionWindow>(ctx_.loop, ctx_.display,
                                                     [this] { InvalidateAll(true); });
  }
  transition_->Capture(frame_);
}

bool PlayerWindow::StartTransition() {
  if (!transition_ || transition_->Running() || !transition_->HasCapture() ||
      !HasBuiltInTransition(transitionType_)) {
    return false;
  }
  // The new page is composed into the frame now but reaches the screen only through the
  // transition's frames.
  const int width = geometry_.ClientWidth(), height = geometry_.ClientHeight();
  const FrameSettings settings{width, height, noBackground_, frameBorder_};
  try {
    const IntRect done =
        composer_.Compose(frame_, {0, 0, width, height}, pages_, settings, paintRuntime_, &bubble_);
    if (done.Empty())
      return false;
    return transition_->Start(frame_, transitionType_, transitionDuration_);
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
}

void PlayerWindow::StopTransition() {
  if (!TransitionRunning())
    return;
  transition_->Stop();
  InvalidateAll(true);
}

}  // namespace qlm
