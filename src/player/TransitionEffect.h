#pragma once

#include <cstdint>
#include <vector>

#include "graphics/Surface.h"

namespace qlm {

// How far a transition has come. Step effects (1 to 12) look at `done` of `steps` (done runs
// from 0, the first tick, to steps, the last); progress effects (13 to 17) at `progress`, from 0
// to 1.
struct TransitionPhase {
  int steps = 1;
  int done = 0;
  double progress = 0;
};

// One transition effect at one size: the set-up (the dissolve mask, the drops, the ripple's
// distances) is made once, then Draw turns the old and the new picture into the frame of any
// phase. Draw depends on nothing but its arguments, so a frame can be drawn again, skipped or
// drawn out of order.
class TransitionEffect {
 public:
  // An unknown type draws the new picture at once.
  TransitionEffect(int type, int width, int height);

  int Type() const { return type_; }
  int Width() const { return width_; }
  int Height() const { return height_; }

  // Draws the frame of `phase` into `out`. `oldPicture` and `newPicture` must have the
  // effect's size (std::invalid_argument otherwise); `out` is resized to it when it differs.
  void Draw(const Surface& oldPicture, const Surface& newPicture, const TransitionPhase& phase,
            Surface& out) const;

 private:
  struct Drop {
    int x, y;
    int reach;    // radius that covers the whole picture from this centre
    double from;  // progress at which the drop appears
    double to;    // progress at which it reaches its full size
  };

  void DrawSteps(const Surface& o, const Surface& n, int steps, int done, Surface& out) const;
  void DrawRipple(const Surface& o, const Surface& n, double progress, Surface& out) const;
  void DrawDrops(const Surface& o, const Surface& n, double progress, Surface& out) const;
  void DrawWaves(const Surface& o, const Surface& n, double progress, Surface& out) const;

  int type_;
  int width_;
  int height_;
  std::vector<uint8_t> mask_;       // dissolve: a grey value per pixel
  std::vector<uint16_t> distance_;  // ripple: each pixel's distance from the centre
  std::vector<Drop> drops_;
};

// The frame of `phase` as a new surface (tests, one-off frames).
Surface RenderTransitionFrame(int type, const Surface& oldPicture, const Surface& newPicture,
                              const TransitionPhase& phase);

}  // namespace qlm
