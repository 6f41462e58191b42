#include "expr/ExpressionEvaluator.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "expr/BuiltinFunctions.h"
#include "expr/ErrorTable.h"
#include "expr/EvaluatorOwner.h"
#include "expr/NumberText.h"
#include "expr/PathMacros.h"
#include "expr/TextLimit.h"
#include "platform/Clock.h"

namespace qlm {
namespace {

constexpr std::string_view kDelimiters = "0123456789(){}[]<>+-*/=&^%$#@?!:.,;'|~`\\";

constexpr std::string_view kExpectedParen = " Expected ')'";
constexpr std::string_view kExpectedBracket = " Expected ']'";
constexpr std::string_view kMoreClosing = " : You have more ')' braces than '('";
constexpr std::string_view kStringAtEnd =
    "Using String variable in the wrong place \nor as a part of non-string expression..";
constexpr std::string_view kStringWrongPlace =
    "String on wrong place \nor using string in non-string expression.";
constexpr std::string_view kMissingQuote = "Missing ' on the end of constant string.";
constexpr std::string_view kMixing =
    "Error:You are trying to mix string and non-string variables.\n"
    "To convert a numeric variable to the string use CHAR(variable)\n"
    "To assign a constant string use: string$='abcdef' not string$=\"abcdef\"";
constexpr std::string_view kTooDeep = ": expression nested too deeply";

constexpr double kOverflowLimit = 1e301;
constexpr double kEqualTolerance = 1e-10;
// Exponents up to this many multiplications run as a loop; larger ones use pow, which gives
// the same value up to rounding without running for ages.
constexpr double kPowerLoopLimit = 65536;

bool IsBlank(int c) {
  return c == ' ' || c == '\t';
}

std::string IndexText(double index) {
  char digits[32];
  std::snprintf(digits, sizeof digits, "%" PRId64, TruncateIndex(index));
  return digits;
}

double IntegerPower(double base, double exponent) {
  if (!(exponent >= 1))
    return 1.0;
  double count = std::floor(exponent);
  if (count > kPowerLoopLimit)
    return std::pow(base, count);
  double result = 1.0;
  for (double i = 1; i <= count; ++i)
    result *= base;
  return result;
}

}  // namespace

ExpressionEvaluator::ExpressionEvaluator(const Clock* clock) {
  random_.Seed(clock ? static_cast<uint32_t>(clock->TickCount()) : 1u);
  for (int i = 0; i < 3; ++i)
    random_.Next();
}

double ExpressionEvaluator::ExecuteStatement(const std::string& text) {
  return Evaluate(text, StatementMode);
}

double ExpressionEvaluator::EvaluateCondition(const std::string& text) {
  double value = Evaluate(text, ConditionMode);
  mode_ = StatementMode;
  return value;
}

double ExpressionEvaluator::Evaluate(const std::string& text, Mode mode) {
  text_ = std::string(TrimBlanks(text));
  token_ = kEnd;
  errorFlag_ = 0;
  errorCode_ = 0;
  errorMessage_.clear();
  position_ = 0;
  depth_ = 0;
  mode_ = mode;
  delimiterCache_ = {};
  NextToken();
  double value = OrAnd();
  if (token_ == ')') {
    SetError(expr_error::kBraces, kMoreClosing);
  } else if (token_ != kEnd) {
    SetError(expr_error::kLeftover, "", &text_);
  }
  return value;
}

void ExpressionEvaluator::SetError(int code, std::string_view detail, const std::string* location) {
  if (errorFlag_)
    return;
  errorFlag_ = 1;
  errorCode_ = code;
  errorMessage_.assign(ErrorTable(code));
  errorMessage_ += ' ';
  errorMessage_ += detail;
  if (location) {
    errorLocation_ = *location;
  } else {
    errorLocation_ = text_.substr(0, std::min(position_, text_.size()));
    errorLocation_ += " ?????";
  }
}

void ExpressionEvaluator::NextToken() {
  while (position_ < text_.size()) {
    int c = static_cast<unsigned char>(text_[position_++]);
    if (!IsBlank(c)) {
      token_ = c;
      return;
    }
  }
  token_ = kEnd;
}

void ExpressionEvaluator::NextChar() {
  token_ = position_ < text_.size() ? static_cast<unsigned char>(text_[position_++]) : kEnd;
}

bool ExpressionEvaluator::TokenIsNameChar() const {
  return token_ != kEnd && kDelimiters.find(static_cast<char>(token_)) == std::string_view::npos;
}

std::string ExpressionEvaluator::CollectName() {
  std::string name;
  while (TokenIsNameChar() || TokenIsDigit()) {
    name += static_cast<char>(token_);
    NextToken();
  }
  return name;
}

double ExpressionEvaluator::OrAnd() {
  if (depth_ >= kMaxNesting) {
    SetError(expr_error::kOverflow, kTooDeep);
    return 0;
  }
  ++depth_;
  double left = Comparison();
  while (token_ == '|' || token_ == '&') {
    int op = token_;
    NextToken();
    double right = Comparison();
    int32_t a = TruncateToInt32(left), b = TruncateToInt32(right);
    left = op == '|' ? (a | b) : (a & b);
  }
  --depth_;
  return left;
}

double ExpressionEvaluator::Comparison() {
  double left = Additive();
  while (token_ == '<' || token_ == '>' || token_ == '=') {
    char op[2] = {static_cast<char>(token_), 0};
    NextToken();
    if (token_ == '=' || token_ == '<' || token_ == '>') {
      op[1] = static_cast<char>(token_);
      NextToken();
    }
    double right = Additive();
    std::string_view o(op, op[1] ? 2 : 1);
    if (o == "<") {
      left = left < right;
    } else if (o == ">") {
      left = left > right;
    } else if (o == "<=" || o == "=<") {
      left = left <= right;
    } else if (o == ">=" || o == "=>") {
      left = left >= right;
    } else if (o == "=" || o == "==") {
      left = std::fabs(left - right) <= kEqualTolerance;
    } else if (o == "<>" || o == "><") {
      left = left != right;
    }
    // "<<" and ">>" leave the left operand as it is.
  }
  return left;
}

double ExpressionEvaluator::Additive() {
  double left = Multiplicative();
  while (token_ == '+' || token_ == '-') {
    int op = token_;
    NextToken();
    double right = Multiplicative();
    left = op == '+' ? left + right : left - right;
  }
  return left;
}

double ExpressionEvaluator::Multiplicative() {
  double left = Power();
  while (token_ == '*' || token_ == '/') {
    int op = token_;
    NextToken();
    double right = Power();
    if (op == '*') {
      left *= right;
    } else {
      left = right == 0 ? 0 : left / right;
    }
  }
  if (left > kOverflowLimit || std::isnan(left)) {
    left = kOverflowLimit;
    SetError(expr_error::kOverflow, "");
  }
  return left;
}

double ExpressionEvaluator::Power() {
  bool assigned = false;
  double base = Unary(&assigned);
  // An assignment took the rest of the text as its value, with the one "^" it may hold: a
  // further "^" is left over (x=2^3^2 is an error, not (x=2^3)^2).
  if (token_ != '^' || assigned)
    return base;
  NextToken();
  double exponent = Unary();
  return IntegerPower(base, exponent);
}

double ExpressionEvaluator::Unary(bool* assigned) {
  if (TokenIsDigit() || token_ == '-')
    return Number();
  if (token_ == '(')
    return ParenExpression();
  if (TokenIsNameChar())
    return Primary(assigned);
  SetError(expr_error::kSyntax, "");
  return -1;
}

double ExpressionEvaluator::ParenExpression() {
  NextToken();
  double value = OrAnd();
  if (token_ != ')')
    SetError(expr_error::kBraces, kExpectedParen);
  NextToken();
  if (TokenIsNameChar() || token_ == '(')
    SetError(expr_error::kOperandMissing, "");
  return value;
}

double ExpressionEvaluator::Number() {
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
  double value = ParseDecimal(literal, true);
  if (TokenIsNameChar() || token_ == '(')
    SetError(expr_error::kOperandMissing, "");
  return value;
}

double ExpressionEvaluator::ReadIndex() {
  NextToken();
  double index = OrAnd();
  if (token_ != ']')
    SetError(expr_error::kBrackets, kExpectedBracket);
  NextToken();
  if (TokenIsNameChar() || token_ == '(')
    SetError(expr_error::kOperandMissing, "");
  return index;
}

double ExpressionEvaluator::Primary(bool* assigned) {
  std::string name = CollectName();
  if (token_ == '$')
    return StringVariableInNumber(name);
  if (name == "TRUE")
    return 1;
  if (name == "FALSE")
    return 0;
  if (token_ == '(') {
    double result = 0;
    if (BuiltinFunctions::CallNumeric(*this, name, result))
      return result;
  }
  if (token_ == '[')
    name += "[" + IndexText(ReadIndex()) + "]";
  if (mode_ == StatementMode && token_ == '=') {
    NextToken();
    double value = OrAnd();
    variables_.SetNumber(name, value);
    if (assigned)
      *assigned = true;
    return value;
  }
  const VariableRecord* record = variables_.Find(name);
  return record ? record->number : 0;
}

double ExpressionEvaluator::StringVariableInNumber(const std::string& name) {
  NextToken();
  if (token_ == kEnd) {
    SetError(expr_error::kString, kStringAtEnd);
    return 0;
  }
  std::string variable = name + "$";
  if (token_ == '[')
    variable = name + "$[" + IndexText(ReadIndex()) + "]";

  if (token_ == '=') {
    NextToken();
    std::string right = EvaluateText();
    if (mode_ == StatementMode) {
      variables_.SetText(variable, right);
      return 1;
    }
    std::string current;
    variables_.GetText(variable, current);
    return current == right ? 1 : 0;
  }
  if (mode_ == ConditionMode && (token_ == '>' || token_ == '<')) {
    int test = token_;
    NextToken();
    if (token_ == '>' || token_ == '<') {
      test = 0;  // differs
      NextToken();
    }
    std::string right = EvaluateText();
    std::string current;
    variables_.GetText(variable, current);
    int order = current.compare(right);
    if (test == '>')
      return order > 0 ? 1 : 0;
    if (test == '<')
      return order < 0 ? 1 : 0;
    return order != 0 ? 1 : 0;
  }
  SetError(expr_error::kString, kStringWrongPlace);
  return 0;
}

std::string ExpressionEvaluator::EvaluateText() {
  // Concatenation is right-recursive in the grammar; appending in a loop gives the same text
  // without a stack frame per operand.
  std::string result;
  for (;;) {
    bool stop = false;
    const std::string operand = TextOperand(stop);
    if (result.size() + operand.size() > kMaxScriptText) {
      SetError(expr_error::kOverflow, ": text too long");
      return {};
    }
    result += operand;
    if (stop || token_ != '+')
      return result;
    NextToken();
  }
}

std::string ExpressionEvaluator::TextOperand(bool& stop) {
  if (token_ == '\'')
    return QuotedConstant(stop);

  std::string name = CollectName();
  if (token_ == '$') {
    NextToken();
    std::string variable = name + "$";
    if (token_ == '[')
      variable = name + "$[" + IndexText(ReadIndex()) + "]";
    const VariableRecord* record = variables_.Find(variable);
    return record ? record->text : std::string();
  }
  if (token_ == '(') {
    std::string result;
    BuiltinFunctions::CallText(*this, name, result);
    return result;
  }
  if (name.starts_with("CBK_"))
    return ReadSystemVariable(name);
  if (token_ == '<')
    return PathMacroOperand(stop);
  SetError(expr_error::kString, kMixing);
  stop = true;
  return {};
}

std::string ExpressionEvaluator::QuotedConstant(bool& stop) {
  std::string constant;
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
  if (token_ == kEnd) {
    NextToken();
    SetError(expr_error::kString, kMissingQuote);
    stop = true;
    return {};
  }
  NextToken();
  return ExpandMacros(constant);
}

std::string ExpressionEvaluator::PathMacroOperand(bool& stop) {
  std::string macro = "<";
  do {
    NextToken();
    if (token_ == kEnd)
      break;
    macro += static_cast<char>(token_);
  } while (token_ != '>');
  if (token_ != '>') {
    SetError(expr_error::kString, "Expecting >");
    NextToken();
    stop = true;
    return {};
  }
  NextToken();
  if (macro != "<List>")
    return ExpandMacros(macro);

  // "<List>n": item n of the play list. The token after n is left for the concatenation check.
  std::string indexText = CollectName();
  double index = 0;
  if (!variables_.GetNumber(indexText, index))
    index = ParseDecimal(indexText);
  int64_t n = TruncateIndex(index);
  if (!owner_ || n < 1 || n > owner_->PlayListCount())
    return {};
  return owner_->PlayListItem(static_cast<int>(n));
}

std::string ExpressionEvaluator::ReadSystemVariable(const std::string& name) const {
  const VariableRecord* record = nullptr;
  if (name.starts_with("CBK_MP3")) {
    record = variables_.FindIgnoreCase("CBK_Audio" + name.substr(7));
  } else {
    record = variables_.FindIgnoreCase(name);
  }
  if (!record)
    return {};
  if (!record->text.empty())
    return record->text;
  if (record->number == TextMarker)
    return {};
  return FormatNumber(record->number);
}

std::string ExpressionEvaluator::ExpandMacros(const std::string& text) {
  return macros_ ? macros_->Expand(text) : text;
}

size_t ExpressionEvaluator::FindDelimiter(char delimiter, size_t from) {
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

bool ExpressionEvaluator::RawArguments(size_t count, std::string* out) {
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
    SetError(expr_error::kString, "Expecting )");
    return false;
  }
  NextToken();
  if (count == 0)
    return true;

  // Cut like a standard tokenising split: arguments end at ",", the last one at ")", and
  // consecutive delimiters count as one.
  size_t p = rest;
  for (size_t i = 0; i < count; ++i) {
    char delimiter = i + 1 < count ? ',' : ')';
    while (p < text_.size() && text_[p] == delimiter)
      ++p;
    if (p >= text_.size())
      return false;
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
        SetError(expr_error::kString, "Expecting '");
        piece.clear();
      }
    }
    piece = std::string(TrimBlanks(piece));
  }
  return true;
}

std::string ExpressionEvaluator::ResolveText(const std::string& raw) const {
  std::string text;
  if (variables_.GetText(raw, text))
    return text;
  return raw;
}

double ExpressionEvaluator::ResolveNumber(const std::string& raw) const {
  double value = 0;
  if (variables_.GetNumber(raw, value))
    return value;
  return ParseDecimal(raw);
}

int32_t ExpressionEvaluator::ResolveInteger(const std::string& raw) const {
  double value = 0;
  if (variables_.GetNumber(raw, value))
    return TruncateToInt32(value);
  return ParseInteger(raw);
}

bool ExpressionEvaluator::ResolveFlag(const std::string& raw) const {
  double value = 0;
  if (variables_.GetNumber(raw, value))
    return TruncateToInt32(value) == 1;
  return raw == "true" || raw == "TRUE" || raw == "1";
}

}  // namespace qlm
