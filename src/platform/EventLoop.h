#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/Clock.h"

namespace qlm {

// A private window message: a number, the two Windows-style parameters and the texts that a
// Windows message would have passed by pointer or global atom (script text, a link, the file
// name and command line of an activation).
struct WindowMessage {
  uint32_t id = 0;
  int64_t wParam = 0;
  int64_t lParam = 0;
  std::vector<std::string> texts;
};

struct Modifiers {
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
  bool operator==(const Modifiers&) const = default;
};

enum class MouseAction {
  kMove,
  kLeftDown,
  kLeftUp,
  kLeftDoubleClick,
  kRightDown,
  kRightUp,
  kWheel,  // `wheel` notches at (x, y)
};

// Mouse input in client coordinates.
struct MouseEvent {
  MouseAction action = MouseAction::kMove;
  int x = 0;
  int y = 0;
  Modifiers modifiers;
  // kWheel: notches turned, positive away from the user (scrolls up).
  int wheel = 0;
};

enum class KeyAction { kDown, kUp };

// A key going down or up, by Windows virtual-key code (platform/KeyNames.h).
struct KeyEvent {
  KeyAction action = KeyAction::kDown;
  uint32_t vk = 0;
  Modifiers modifiers;
};

// A typed character, one byte in the presentation's code page.
struct CharEvent {
  uint8_t ch = 0;
};

// What an input method is composing and has not typed yet, in the presentation's code page;
// empty when the composition ends. The typed text comes as CharEvents. Kept in a fixed buffer
// (input methods send short pieces), so events stay trivially copyable.
struct CompositionEvent {
  static constexpr size_t kMaxBytes = 64;
  std::array<char, kMaxBytes> bytes{};
  size_t size = 0;

  explicit CompositionEvent(std::string_view text = {}) : size(std::min(text.size(), kMaxBytes)) {
    std::copy_n(text.data(), size, bytes.data());
  }
  std::string Text() const { return std::string(bytes.data(), size); }
};

// The close box of the window (the Cancel path).
struct CloseEvent {};

using Event =
    std::variant<WindowMessage, MouseEvent, KeyEvent, CharEvent, CompositionEvent, CloseEvent>;

// What the player window implements to receive the loop's events.
class EventHandler {
 public:
  virtual ~EventHandler() = default;
  virtual void OnTimer(uint32_t id) = 0;
  virtual void OnMessage(const WindowMessage& message) = 0;
  virtual void OnMouse(const MouseEvent&) {}
  virtual void OnKey(const KeyEvent&) {}
  virtual void OnChar(const CharEvent&) {}
  virtual void OnComposition(const CompositionEvent&) {}
  virtual void OnClose() {}
};

// The window-timer model of the player, shared by every frontend: timers by id with a period in
// milliseconds (periodic until killed; setting an armed id again replaces it), a queue of posted
// messages and input, a quit request, and Pump() for the nested loops of scripts and dialogs.
// A frontend supplies only the waiting (and the collecting of outside input). All calls are made
// on the user-interface thread.
class EventLoop {
 public:
  static constexpr uint64_t kForever = std::numeric_limits<uint64_t>::max();
  // Shorter periods are raised to this, as the window system does; it also keeps a periodic
  // timer from firing again at the instant it fired.
  static constexpr uint32_t kMinimumPeriodMs = 10;

  explicit EventLoop(Clock& clock) : clock_(clock) {}
  virtual ~EventLoop() = default;
  EventLoop(const EventLoop&) = delete;
  EventLoop& operator=(const EventLoop&) = delete;

  const Clock& GetClock() const { return clock_; }
  uint64_t TickCount() const { return clock_.TickCount(); }

  // The receiver of every event; null drops them.
  void SetHandler(EventHandler* handler) { handler_ = handler; }

  // Arms timer `id` to fire `periodMs` from now and then every `periodMs`.
  void SetTimer(uint32_t id, uint32_t periodMs);
  // Arms timer `id` like SetTimer, for a handler that only brings what it shows up to the clock
  // (a clock display): where a headless clock jumps over several of its periods while nothing
  // else can happen, only the last of those fires, at its own time.
  void SetClockTimer(uint32_t id, uint32_t periodMs);
  // Stops timer `id`; nothing happens when it is not armed.
  void KillTimer(uint32_t id);
  // Stops every timer from `first` to `last`, both included.
  void KillTimers(uint32_t first, uint32_t last);
  bool HasTimer(uint32_t id) const { return timers_.contains(id); }
  // When the next armed timer is due, if any (clock timers left out when asked).
  std::optional<uint64_t> NextTimerDue(bool clockTimers = true) const;

  void PostMessage(WindowMessage message) { queue_.emplace_back(std::move(message)); }
  // Input from the platform (or from a script of events in headless runs).
  void PostInput(Event event) { queue_.push_back(std::move(event)); }
  size_t PendingEvents() const { return queue_.size(); }

  // Asks every loop to end. The request stays set: each Pump() answers it, outer loops included.
  void PostQuit(int exitCode = 0);
  bool QuitRequested() const { return quit_; }
  int ExitCode() const { return exitCode_; }

  // Dispatches what is pending now, without waiting: the events queued when it starts (and those
  // that the timers it fires post), then every timer due when it starts, each at most once.
  // Returns true when a quit was requested; then nothing more is dispatched.
  bool Pump() { return PumpUntil(clock_.TickCount()); }

  // Dispatches what is pending; when nothing is, waits until `tick`, the next timer or outside
  // input, whichever comes first, and dispatches that. Returns true when a quit was requested.
  bool WaitUntil(uint64_t tick);

  // A check the loop runs each time it pumps (a listening socket, say) that must not block and
  // may post messages. Returns a handle for RemoveSource.
  int AddSource(std::function<void()> poll);
  void RemoveSource(int handle);

 protected:
  // Blocks until outside input was queued or the clock reached `deadline` (kForever: no timer
  // is armed). May return early.
  virtual void WaitForEvents(uint64_t deadline) = 0;
  // Queues outside input that is ready, without blocking.
  virtual void CollectEvents() {}
  // Called before WaitUntil waits (nothing is queued) for at most until `tick`.
  virtual void BeforeWait(uint64_t /*tick*/) {}

  // Pump() with the timers due at `horizon` or earlier.
  bool PumpUntil(uint64_t horizon);
  // True when an event is queued or a timer is due at `horizon`.
  bool HasWork(uint64_t horizon) const;
  // True while a polled source is registered: waits must come back to poll it.
  bool HasSources() const { return !sources_.empty(); }
  // Moves each clock timer due before `limit` to its last due time at or before it, dropping
  // the fires in between: for a clock that jumps to `limit` while nothing else can happen.
  void SkipClockPeriods(uint64_t limit);

 private:
  struct Timer {
    uint32_t period = 0;
    uint64_t due = 0;
    uint64_t order = 0;  // arming order, breaks ties between timers due at one instant
    bool clock = false;  // SetClockTimer
  };

  std::optional<uint32_t> DueTimer(uint64_t horizon) const;
  void Dispatch(Event& event);

  Clock& clock_;
  EventHandler* handler_ = nullptr;
  std::map<uint32_t, Timer> timers_;
  uint64_t nextOrder_ = 0;
  std::deque<Event> queue_;
  bool quit_ = false;
  int exitCode_ = 0;
  std::vector<std::pair<int, std::function<void()>>> sources_;
  int nextSource_ = 1;
};

}  // namespace qlm
