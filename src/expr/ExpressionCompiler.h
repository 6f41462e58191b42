#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "expr/CompiledExpression.h"
#include "expr/ExpressionCursor.h"

namespace qlm {

// Reads a line of expression text as the evaluator reads it, level by level, and emits the
// ops that compute what the evaluator would compute, in the same order: errors found by
// reading become ops located where the evaluator would locate them.
class ExpressionCompiler {
 public:
  // Null when the text cannot be compiled faithfully; the caller then reads it each time.
  // `earlyStops` lists the positions of "+" signs where a concatenation stops because its
  // text grew too long.
  static std::shared_ptr<const CompiledExpression> Compile(const std::string& text, int mode,
                                                           std::vector<size_t> earlyStops = {});

 private:
  using Code = CompiledExpression::Code;

  explicit ExpressionCompiler(CompiledExpression& program) : program_(program) {}

  void Emit(Code code, uint32_t a = 0, uint32_t b = 0);
  uint32_t Number(double value);
  uint32_t String(std::string text);
  uint32_t Bind(const std::string& name);
  void Error(int code, std::string_view detail);
  void ErrorAt(int code, std::string_view detail, std::string location);

  void OrAnd();
  void Comparison();
  void Additive();
  void Multiplicative();
  void Power();
  void Unary(bool* assigned = nullptr);
  void NumberLiteral();
  void Primary(bool* assigned);
  void ParenExpression();
  void ReadIndex();
  void StringVariableInNumber(const std::string& name);
  void NumericCall(int function);
  void TextCall(int function);
  void RawArguments(CompiledExpression::Call& call, size_t count);
  void EvaluateText();
  void TextOperand(bool& stop);
  void QuotedConstant(bool& stop);
  void PathMacroOperand(bool& stop);

  CompiledExpression& program_;
  ExpressionCursor cursor_;
  int depth_ = 0;
  // Stack depths while emitting; a mismatch at the end means the program cannot be trusted.
  long numbers_ = 0;
  long texts_ = 0;
  bool broken_ = false;
};

}  // namespace qlm
