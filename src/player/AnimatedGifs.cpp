#include "player/AnimatedGifs.h"

#include <algorithm>
#include <set>

#include "document/ObjectFields.h"
#include "script/WindowTimers.h"

namespace qlm {

using window_timer::kFirstAnimation;
using window_timer::kLastAnimation;

AnimatedGifs::AnimatedGifs(EventLoop& loop, CPageManager& pages, ObjectStates& states,
                           ObjectCall repaint, ObjectCall ended)
    : loop_(loop),
      pages_(pages),
      states_(states),
      repaint_(std::move(repaint)),
      ended_(std::move(ended)) {}

GifPlayback* AnimatedGifs::PlaybackOf(const ObjectRecord& object) {
  if (object.typeCode != kObjAnimatedGif || object.gifData.empty())
    return nullptr;
  ObjectRunState& state = states_.Of(object);
  if (!state.gif) {
    state.gif = std::make_shared<GifPlayback>();
    if (std::optional<GifAnimation> decoded = GifAnimation::Decode(object.gifData)) {
      auto animation = std::make_shared<const GifAnimation>(std::move(*decoded));
      state.gif->canvas.emplace(*animation);
      state.gif->animation = std::move(animation);
    }
  }
  return state.gif.get();
}

std::vector<const ObjectRecord*> AnimatedGifs::Shown() const {
  std::vector<const ObjectRecord*> shown;
  auto add = [&](const PageRecord* page) {
    if (!page)
      return;
    for (const ObjectRecord& object : page->objects) {
      if (object.typeCode == kObjAnimatedGif)
        shown.push_back(&object);
    }
  };
  add(&pages_.MasterPage());
  add(&pages_.MasterLayer());
  const PageRecord* current = pages_.CurrentPage();
  if (current != &pages_.MasterPage() && current != &pages_.MasterLayer())
    add(current);
  return shown;
}

bool AnimatedGifs::IsShownObject(const ObjectRecord& object) const {
  const std::vector<const ObjectRecord*> shown = Shown();
  return std::find(shown.begin(), shown.end(), &object) != shown.end();
}

void AnimatedGifs::Arm(const ObjectRecord& object, GifPlayback& playback) {
  if (!playback.Animates() || !playback.playing)
    return;
  if (playback.timerId == 0) {
    std::set<uint32_t> used;
    for (const ObjectRecord* other : Shown()) {
      const ObjectRunState* s = states_.Find(*other);
      if (other != &object && s && s->gif && s->gif->timerId != 0)
        used.insert(s->gif->timerId);
    }
    uint32_t id = object.gifTimerId;
    if (id < kFirstAnimation || id > kLastAnimation || used.contains(id)) {
      id = kFirstAnimation;
      while (id <= kLastAnimation && used.contains(id))
        ++id;
      if (id > kLastAnimation)
        return;  // 90 animations already play
    }
    playback.timerId = id;
  }
  loop_.SetTimer(playback.timerId,
                 playback.animation->Frames()[playback.canvas->FrameIndex()].delayMs);
}

void AnimatedGifs::Disarm(GifPlayback& playback) {
  if (playback.timerId != 0)
    loop_.KillTimer(playback.timerId);
  playback.timerId = 0;
}

void AnimatedGifs::PageShown() {
  PageRecord* current = pages_.CurrentPage();
  const bool isMaster = current == &pages_.MasterPage() || current == &pages_.MasterLayer();
  std::set<uint32_t> kept;
  for (const PageRecord* master : {&pages_.MasterPage(), &pages_.MasterLayer()}) {
    for (const ObjectRecord& object : master->objects) {
      const GifPlayback* playback = PlaybackOf(object);
      if (playback && playback->timerId != 0 && loop_.HasTimer(playback->timerId))
        kept.insert(playback->timerId);
    }
  }
  if (current && !isMaster && current != lastPage_) {
    for (const ObjectRecord& object : current->objects) {
      if (GifPlayback* playback = PlaybackOf(object)) {
        playback->timerId = 0;
        playback->playing = true;
        playback->ended = false;
        playback->loopsDone = 0;
        if (playback->canvas)
          playback->canvas->Reset();
      }
    }
  }
  lastPage_ = current;
  // Timers of objects that are no longer shown stop; the shown ones that play get theirs.
  for (uint32_t id = kFirstAnimation; id <= kLastAnimation; ++id) {
    if (!kept.contains(id))
      loop_.KillTimer(id);
  }
  for (const ObjectRecord* object : Shown()) {
    GifPlayback* playback = PlaybackOf(*object);
    if (playback && !kept.contains(playback->timerId)) {
      playback->timerId = 0;
      Arm(*object, *playback);
    }
  }
}

bool AnimatedGifs::OnTimer(uint32_t id) {
  if (id < kFirstAnimation || id > kLastAnimation)
    return false;
  const ObjectRecord* owner = nullptr;
  GifPlayback* playback = nullptr;
  for (const ObjectRecord* object : Shown()) {
    const ObjectRunState* s = states_.Find(*object);
    if (s && s->gif && s->gif->timerId == id) {
      owner = object;
      playback = s->gif.get();
      break;
    }
  }
  if (!playback || !playback->Animates() || !playback->playing) {
    loop_.KillTimer(id);
    if (playback)
      playback->timerId = 0;
    return true;
  }
  GifCanvas& canvas = *playback->canvas;
  const std::optional<uint32_t> loops = playback->animation->LoopCount();
  if (canvas.FrameIndex() + 1 >= playback->animation->Frames().size()) {
    // Past the last frame: start over while loops remain (forever without a count or with 0),
    // else stay on the last frame.
    if (loops && *loops != 0 && playback->loopsDone >= *loops) {
      Disarm(*playback);
      playback->playing = false;
      playback->ended = true;
      if (ended_)
        ended_(*owner);
      return true;
    }
    ++playback->loopsDone;
  }
  canvas.Advance();
  Arm(*owner, *playback);
  if (repaint_)
    repaint_(*owner);
  return true;
}

void AnimatedGifs::StopTimers() {
  loop_.KillTimers(kFirstAnimation, kLastAnimation);
  lastPage_ = nullptr;
  for (const ObjectRecord* object : Shown()) {
    if (const ObjectRunState* s = states_.Find(*object); s && s->gif)
      s->gif->timerId = 0;
  }
}

void AnimatedGifs::Play(const ObjectRecord& object) {
  GifPlayback* playback = PlaybackOf(object);
  if (!playback || !playback->animation)
    return;
  if (playback->ended) {
    // An animation that ran out of loops plays its loops again.
    playback->ended = false;
    playback->loopsDone = 0;
  }
  playback->playing = true;
  if (playback->timerId == 0 && IsShownObject(object))
    Arm(object, *playback);
}

void AnimatedGifs::Stop(const ObjectRecord& object) {
  GifPlayback* playback = PlaybackOf(object);
  if (!playback)
    return;
  playback->playing = false;
  Disarm(*playback);
}

void AnimatedGifs::Reset(const ObjectRecord& object) {
  GifPlayback* playback = PlaybackOf(object);
  if (!playback || !playback->canvas)
    return;
  playback->canvas->Reset();
  playback->ended = false;
  playback->loopsDone = 0;
  // A playing animation shows frame 1 for its whole delay from now.
  if (playback->playing && IsShownObject(object))
    Arm(object, *playback);
  if (repaint_)
    repaint_(object);
}

}  // namespace qlm
