#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "expr/ClassicRandom.h"
#include "expr/VariableStore.h"

namespace qlm {

class Clock;
class EvaluatorOwner;
class FileSystem;
class PathMacros;

// Reads one line of script text and computes it while parsing: assignments and numeric
// expressions (ExecuteStatement), If conditions (EvaluateCondition) and the string expressions
// inside them. Every number is a double; truth values are 1 and 0. Errors do not stop an
// evaluation: the first one is recorded and the caller reads it afterwards.
class ExpressionEvaluator {
 public:
  enum Mode { StatementMode = 0, ConditionMode = 1 };

  // Expressions nested deeper than this raise an overflow error instead of recursing further.
  static constexpr int kMaxNesting = 200;

  // Seeds rnd from the clock's tick (a fixed seed without a clock) and discards three values.
  explicit ExpressionEvaluator(const Clock* clock = nullptr);

  double ExecuteStatement(const std::string& text);
  double EvaluateCondition(const std::string& text);

  bool HasError() const { return errorFlag_ != 0; }
  int ErrorCode() const { return errorCode_; }
  // The error table text, a blank and the detail.
  const std::string& ErrorMessage() const { return errorMessage_; }
  // The text read up to the error followed by " ?????", or the whole text for a leftover token.
  const std::string& ErrorLocation() const { return errorLocation_; }

  // The variable store this evaluator owns.
  VariableStore& Variables() { return variables_; }
  const VariableStore& Variables() const { return variables_; }
  bool SetNumber(const std::string& name, double value) {
    return variables_.SetNumber(name, value);
  }
  bool SetText(const std::string& name, const std::string& text) {
    return variables_.SetText(name, text);
  }
  bool GetNumber(const std::string& name, double& value) const {
    return variables_.GetNumber(name, value);
  }
  bool GetText(const std::string& name, std::string& text) const {
    return variables_.GetText(name, text);
  }
  std::string NormalizeName(const std::string& name) const {
    return variables_.NormalizeName(name);
  }

  // The window the information functions read; null for an evaluator that only checks.
  void SetOwner(EvaluatorOwner* owner) { owner_ = owner; }
  EvaluatorOwner* Owner() const { return owner_; }
  // Path macros applied to quoted constants and file arguments.
  void SetPathMacros(PathMacros* macros) { macros_ = macros; }
  // Where the file functions open files.
  void SetFileSystem(const FileSystem* files) { files_ = files; }

  void SeedRandom(uint32_t seed) { random_.Seed(seed); }
  // The generator behind rnd; commands that shuffle draw from it too.
  ClassicRandom& Random() { return random_; }

 private:
  friend class BuiltinFunctions;
  friend struct FunctionContext;

  double Evaluate(const std::string& text, Mode mode);
  void SetError(int code, std::string_view detail, const std::string* location = nullptr);

  // Tokenizer: the current token is one byte, or kEnd at the end of the text.
  static constexpr int kEnd = -1;
  void NextToken();
  void NextChar();
  bool TokenIsNameChar() const;
  bool TokenIsDigit() const { return token_ >= '0' && token_ <= '9'; }
  // Name characters and digits from the current token on.
  std::string CollectName();

  // Grammar levels, lowest binding first.
  double OrAnd();
  double Comparison();
  double Additive();
  double Multiplicative();
  double Power();
  // `assigned` is set when the operand was an assignment.
  double Unary(bool* assigned = nullptr);
  double Number();
  double Primary(bool* assigned = nullptr);
  double ParenExpression();
  double ReadIndex();
  double StringVariableInNumber(const std::string& name);
  std::string EvaluateText();
  std::string TextOperand(bool& stop);
  std::string QuotedConstant(bool& stop);
  std::string PathMacroOperand(bool& stop);
  std::string ReadSystemVariable(const std::string& name) const;
  std::string ExpandMacros(const std::string& text);

  // Cuts the raw arguments of a function whose "(" is the current token. False when the
  // parenthesis is not closed (error raised) or a piece is missing (caller raises).
  bool RawArguments(size_t count, std::string* out);
  size_t FindDelimiter(char delimiter, size_t from);

  std::string ResolveText(const std::string& raw) const;
  double ResolveNumber(const std::string& raw) const;
  int32_t ResolveInteger(const std::string& raw) const;
  bool ResolveFlag(const std::string& raw) const;

  VariableStore variables_;
  std::string text_;
  size_t position_ = 0;
  int token_ = kEnd;
  Mode mode_ = StatementMode;
  int depth_ = 0;
  int errorFlag_ = 0;
  int errorCode_ = 0;
  std::string errorMessage_;
  std::string errorLocation_;

  EvaluatorOwner* owner_ = nullptr;
  PathMacros* macros_ = nullptr;
  const FileSystem* files_ = nullptr;
  ClassicRandom random_;

  // Where the raw-argument cutter last found each delimiter, so that a long line of function
  // calls is cut in linear time.
  struct DelimiterCache {
    size_t from = 1, found = 0;  // empty range
  };
  std::array<DelimiterCache, 2> delimiterCache_;
};

}  // namespace qlm
