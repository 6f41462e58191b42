#include "expr/ExpressionCursor.h"

#include <algorithm>
#include <cstring>

#include "expr/ErrorTable.h"
#include "expr/NumberText.h"

namespace qlm {
namespace {

constexpr std::string_view kDelimiters = "0123456789(){}[]<>+-*/=&^%$#@?!:.,;'|~`\\";

bool IsBlank(int c) {
  return c == ' ' || c == '\t';
}

}  // namespace

void ExpressionCursor::Reset(const std::string& text) {
  text_ = std::string(TrimBlanks(text));
  position_ = 0;
  token_ = kEnd;
  delimiterCache_ = {};
}

void ExpressionCursor::NextToken() {
  while (position_ < text_.size()) {
    int c = static_cast<unsigned char>(text_[position_++]);
    if (!IsBlank(c)) {
      token_ = c;
      return;
    }
  }
  token_ = kEnd;
}

void ExpressionCursor::NextChar() {
  token_ = position_ < text_.size() ? static_cast<unsigned char>(text_[position_++]) : kEnd;
}

bool ExpressionCursor::TokenIsNameChar() const {
  return token_ != kEnd && kDelimiters.find(static_cast<char>(token_)) == std::string_view::npos;
}

std::string ExpressionCursor::CollectName() {
  std::string name;
  while (TokenIsNameChar() || TokenIsDigit()) {
    name += static_cast<char>(token_);
    NextToken();
  }
  return name;
}

std::string ExpressionCursor::NumberLiteral() {
  std::string literal;
  for (;;) {
    bool exponentSign =
        token_ == '-' && !literal.empty() && std::strchr("eEdD", literal.back()) != nullptr;
    if (!(TokenIsDigit() || token_ == '.' || token_ == 'e' || token_ == 'E' || token_ == 'd' ||
          token_ == 'D' || exponentSign)) {
      break;
    }
    literal += static_cast<char>(token_);
    NextToken();
  }
  return literal;
}

bool ExpressionCursor::QuotedConstant(std::string& constant) {
  constant.clear();
  NextChar();
  while (token_ != '\'' && token_ != kEnd) {
    constant += static_cast<char>(token_);
    NextChar();
    if (token_ == '\'' && constant.back() == '\\') {
      if (constant.size() >= 2 && constant[constant.size() - 2] == '\\') {
        constant.pop_back();  // "\\" before the quote: one backslash, and the quote ends
        break;
      }
      constant.back() = '\'';  // "\'" is a quote inside the constant
      NextChar();
    }
  }
  return token_ != kEnd;
}

bool ExpressionCursor::PathMacro(std::string& macro) {
  macro.assign(1, '<');
  do {
    NextToken();
    if (token_ == kEnd)
      break;
    macro += static_cast<char>(token_);
  } while (token_ != '>');
  return token_ == '>';
}

ExpressionCursor::Comparison ExpressionCursor::ReadComparison() {
  char op[2] = {static_cast<char>(token_), 0};
  NextToken();
  if (token_ == '=' || token_ == '<' || token_ == '>') {
    op[1] = static_cast<char>(token_);
    NextToken();
  }
  const std::string_view o(op, op[1] ? 2 : 1);
  if (o == "<")
    return Comparison::kLess;
  if (o == ">")
    return Comparison::kGreater;
  if (o == "<=" || o == "=<")
    return Comparison::kLessEqual;
  if (o == ">=" || o == "=>")
    return Comparison::kGreaterEqual;
  if (o == "=" || o == "==")
    return Comparison::kEqual;
  if (o == "<>" || o == "><")
    return Comparison::kNotEqual;
  return Comparison::kKeepLeft;
}

std::string ExpressionCursor::Location() const {
  constexpr std::string_view kMark = " ?????";
  const size_t read = std::min(position_, text_.size());
  std::string location;
  location.reserve(read + kMark.size());
  location.append(text_, 0, read);
  location.append(kMark);
  return location;
}

size_t ExpressionCursor::FindDelimiter(char delimiter, size_t from) {
  DelimiterCache& cache = delimiterCache_[delimiter == ',' ? 0 : 1];
  if (from >= cache.from && from <= cache.found)
    return cache.found;
  size_t found = text_.find(delimiter, from);
  if (found == std::string::npos)
    found = text_.size();
  cache.from = from;
  cache.found = found;
  return found;
}

ExpressionCursor::ArgumentCut ExpressionCursor::CutArguments(size_t count, std::string* out) {
  ArgumentCut cut;
  size_t rest = position_;
  int depth = 0;
  for (;;) {
    NextToken();
    if (token_ == kEnd)
      break;
    if (token_ == '(') {
      ++depth;
    } else if (token_ == ')') {
      if (depth == 0)
        break;
      --depth;
    }
  }
  if (token_ != ')') {
    cut.errorCode = expr_error::kString;
    cut.errorDetail = "Expecting )";
    return cut;
  }
  NextToken();
  if (count == 0) {
    cut.ok = true;
    return cut;
  }

  // Cut like a standard tokenising split: arguments end at ",", the last one at ")", and
  // consecutive delimiters count as one.
  size_t p = rest;
  for (size_t i = 0; i < count; ++i) {
    char delimiter = i + 1 < count ? ',' : ')';
    while (p < text_.size() && text_[p] == delimiter)
      ++p;
    if (p >= text_.size())
      return cut;
    size_t end = FindDelimiter(delimiter, p);
    out[i] = text_.substr(p, end - p);
    p = end < text_.size() ? end + 1 : end;
  }
  for (size_t i = 0; i < count; ++i) {
    std::string& piece = out[i];
    if (!piece.empty() && piece.front() == '\'') {
      if (piece.size() >= 2 && piece.back() == '\'') {
        piece = piece.substr(1, piece.size() - 2);
      } else {
        // Only the first error of a line counts, so later pieces need not report theirs.
        if (cut.errorCode == 0) {
          cut.errorCode = expr_error::kString;
          cut.errorDetail = "Expecting '";
        }
        piece.clear();
      }
    }
    piece = std::string(TrimBlanks(piece));
  }
  cut.ok = true;
  return cut;
}

}  // namespace qlm
