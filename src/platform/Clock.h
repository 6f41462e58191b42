#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace qlm {

// A local calendar date and time (no time zone: what the user's wall clock shows).
struct LocalDateTime {
  int year = 2000;
  int month = 1;  // 1 to 12
  int day = 1;    // 1 to 31
  int hour = 0;   // 0 to 23
  int minute = 0;
  int second = 0;

  // 0 Sunday to 6 Saturday.
  int Weekday() const;
  // Day of the year, 0 to 365.
  int YearDay() const;
  // The fields as the C library's broken-down time, for strftime.
  std::tm ToTm() const;
  // Seconds since 1970-01-01 00:00:00 on the same wall clock (no zone, no daylight saving).
  int64_t ToSeconds() const;
  static LocalDateTime FromSeconds(int64_t seconds);
  // "YYYY-MM-DDTHH:MM:SS" (a blank may replace the T; seconds, or the whole time, may be left
  // out). nullopt when the text is not a valid date and time.
  static std::optional<LocalDateTime> Parse(std::string_view text);
  std::string ToString() const;  // "YYYY-MM-DDTHH:MM:SS"

  bool operator==(const LocalDateTime&) const = default;
};

// Where the player gets the time from. The core reads time only through this interface, so a
// headless run with a virtual clock is deterministic.
class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since the clock started; never goes backwards.
  virtual uint64_t TickCount() const = 0;
  // The local date and time now.
  virtual LocalDateTime Now() const = 0;
};

// Time that moves only when told: the tick starts at 0 and the date and time at a fixed start.
class VirtualClock : public Clock {
 public:
  // A Saturday, chosen only so that runs without --start-time agree everywhere.
  static constexpr LocalDateTime kDefaultStart{2000, 1, 1, 0, 0, 0};

  explicit VirtualClock(LocalDateTime start = kDefaultStart);
  uint64_t TickCount() const override { return tick_; }
  LocalDateTime Now() const override;

  void Advance(uint64_t ms) { tick_ += ms; }
  // Moves the tick forward to `tick`; an earlier value is ignored, time never goes back.
  void AdvanceTo(uint64_t tick) {
    if (tick > tick_)
      tick_ = tick;
  }

 private:
  int64_t startSeconds_;
  uint64_t tick_ = 0;
};

}  // namespace qlm
