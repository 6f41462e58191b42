#include "platform/Clock.h"

#include <gtest/gtest.h>

#include "platform/host/SystemClock.h"

namespace qlm {
namespace {

TEST(LocalDateTime, ParsesValidTextsAndRefusesTheRest) {
  struct Case {
    const char* text;
    const char* expected;  // null: refused
  } cases[] = {
      {"2024-02-29T13:05:09", "2024-02-29T13:05:09"},
      {"2024-02-29 13:05", "2024-02-29T13:05:00"},
      {"1999-12-31", "1999-12-31T00:00:00"},
      {"2023-02-29T00:00:00", nullptr},  // not a leap year
      {"2000-02-30", nullptr},
      {"2024-13-01", nullptr},
      {"2024-00-10", nullptr},
      {"2024-01-01T24:00:00", nullptr},
      {"2024-01-01T23:60", nullptr},
      {"2024-01-01T23:59:60", nullptr},
      {"2024-1-01", nullptr},
      {"2024-01-01T10", nullptr},
      {"2024-01-01T10:00:00Z", nullptr},
      {"", nullptr},
      {"now", nullptr},
  };
  for (const auto& c : cases) {
    const auto t = LocalDateTime::Parse(c.text);
    if (c.expected) {
      ASSERT_TRUE(t.has_value()) << c.text;
      EXPECT_EQ(t->ToString(), c.expected) << c.text;
    } else {
      EXPECT_FALSE(t.has_value()) << c.text;
    }
  }
}

TEST(LocalDateTime, WeekdaysYearDaysAndSecondsAgreeWithTheCalendar) {
  struct Case {
    const char* text;
    int weekday;
    int yearDay;
  } cases[] = {
      {"1970-01-01", 4, 0},  {"1969-12-31", 3, 364}, {"2000-03-01", 3, 60},
      {"1900-03-01", 4, 59}, {"2024-12-31", 2, 365}, {"1601-01-01", 1, 0},
  };
  for (const auto& c : cases) {
    const auto t = *LocalDateTime::Parse(c.text);
    EXPECT_EQ(t.Weekday(), c.weekday) << c.text;
    EXPECT_EQ(t.YearDay(), c.yearDay) << c.text;
    EXPECT_EQ(LocalDateTime::FromSeconds(t.ToSeconds()), t) << c.text;
    const std::tm tm = t.ToTm();
    EXPECT_EQ(tm.tm_wday, c.weekday);
    EXPECT_EQ(tm.tm_year + 1900, t.year);
    EXPECT_EQ(tm.tm_mon + 1, t.month);
  }
  EXPECT_EQ(LocalDateTime::Parse("1970-01-02T00:00:01")->ToSeconds(), 86401);
  EXPECT_EQ(LocalDateTime::FromSeconds(-1).ToString(), "1969-12-31T23:59:59");
}

TEST(SystemClock, TicksNeverGoBackwards) {
  SystemClock clock;
  uint64_t last = clock.TickCount();
  for (int i = 0; i < 1000; ++i) {
    const uint64_t now = clock.TickCount();
    EXPECT_GE(now, last);
    last = now;
  }
  const LocalDateTime now = clock.Now();
  EXPECT_GE(now.year, 2020);
  EXPECT_TRUE(LocalDateTime::Parse(now.ToString()).has_value());
}

}  // namespace
}  // namespace qlm
