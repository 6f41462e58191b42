#include "platform/host/ChildCall.h"

#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <thread>

namespace qlm {

namespace {

// Exit statuses of a child that finished its work; anything else (a sanitizer's report, a
// signal) counts as a crash.
constexpr int kDone = 70;
constexpr int kRefused = 71;

}  // namespace

std::optional<bool> CallInChild(std::span<uint8_t> out,
                                const std::function<bool(std::span<uint8_t> shared)>& work,
                                std::chrono::milliseconds timeout) {
  std::fill(out.begin(), out.end(), uint8_t{0});
  const size_t length = std::max<size_t>(out.size(), 1);
  void* mapped = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED)
    return std::nullopt;
  const std::span<uint8_t> shared(static_cast<uint8_t*>(mapped), out.size());
  const pid_t child = fork();
  if (child == 0) {
    // Only the work runs here; _exit skips the caller's exit handlers and buffered output.
    const bool done = work(shared);
    _exit(done ? kDone : kRefused);
  }
  std::optional<bool> result;
  if (child > 0) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + timeout;
    auto pause = std::chrono::microseconds(100);
    int status = 0;
    pid_t waited = 0;
    while ((waited = waitpid(child, &status, WNOHANG)) == 0 && Clock::now() < deadline) {
      std::this_thread::sleep_for(pause);
      pause = std::min<std::chrono::microseconds>(pause * 2, std::chrono::milliseconds(10));
    }
    if (waited == 0) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
    } else if (waited == child && WIFEXITED(status)) {
      if (WEXITSTATUS(status) == kDone)
        result = true;
      else if (WEXITSTATUS(status) == kRefused)
        result = false;
    }
  }
  if (result == true)
    std::memcpy(out.data(), shared.data(), out.size());
  munmap(mapped, length);
  return result;
}

}  // namespace qlm
