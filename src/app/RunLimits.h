#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

namespace qlm {

// Exit codes of headless runs ended by their resource bounds.
inline constexpr int kExitTimeout = 3;
inline constexpr int kExitOutOfMemory = 4;
// The exit code of a run ended by a fault of the player itself (an exception nothing caught, or
// in the WebAssembly build a trap of its code).
inline constexpr int kExitFault = 5;

// The real-time bound of an unattended headless run. After `limit`, Expired() turns true and the
// run is expected to end at its next pump; a run that does not end within `grace` more (a script
// loop that never lets the event loop run) is ended by the watchdog itself: it writes
// `finalLines` to standard output in one write and exits the process with kExitTimeout.
// Where threads are not available (the WebAssembly build without them) there is no watchdog:
// Expired() compares the clock with the limit, and a run that never reaches its event loop again
// is not ended.
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
#define QLM_RUN_WATCHDOG_THREAD 0
#else
#define QLM_RUN_WATCHDOG_THREAD 1
#endif
class RunWatchdog {
 public:
  RunWatchdog(std::chrono::milliseconds limit, std::chrono::milliseconds grace,
              std::string finalLines);
  ~RunWatchdog();
  RunWatchdog(const RunWatchdog&) = delete;
  RunWatchdog& operator=(const RunWatchdog&) = delete;

#if QLM_RUN_WATCHDOG_THREAD
  bool Expired() const {
    return expired_.load();
  }
#else
  bool Expired() const {
    return std::chrono::steady_clock::now() >= deadline_;
  }
#endif

 private:
#if QLM_RUN_WATCHDOG_THREAD
  void Watch(std::chrono::milliseconds limit, std::chrono::milliseconds grace);

  std::string finalLines_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::atomic<bool> expired_{false};
  std::thread thread_;
#else
  std::chrono::steady_clock::time_point deadline_;
#endif
};

// Caps the address space of this process at `megabytes` (RLIMIT_AS): any allocation past it
// fails, which C++ code sees as std::bad_alloc. False, with the reason in `error`, when the limit
// cannot be set.
bool LimitAddressSpace(uint64_t megabytes, std::string& error);

}  // namespace qlm
