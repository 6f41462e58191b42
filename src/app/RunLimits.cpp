#include "app/RunLimits.h"

#include <sys/resource.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace qlm {

#if QLM_RUN_WATCHDOG_THREAD
RunWatchdog::RunWatchdog(std::chrono::milliseconds limit, std::chrono::milliseconds grace,
                         std::string finalLines)
    : finalLines_(std::move(finalLines)), thread_([this, limit, grace] { Watch(limit, grace); }) {}

RunWatchdog::~RunWatchdog() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void RunWatchdog::Watch(std::chrono::milliseconds limit, std::chrono::milliseconds grace) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (wake_.wait_for(lock, limit, [this] { return stopping_; }))
    return;
  expired_ = true;
  if (wake_.wait_for(lock, grace, [this] { return stopping_; }))
    return;
  // The main thread is stuck outside the event loop: its buffered output cannot be touched from
  // here, so the final lines go out in one system call of their own.
  const char* data = finalLines_.data();
  size_t left = finalLines_.size();
  while (left > 0) {
    const ssize_t n = ::write(STDOUT_FILENO, data, left);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      break;
    data += n;
    left -= static_cast<size_t>(n);
  }
  ::_exit(kExitTimeout);
}
#else
RunWatchdog::RunWatchdog(std::chrono::milliseconds limit, std::chrono::milliseconds /*grace*/,
                         std::string /*finalLines*/)
    : deadline_(std::chrono::steady_clock::now() + limit) {}

RunWatchdog::~RunWatchdog() = default;
#endif

bool LimitAddressSpace(uint64_t megabytes, std::string& error) {
  const rlim_t bytes = static_cast<rlim_t>(megabytes) << 20;
  struct rlimit limit {};
  if (::getrlimit(RLIMIT_AS, &limit) != 0) {
    error = std::strerror(errno);
    return false;
  }
  limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? bytes : std::min(bytes, limit.rlim_max);
  if (::setrlimit(RLIMIT_AS, &limit) != 0) {
    error = std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace qlm
