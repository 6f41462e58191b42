#pragma once

#include <string_view>

namespace qlm {

// Codes of the evaluator's error table that the evaluator raises.
namespace expr_error {
inline constexpr int kSyntax = 1;
inline constexpr int kBrackets = 3;
inline constexpr int kBraces = 4;
inline constexpr int kOperandMissing = 5;
inline constexpr int kString = 10;
inline constexpr int kParameters = 11;
inline constexpr int kLeftover = 12;
inline constexpr int kOverflow = 23;
}  // namespace expr_error

inline constexpr int kErrorTableSize = 24;

// The message text of an error code ("" for codes outside the table).
std::string_view ErrorTable(int code);

}  // namespace qlm
