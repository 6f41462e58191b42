#pragma once

#include <cstdint>

namespace qlm {

// Local calendar time as the user's machine shows it.
struct LocalDateTime {
  int year = 1970;
  int month = 1;    // 1 to 12
  int day = 1;      // 1 to 31
  int weekday = 4;  // 0 Sunday to 6 Saturday
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// The only source of time for the core: desktop builds read the machine, tests and the headless
// player move a virtual clock.
class Clock {
 public:
  virtual ~Clock() = default;

  // Milliseconds since an arbitrary start; only differences matter.
  virtual uint64_t TickMs() const = 0;
  virtual LocalDateTime Now() const = 0;
};

}  // namespace qlm
