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

// Details the evaluator adds to the table text.
namespace expr_detail {
inline constexpr std::string_view kExpectedParen = " Expected ')'";
inline constexpr std::string_view kExpectedBracket = " Expected ']'";
inline constexpr std::string_view kMoreClosing = " : You have more ')' braces than '('";
inline constexpr std::string_view kStringAtEnd =
    "Using String variable in the wrong place \nor as a part of non-string expression..";
inline constexpr std::string_view kStringWrongPlace =
    "String on wrong place \nor using string in non-string expression.";
inline constexpr std::string_view kMissingQuote = "Missing ' on the end of constant string.";
inline constexpr std::string_view kMixing =
    "Error:You are trying to mix string and non-string variables.\n"
    "To convert a numeric variable to the string use CHAR(variable)\n"
    "To assign a constant string use: string$='abcdef' not string$=\"abcdef\"";
inline constexpr std::string_view kTooDeep = ": expression nested too deeply";
inline constexpr std::string_view kTextTooLong = ": text too long";
}  // namespace expr_detail

inline constexpr int kErrorTableSize = 24;

// The message text of an error code ("" for codes outside the table).
std::string_view ErrorTable(int code);

}  // namespace qlm
