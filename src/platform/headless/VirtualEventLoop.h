#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/Clock.h"
#include "platform/EventLoop.h"

namespace qlm {

// The event loop of headless runs: time moves only with Advance (or when a nested loop waits
// for a tick), so a run with the same events gives the same output every time.
class VirtualEventLoop : public EventLoop {
 public:
  // Events dispatched at one instant before time moves on anyway; a handler that posts to
  // itself without end would otherwise stop the run.
  static constexpr int kMaxPumpsPerInstant = 100000;

  explicit VirtualEventLoop(LocalDateTime start = VirtualClock::kDefaultStart);

  const VirtualClock& Clock() const { return *clock_; }

  // Moves time forward by `ms`: dispatches what is pending, then fires the timers in the order
  // they fall due (ties by arming order), dispatching what each posts before time moves again.
  // Returns true when a quit was requested (the clock then stays where the quit happened).
  bool Advance(uint64_t ms);
  bool AdvanceTo(uint64_t tick);

  // Dispatches everything pending at this instant, including what handlers post meanwhile.
  bool Settle();

  // Called each time a handler pumps in a nested loop (an endless For, Pause, MoveTo, a message
  // box), so that the automation keeps playing its events there as a window keeps delivering
  // input; null stops it. nextDue tells when the feed next has something to play (kForever:
  // not before something else happens), so that clock timers are not skipped past it.
  void SetNestedFeed(std::function<void()> feed, std::function<uint64_t()> nextDue = {}) {
    nestedFeed_ = std::move(feed);
    feedDue_ = std::move(nextDue);
  }

 protected:
  // Nothing from outside can arrive: the wait is a jump of the clock to the deadline.
  void WaitForEvents(uint64_t deadline) override;
  // Feeds the nested pumps; the pumps of this loop's own settling are not nested.
  void CollectEvents() override;
  // The clock jumps: clock timers fire once for the periods nothing else falls in.
  void BeforeWait(uint64_t tick) override;

 private:
  // The clock is made before the base class that refers to it, then kept here.
  explicit VirtualEventLoop(std::unique_ptr<VirtualClock> clock);
  bool SettleAt(uint64_t instant);
  // Skips the periods of clock timers up to `tick` or the next thing due before it.
  void SkipIdleClockPeriods(uint64_t tick, bool nested);

  std::unique_ptr<VirtualClock> clock_;
  std::function<void()> nestedFeed_;
  std::function<uint64_t()> feedDue_;
  bool ownPump_ = false;  // the next pump to start is this loop's own
};

}  // namespace qlm
