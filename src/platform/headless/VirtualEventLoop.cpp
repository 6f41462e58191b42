#include "platform/headless/VirtualEventLoop.h"

#include <algorithm>

namespace qlm {

VirtualEventLoop::VirtualEventLoop(LocalDateTime start)
    : VirtualEventLoop(std::make_unique<VirtualClock>(start)) {}

VirtualEventLoop::VirtualEventLoop(std::unique_ptr<VirtualClock> clock)
    : EventLoop(*clock), clock_(std::move(clock)) {}

void VirtualEventLoop::WaitForEvents(uint64_t deadline) {
  if (deadline != kForever)
    clock_->AdvanceTo(deadline);
}

void VirtualEventLoop::CollectEvents() {
  if (ownPump_) {
    ownPump_ = false;
    return;
  }
  if (nestedFeed_ && !QuitRequested())
    nestedFeed_();
}

void VirtualEventLoop::SkipIdleClockPeriods(uint64_t tick, bool nested) {
  // A polled source may post at any pump; a queued event is dispatched before time moves.
  if (HasSources() || PendingEvents() > 0)
    return;
  uint64_t limit = std::min(tick, NextTimerDue(false).value_or(kForever));
  if (nested && nestedFeed_ && feedDue_)
    limit = std::min(limit, feedDue_());
  SkipClockPeriods(limit);
}

void VirtualEventLoop::BeforeWait(uint64_t tick) {
  SkipIdleClockPeriods(tick, true);
}

bool VirtualEventLoop::SettleAt(uint64_t instant) {
  for (int i = 0; i < kMaxPumpsPerInstant && HasWork(instant); ++i) {
    ownPump_ = true;
    if (PumpUntil(instant))
      return true;
  }
  return QuitRequested();
}

bool VirtualEventLoop::Settle() {
  return SettleAt(clock_->TickCount());
}

bool VirtualEventLoop::AdvanceTo(uint64_t tick) {
  if (Settle())
    return true;
  for (;;) {
    SkipIdleClockPeriods(tick, false);
    const auto next = NextTimerDue();
    if (!next || *next > tick)
      break;
    // A handler that waited in a nested loop may have moved the clock past `next` already.
    clock_->AdvanceTo(*next);
    if (SettleAt(*next))
      return true;
  }
  clock_->AdvanceTo(tick);
  return Settle();
}

bool VirtualEventLoop::Advance(uint64_t ms) {
  return AdvanceTo(clock_->TickCount() + ms);
}

}  // namespace qlm
