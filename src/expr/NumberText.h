#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/AsciiText.h"

namespace qlm {

// Conversions between script texts and numbers, independent of the C locale.

// The leading decimal floating-point literal of a text, as the C library's atof reads it:
// leading white space, an optional sign, digits with an optional fraction and exponent; anything
// else ends it. No digits give 0. With dExponent, "d" and "D" also introduce the exponent.
double ParseDecimal(std::string_view text, bool dExponent = false);

// The leading decimal integer of a text, as atoi reads it, saturated to the 32-bit range.
int32_t ParseInteger(std::string_view text);

// Truncation toward zero into 32 bits; values beyond the range saturate, NaN gives 0.
int32_t TruncateToInt32(double value);

// Truncation toward zero for array indices; saturates at the 64-bit range, NaN gives 0.
int64_t TruncateIndex(double value);

// "%d" when the value is integral and fits in 32 bits, "%.12g" otherwise.
std::string FormatNumber(double value);

// Text with blanks, tabs and line breaks removed at both ends.
std::string_view TrimBlanks(std::string_view text);

}  // namespace qlm
