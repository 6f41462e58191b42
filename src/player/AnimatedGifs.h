#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "document/PageManager.h"
#include "platform/EventLoop.h"
#include "player/GifPlayback.h"
#include "player/ObjectStates.h"

namespace qlm {

class ScriptRunner;

// Plays the animated GIF objects (kind 16) of the shown layers (the Master Page, the Master
// Layer and the current page) on the window timers 10 to 99: each timer steps one object to its
// next frame and is armed again with that frame's delay, so frames follow the loop's clock (the
// virtual one in headless runs). A page that becomes current starts its GIFs from frame 1; the
// GIFs of the Master Page and the Master Layer play on across page changes. Past the last frame
// an animation starts over while the file's loop count allows (a count of N repeats it N times
// after the first pass; none or 0, forever), else it stays on its last frame and has ended.
class AnimatedGifs {
 public:
  using ObjectCall = std::function<void(const ObjectRecord&)>;
  // `repaint` shows an object's new frame; `ended` runs when an animation ran out of loops
  // (either may be empty).
  AnimatedGifs(EventLoop& loop, CPageManager& pages, ObjectStates& states, ObjectCall repaint,
               ObjectCall ended);

  // The playback of a GIF object that holds GIF bytes, decoded on first use; null for other
  // objects.
  GifPlayback* PlaybackOf(const ObjectRecord& object);

  // After a page was shown: when it is another page than before, its GIFs start over and
  // play; timers follow the shown layers.
  void PageShown();
  // Steps the object that owns timer `id`. False when the id is not an animation timer.
  bool OnTimer(uint32_t id);
  // Stops every animation timer (the project goes, the window closes).
  void StopTimers();

  // The script commands: play on from the frame shown, stop on it, back to frame 1 playing or
  // stopped as before. Objects that are not animated GIFs are left alone.
  void Play(const ObjectRecord& object);
  void Stop(const ObjectRecord& object);
  void Reset(const ObjectRecord& object);

 private:
  // GIF objects of the shown layers, in the order timers are looked up.
  std::vector<const ObjectRecord*> Shown() const;
  bool IsShownObject(const ObjectRecord& object) const;
  // Arms a timer for a playing playback of a shown object: its stored id when that is free,
  // else the lowest free one.
  void Arm(const ObjectRecord& object, GifPlayback& playback);
  void Disarm(GifPlayback& playback);

  EventLoop& loop_;
  CPageManager& pages_;
  ObjectStates& states_;
  ObjectCall repaint_, ended_;
  // The page shown last; showing it again lets its GIFs play on.
  const PageRecord* lastPage_ = nullptr;
};

// AGifPlay, AGifStop and AGifReset on the object their first argument names.
void RegisterAnimationCommands(ScriptRunner& runner, AnimatedGifs& gifs);

}  // namespace qlm
