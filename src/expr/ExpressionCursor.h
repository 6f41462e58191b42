#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace qlm {

// The reading position in one line of expression text, shared by the evaluator that computes
// while it reads and the compiler that turns the text into a program: both must see exactly
// the same tokens. The current token is one byte, or kEnd at the end of the text.
class ExpressionCursor {
 public:
  static constexpr int kEnd = -1;

  // Starts reading the text with blanks and line breaks trimmed at both ends.
  void Reset(const std::string& text);

  const std::string& Text() const { return text_; }
  size_t Position() const { return position_; }
  int Token() const { return token_; }

  // The next byte that is no blank or tab.
  void NextToken();
  // The next byte as it is (inside quoted constants).
  void NextChar();
  bool TokenIsNameChar() const;
  bool TokenIsDigit() const { return token_ >= '0' && token_ <= '9'; }
  // Name characters and digits from the current token on.
  std::string CollectName();

  // The characters of a number literal from the current token on: digits, ".", the exponent
  // letters e, E, d, D and a "-" right after one of them. Blanks between them vanish.
  std::string NumberLiteral();

  // Reads a quoted constant from its opening quote (the current token) up to the closing one:
  // "\'" is a quote inside it, "\\" before the closing quote one backslash. False when the text
  // ends first. The current token is then the closing quote or kEnd.
  bool QuotedConstant(std::string& constant);
  // Reads a path macro from its "<" (the current token) up to ">", which it includes. False
  // when the text ends first.
  bool PathMacro(std::string& macro);

  // A comparison operator from the current token on: "<", ">", "=" and the pairs of them.
  // "<<" and ">>" keep the left operand.
  enum class Comparison {
    kLess,
    kGreater,
    kLessEqual,
    kGreaterEqual,
    kEqual,
    kNotEqual,
    kKeepLeft
  };
  Comparison ReadComparison();

  // The text read up to here followed by " ?????": where an error is shown.
  std::string Location() const;

  // The outcome of cutting a function's raw arguments. The error, if any, is located where
  // the cursor stands after the cut.
  struct ArgumentCut {
    bool ok = false;  // false: the parenthesis was not closed or a piece is missing
    int errorCode = 0;
    std::string_view errorDetail;
  };
  // Cuts the raw arguments of a function whose "(" is the current token, leaving the token
  // after the ")".
  ArgumentCut CutArguments(size_t count, std::string* out);

 private:
  size_t FindDelimiter(char delimiter, size_t from);

  std::string text_;
  size_t position_ = 0;
  int token_ = kEnd;

  // Where the argument cutter last found each delimiter, so that a long line of function
  // calls is cut in linear time.
  struct DelimiterCache {
    size_t from = 1, found = 0;  // empty range
  };
  std::array<DelimiterCache, 2> delimiterCache_;
};

}  // namespace qlm
