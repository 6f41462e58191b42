#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "graphics/GifAnimation.h"

namespace qlm {

// An animated GIF object at run time: its decoded animation, the screen at the frame shown and
// whether it plays. Objects whose bytes do not decode keep a playback without animation, so
// they are decoded once and draw nothing.
struct GifPlayback {
  std::shared_ptr<const GifAnimation> animation;
  std::optional<GifCanvas> canvas;
  bool playing = true;
  // Stopped on its last frame after its loops ran out.
  bool ended = false;
  // Times the animation started over from frame 0.
  uint32_t loopsDone = 0;
  // The window timer (10 to 99) that steps it while it plays on a shown layer; 0 for none.
  uint32_t timerId = 0;

  bool Animates() const { return animation && animation->Frames().size() > 1; }
};

}  // namespace qlm
