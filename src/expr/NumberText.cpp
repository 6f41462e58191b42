#include "expr/NumberText.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace qlm {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The double a plain decimal literal (digits, a point, an exponent) stands for, rounded to
// nearest; result_out_of_range when it overflows or underflows to zero.
std::errc LiteralValue(const std::string& literal, double& value) {
#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 200000
  // Older C++ libraries (the WebAssembly build's) have no floating-point from_chars; the C
  // library's strtod reads the same literal the same way (its locale is always "C" there).
  errno = 0;
  char* end = nullptr;
  value = std::strtod(literal.c_str(), &end);
  if (end == literal.c_str())
    return std::errc::invalid_argument;
  // strtod reports ERANGE for results that are merely subnormal, which from_chars keeps.
  if (errno == ERANGE && (value == 0.0 || std::isinf(value)))
    return std::errc::result_out_of_range;
  return std::errc();
#else
  return std::from_chars(literal.data(), literal.data() + literal.size(), value,
                         std::chars_format::general)
      .ec;
#endif
}

}  // namespace

double ParseDecimal(std::string_view text, bool dExponent) {
  size_t i = 0;
  while (i < text.size() && IsSpace(text[i]))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Copy the literal's characters only, so that from_chars never sees "inf", "nan" or hex.
  std::string literal;
  size_t j = i;
  bool digits = false;
  while (j < text.size() && IsDigit(text[j])) {
    literal += text[j++];
    digits = true;
  }
  if (j < text.size() && text[j] == '.') {
    literal += text[j++];
    while (j < text.size() && IsDigit(text[j])) {
      literal += text[j++];
      digits = true;
    }
  }
  if (!digits)
    return 0.0;
  if (j < text.size()) {
    char c = text[j];
    if (c == 'e' || c == 'E' || (dExponent && (c == 'd' || c == 'D'))) {
      size_t k = j + 1;
      std::string exponent = "e";
      if (k < text.size() && (text[k] == '+' || text[k] == '-'))
        exponent += text[k++];
      if (k < text.size() && IsDigit(text[k])) {
        while (k < text.size() && IsDigit(text[k]))
          exponent += text[k++];
        literal += exponent;
      }
    }
  }
  double value = 0.0;
  const std::errc ec = LiteralValue(literal, value);
  if (ec == std::errc::result_out_of_range) {
    // Too large or too small for a double: infinity or zero, as strtod gives.
    size_t e = literal.find('e');
    bool tiny = e != std::string::npos && e + 1 < literal.size() && literal[e + 1] == '-';
    value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
  } else if (ec != std::errc()) {
    value = 0.0;
  }
  return negative ? -value : value;
}

int32_t ParseInteger(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsSpace(text[i]))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int64_t value = 0;
  while (i < text.size() && IsDigit(text[i])) {
    value = value * 10 + (text[i] - '0');
    if (value > int64_t{1} << 32)
      value = int64_t{1} << 32;  // keeps saturating, never overflows
    ++i;
  }
  if (negative)
    value = -value;
  if (value > std::numeric_limits<int32_t>::max())
    return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min())
    return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

int32_t TruncateToInt32(double value) {
  if (std::isnan(value))
    return 0;
  if (value >= 2147483647.0)
    return std::numeric_limits<int32_t>::max();
  if (value <= -2147483648.0)
    return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

int64_t TruncateIndex(double value) {
  if (std::isnan(value))
    return 0;
  if (value >= 9.2e18)
    return std::numeric_limits<int64_t>::max();
  if (value <= -9.2e18)
    return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(value);
}

std::string FormatNumber(double value) {
  char buffer[64];
  if (value == std::trunc(value) && value >= -2147483648.0 && value <= 2147483647.0) {
    std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(value));
  } else {
    std::snprintf(buffer, sizeof buffer, "%.12g", value);
  }
  return buffer;
}

std::string_view TrimBlanks(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && IsSpace(text[b]))
    ++b;
  while (e > b && IsSpace(text[e - 1]))
    --e;
  return text.substr(b, e - b);
}

}  // namespace qlm
