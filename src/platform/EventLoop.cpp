#include "platform/EventLoop.h"

#include <algorithm>

namespace qlm {

void EventLoop::SetTimer(uint32_t id, uint32_t periodMs) {
  const uint32_t period = std::max(periodMs, kMinimumPeriodMs);
  timers_[id] = Timer{period, clock_.TickCount() + period, nextOrder_++};
}

void EventLoop::SetClockTimer(uint32_t id, uint32_t periodMs) {
  SetTimer(id, periodMs);
  timers_[id].clock = true;
}

void EventLoop::SkipClockPeriods(uint64_t limit) {
  for (auto& [id, t] : timers_) {
    if (t.clock && t.due < limit)
      t.due += (limit - t.due) / t.period * t.period;
  }
}

void EventLoop::KillTimer(uint32_t id) {
  timers_.erase(id);
}

void EventLoop::KillTimers(uint32_t first, uint32_t last) {
  if (first > last)
    return;
  timers_.erase(timers_.lower_bound(first), timers_.upper_bound(last));
}

std::optional<uint64_t> EventLoop::NextTimerDue(bool clockTimers) const {
  std::optional<uint64_t> next;
  for (const auto& [id, t] : timers_) {
    if (t.clock && !clockTimers)
      continue;
    if (!next || t.due < *next)
      next = t.due;
  }
  return next;
}

std::optional<uint32_t> EventLoop::DueTimer(uint64_t horizon) const {
  const Timer* best = nullptr;
  uint32_t bestId = 0;
  for (const auto& [id, t] : timers_) {
    if (t.due > horizon)
      continue;
    if (!best || t.due < best->due || (t.due == best->due && t.order < best->order)) {
      best = &t;
      bestId = id;
    }
  }
  if (!best)
    return std::nullopt;
  return bestId;
}

bool EventLoop::HasWork(uint64_t horizon) const {
  return !queue_.empty() || DueTimer(horizon).has_value();
}

void EventLoop::PostQuit(int exitCode) {
  if (!quit_)
    exitCode_ = exitCode;
  quit_ = true;
}

void EventLoop::Dispatch(Event& event) {
  if (!handler_)
    return;
  std::visit(
      [this](auto& e) {
        using T = std::decay_t<decltype(e)>;
        if constexpr (std::is_same_v<T, WindowMessage>) {
          handler_->OnMessage(e);
        } else if constexpr (std::is_same_v<T, MouseEvent>) {
          handler_->OnMouse(e);
        } else if constexpr (std::is_same_v<T, KeyEvent>) {
          handler_->OnKey(e);
        } else if constexpr (std::is_same_v<T, CharEvent>) {
          handler_->OnChar(e);
        } else if constexpr (std::is_same_v<T, CompositionEvent>) {
          handler_->OnComposition(e);
        } else {
          handler_->OnClose();
        }
      },
      event);
}

bool EventLoop::PumpUntil(uint64_t horizon) {
  for (size_t i = 0; i < sources_.size(); ++i)
    sources_[i].second();
  CollectEvents();
  // Only what is queued now (and what fired timers add) is dispatched, so a handler that keeps
  // posting to itself cannot hold a nested loop forever.
  size_t budget = queue_.size();
  while (!quit_) {
    if (budget > 0 && !queue_.empty()) {
      Event event = std::move(queue_.front());
      queue_.pop_front();
      --budget;
      Dispatch(event);
      continue;
    }
    // Timers that fall due while a handler waits in a nested loop are left to the caller, so
    // one Pump ends even when every handler moves the clock.
    const auto id = DueTimer(horizon);
    if (!id)
      break;
    // Rescheduled before the handler runs: a nested Pump inside it does not fire it again, and
    // a SetTimer or KillTimer from the handler has the last word.
    Timer& t = timers_[*id];
    t.due = clock_.TickCount() + t.period;
    if (handler_)
      handler_->OnTimer(*id);
    // Messages posted by the timer come before the next timer, as on the window system.
    budget = queue_.size();
  }
  return quit_;
}

bool EventLoop::WaitUntil(uint64_t tick) {
  if (Pump())
    return true;
  if (queue_.empty()) {
    BeforeWait(tick);
    const uint64_t deadline = std::min(tick, NextTimerDue().value_or(kForever));
    if (deadline > clock_.TickCount())
      WaitForEvents(deadline);
  }
  return Pump();
}

int EventLoop::AddSource(std::function<void()> poll) {
  sources_.emplace_back(nextSource_, std::move(poll));
  return nextSource_++;
}

void EventLoop::RemoveSource(int handle) {
  std::erase_if(sources_, [handle](const auto& s) { return s.first == handle; });
}

}  // namespace qlm
