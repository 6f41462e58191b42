#include "platform/Clock.h"

#include <charconv>
#include <cstdio>

namespace qlm {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date, and back (H. Hinnant's algorithms).
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

bool IsLeap(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// Reads exactly `width` digits at `pos`.
bool ReadDigits(std::string_view text, size_t& pos, size_t width, int& out) {
  if (pos + width > text.size())
    return false;
  for (size_t i = pos; i < pos + width; ++i) {
    if (text[i] < '0' || text[i] > '9')
      return false;
  }
  std::from_chars(text.data() + pos, text.data() + pos + width, out);
  pos += width;
  return true;
}

bool Expect(std::string_view text, size_t& pos, char c) {
  if (pos >= text.size() || text[pos] != c)
    return false;
  ++pos;
  return true;
}

}  // namespace

int LocalDateTime::Weekday() const {
  const int64_t days = DaysFromCivil(year, month, day);
  // 1970-01-01 was a Thursday (4).
  int64_t w = (days + 4) % 7;
  if (w < 0)
    w += 7;
  return static_cast<int>(w);
}

int LocalDateTime::YearDay() const {
  return static_cast<int>(DaysFromCivil(year, month, day) - DaysFromCivil(year, 1, 1));
}

std::tm LocalDateTime::ToTm() const {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_wday = Weekday();
  t.tm_yday = YearDay();
  t.tm_isdst = -1;
  return t;
}

int64_t LocalDateTime::ToSeconds() const {
  return DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

LocalDateTime LocalDateTime::FromSeconds(int64_t seconds) {
  int64_t days = seconds / 86400;
  int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  LocalDateTime t;
  CivilFromDays(days, t.year, t.month, t.day);
  t.hour = static_cast<int>(rest / 3600);
  t.minute = static_cast<int>(rest / 60 % 60);
  t.second = static_cast<int>(rest % 60);
  return t;
}

std::optional<LocalDateTime> LocalDateTime::Parse(std::string_view text) {
  LocalDateTime t;
  size_t pos = 0;
  if (!ReadDigits(text, pos, 4, t.year) || !Expect(text, pos, '-') ||
      !ReadDigits(text, pos, 2, t.month) || !Expect(text, pos, '-') ||
      !ReadDigits(text, pos, 2, t.day)) {
    return std::nullopt;
  }
  if (pos < text.size()) {
    if (text[pos] != 'T' && text[pos] != ' ')
      return std::nullopt;
    ++pos;
    if (!ReadDigits(text, pos, 2, t.hour) || !Expect(text, pos, ':') ||
        !ReadDigits(text, pos, 2, t.minute)) {
      return std::nullopt;
    }
    if (pos < text.size() && (!Expect(text, pos, ':') || !ReadDigits(text, pos, 2, t.second))) {
      return std::nullopt;
    }
    if (pos != text.size())
      return std::nullopt;
  }
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > DaysInMonth(t.year, t.month) ||
      t.hour > 23 || t.minute > 59 || t.second > 59) {
    return std::nullopt;
  }
  return t;
}

std::string LocalDateTime::ToString() const {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", year, month, day, hour, minute,
                second);
  return buf;
}

VirtualClock::VirtualClock(LocalDateTime start) : startSeconds_(start.ToSeconds()) {}

LocalDateTime VirtualClock::Now() const {
  return LocalDateTime::FromSeconds(startSeconds_ + static_cast<int64_t>(tick_ / 1000));
}

}  // namespace qlm
