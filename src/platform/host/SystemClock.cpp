#include "platform/host/SystemClock.h"

#include <chrono>
#include <ctime>

namespace qlm {
namespace {

int64_t SteadyNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

SystemClock::SystemClock() : startNs_(SteadyNs()) {}

uint64_t SystemClock::TickCount() const {
  return static_cast<uint64_t>((SteadyNs() - startNs_) / 1000000);
}

LocalDateTime SystemClock::Now() const {
  const std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  return LocalDateTime{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                       t.tm_hour,        t.tm_min,     t.tm_sec > 59 ? 59 : t.tm_sec};
}

}  // namespace qlm
