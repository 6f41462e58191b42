#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "expr/ClassicRandom.h"
#include "expr/CompiledExpression.h"
#include "expr/ExpressionCursor.h"
#include "expr/VariableStore.h"

namespace qlm {

class Clock;
class EvaluatorOwner;
class FileSystem;
class PathMacros;

// Computes one line of script text: assignments and numeric expressions (ExecuteStatement), If
// conditions (EvaluateCondition) and the string expressions inside them. Every number is a
// double; truth values are 1 and 0. Errors do not stop an evaluation: the first one is recorded
// and the caller reads it afterwards. A text is compiled the first time it is evaluated and its
// program kept (per text and mode, a bounded number of them); running the program gives what
// reading the text again would give, which remains the way for texts that are not compiled.
class ExpressionEvaluator {
 public:
  enum Mode { StatementMode = 0, ConditionMode = 1 };

  // Expressions nested deeper than this raise an overflow error instead of recursing further.
  static constexpr int kMaxNesting = 200;

  // Seeds rnd from the clock's tick (a fixed seed without a clock) and discards three values.
  explicit ExpressionEvaluator(const Clock* clock = nullptr);

  double ExecuteStatement(const std::string& text);
  double EvaluateCondition(const std::string& text);

  // The program of a text, compiled on first use and kept; null when the text is read afresh
  // each time (compiling switched off, a very long text, or a text that cannot be compiled).
  std::shared_ptr<const CompiledExpression> Compile(const std::string& text, Mode mode);
  // Runs a program from Compile of this evaluator: the same as evaluating its text.
  double Run(const CompiledExpression& program);

  // Compiling is on by default; off, every evaluation reads its text (tests compare the two).
  void UseCompiledPrograms(bool use);
  struct CompileCounts {
    uint64_t compiledRuns = 0;  // evaluations by a program
    uint64_t parsedRuns = 0;    // evaluations by reading the text
    uint64_t compilations = 0;  // programs made, early-stop variants included
    uint64_t refused = 0;       // texts too long or not compilable
    uint64_t earlyStops = 0;    // runs that switched to an early-stop variant
  };
  const CompileCounts& Counts() const { return counts_; }
  // Texts longer than this are read each time; at most this many programs are kept per mode.
  static constexpr size_t kMaxCompiledText = 4096;
  static constexpr size_t kMaxPrograms = 2048;

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
  void ClearError();
  void SetError(int code, std::string_view detail, const std::string* location = nullptr);
  // The kept program of a text, or null; kept programs stay while any program runs.
  const CompiledExpression* Program(const std::string& text, Mode mode);
  // The variant of a running program that stops its concatenation early at this "+".
  const CompiledExpression* EarlyStop(const CompiledExpression& program, size_t plus);
  VariableRecord* Resolve(const CompiledExpression::Binding& binding);

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

  std::string ResolveText(const std::string& raw) const;
  double ResolveNumber(const std::string& raw) const;
  int32_t ResolveInteger(const std::string& raw) const;
  bool ResolveFlag(const std::string& raw) const;

  VariableStore variables_;
  ExpressionCursor cursor_;
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

  bool compile_ = true;
  std::unordered_map<std::string, std::shared_ptr<const CompiledExpression>> programs_[2];
  CompileCounts counts_;
  int running_ = 0;  // programs running (a function's dialog may run scripts meanwhile)
};

}  // namespace qlm
