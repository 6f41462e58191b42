#include "expr/ExpressionCompiler.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>

#include "expr/BuiltinFunctions.h"
#include "expr/ErrorTable.h"
#include "expr/ExpressionEvaluator.h"
#include "expr/NumberText.h"

namespace qlm {
namespace {

using Code = CompiledExpression::Code;

constexpr double kOverflowLimit = 1e301;

// How each op changes the depths of the number and text stacks.
struct StackEffect {
  int numbers;
  int texts;
};

StackEffect EffectOf(Code code, const CompiledExpression& program, uint32_t a) {
  switch (code) {
    case Code::kConst:
    case Code::kLoad:
    case Code::kLoadChecked:
      return {1, 0};
    case Code::kLoadIndexed:
    case Code::kStore:
    case Code::kOverflowCheck:
    case Code::kError:
      return {0, 0};
    case Code::kStoreIndexed:
    case Code::kPopNumber:
    case Code::kOr:
    case Code::kAnd:
    case Code::kLess:
    case Code::kGreater:
    case Code::kLessEqual:
    case Code::kGreaterEqual:
    case Code::kEqual:
    case Code::kNotEqual:
    case Code::kKeepLeft:
    case Code::kAdd:
    case Code::kSub:
    case Code::kMul:
    case Code::kDiv:
    case Code::kPower:
      return {-1, 0};
    case Code::kText:
    case Code::kTextLiteral:
    case Code::kTextLoad:
    case Code::kSystemVariable:
    case Code::kPathMacro:
    case Code::kListItem:
    case Code::kConcatStart:
      return {0, 1};
    case Code::kTextLoadIndexed:
      return {-1, 1};
    case Code::kConcatAppend:
      return {0, -1};
    case Code::kTextAssign:
    case Code::kTextCompare:
      return {1, -1};
    case Code::kTextAssignIndexed:
    case Code::kTextCompareIndexed:
      return {0, -1};
    case Code::kCallNumeric:
    case Code::kCallText: {
      const CompiledExpression::Call& call = program.calls[a];
      const int in_numbers = call.form == CompiledExpression::ArgumentForm::kNumber ? 1 : 0;
      const int in_texts = call.form == CompiledExpression::ArgumentForm::kText ? 1 : 0;
      return code == Code::kCallNumeric ? StackEffect{1 - in_numbers, -in_texts}
                                        : StackEffect{-in_numbers, 1 - in_texts};
    }
  }
  return {0, 0};
}

}  // namespace

std::shared_ptr<const CompiledExpression> ExpressionCompiler::Compile(
    const std::string& text, int mode, std::vector<size_t> earlyStops) {
  auto program = std::make_shared<CompiledExpression>();
  program->text = text;
  program->mode = mode;
  program->earlyStops = std::move(earlyStops);
  ExpressionCompiler compiler(*program);
  ExpressionCursor& cursor = compiler.cursor_;
  cursor.Reset(text);
  cursor.NextToken();
  compiler.OrAnd();
  if (cursor.Token() == ')') {
    compiler.Error(expr_error::kBraces, expr_detail::kMoreClosing);
  } else if (cursor.Token() != ExpressionCursor::kEnd) {
    compiler.ErrorAt(expr_error::kLeftover, "", cursor.Text());
  }
  if (compiler.broken_ || compiler.numbers_ != 1 || compiler.texts_ != 0)
    return nullptr;
  return program;
}

void ExpressionCompiler::Emit(Code code, uint32_t a, uint32_t b) {
  program_.ops.push_back({code, a, b});
  const StackEffect effect = EffectOf(code, program_, a);
  // Ops that pop must find what they pop.
  const int popsNumbers = code == Code::kStoreIndexed || code == Code::kTextLoadIndexed ||
                                  code == Code::kTextAssignIndexed ||
                                  code == Code::kTextCompareIndexed
                              ? 1
                              : std::max(0, -effect.numbers);
  if (numbers_ < popsNumbers || texts_ < std::max(0, -effect.texts))
    broken_ = true;
  numbers_ += effect.numbers;
  texts_ += effect.texts;
  program_.maxNumbers = std::max(program_.maxNumbers, static_cast<size_t>(std::max(0L, numbers_)));
  program_.maxTexts = std::max(program_.maxTexts, static_cast<size_t>(std::max(0L, texts_)) + 1);
}

uint32_t ExpressionCompiler::Number(double value) {
  program_.numbers.push_back(value);
  return static_cast<uint32_t>(program_.numbers.size() - 1);
}

uint32_t ExpressionCompiler::String(std::string text) {
  program_.strings.push_back(std::move(text));
  return static_cast<uint32_t>(program_.strings.size() - 1);
}

uint32_t ExpressionCompiler::Bind(const std::string& name) {
  auto& bindings = program_.bindings;
  for (size_t i = 0; i < bindings.size(); ++i) {
    if (bindings[i].name == name)
      return static_cast<uint32_t>(i);
  }
  bindings.push_back({name, nullptr});
  return static_cast<uint32_t>(bindings.size() - 1);
}

void ExpressionCompiler::Error(int code, std::string_view detail) {
  ErrorAt(code, detail, cursor_.Location());
}

void ExpressionCompiler::ErrorAt(int code, std::string_view detail, std::string location) {
  program_.errors.push_back({code, std::string(detail), std::move(location)});
  Emit(Code::kError, static_cast<uint32_t>(program_.errors.size() - 1));
}

void ExpressionCompiler::OrAnd() {
  if (depth_ >= ExpressionEvaluator::kMaxNesting) {
    Error(expr_error::kOverflow, expr_detail::kTooDeep);
    Emit(Code::kConst, Number(0));
    return;
  }
  ++depth_;
  Comparison();
  while (cursor_.Token() == '|' || cursor_.Token() == '&') {
    const int op = cursor_.Token();
    cursor_.NextToken();
    Comparison();
    Emit(op == '|' ? Code::kOr : Code::kAnd);
  }
  --depth_;
}

void ExpressionCompiler::Comparison() {
  Additive();
  while (cursor_.Token() == '<' || cursor_.Token() == '>' || cursor_.Token() == '=') {
    const ExpressionCursor::Comparison op = cursor_.ReadComparison();
    Additive();
    // By ExpressionCursor::Comparison.
    constexpr Code kCodes[] = {Code::kLess,  Code::kGreater,  Code::kLessEqual, Code::kGreaterEqual,
                               Code::kEqual, Code::kNotEqual, Code::kKeepLeft};
    Emit(kCodes[static_cast<size_t>(op)]);
  }
}

void ExpressionCompiler::Additive() {
  Multiplicative();
  while (cursor_.Token() == '+' || cursor_.Token() == '-') {
    const int op = cursor_.Token();
    cursor_.NextToken();
    Multiplicative();
    Emit(op == '+' ? Code::kAdd : Code::kSub);
  }
}

void ExpressionCompiler::Multiplicative() {
  Power();
  while (cursor_.Token() == '*' || cursor_.Token() == '/') {
    const int op = cursor_.Token();
    cursor_.NextToken();
    Power();
    Emit(op == '*' ? Code::kMul : Code::kDiv);
  }
  // The check needs no op of its own when the last op made the value: a constant within the
  // limit or a truth value passes it, and a variable is checked as it is loaded.
  CompiledExpression::Op& last = program_.ops.back();
  switch (last.code) {
    case Code::kConst: {
      const double value = program_.numbers[last.a];
      if (!(value > kOverflowLimit) && !std::isnan(value))
        return;
      break;
    }
    case Code::kOr:
    case Code::kAnd:
    case Code::kLess:
    case Code::kGreater:
    case Code::kLessEqual:
    case Code::kGreaterEqual:
    case Code::kEqual:
    case Code::kNotEqual:
    case Code::kTextAssign:
    case Code::kTextAssignIndexed:
    case Code::kTextCompare:
    case Code::kTextCompareIndexed:
      return;
    case Code::kLoad:
      last.code = Code::kLoadChecked;
      last.b = String(cursor_.Location());
      return;
    default:
      break;
  }
  Emit(Code::kOverflowCheck, String(cursor_.Location()));
}

void ExpressionCompiler::Power() {
  bool assigned = false;
  Unary(&assigned);
  if (cursor_.Token() != '^' || assigned)
    return;
  cursor_.NextToken();
  Unary();
  Emit(Code::kPower);
}

void ExpressionCompiler::Unary(bool* assigned) {
  if (cursor_.TokenIsDigit() || cursor_.Token() == '-') {
    NumberLiteral();
  } else if (cursor_.Token() == '(') {
    ParenExpression();
  } else if (cursor_.TokenIsNameChar()) {
    Primary(assigned);
  } else {
    Error(expr_error::kSyntax, "");
    Emit(Code::kConst, Number(-1));
  }
}

void ExpressionCompiler::ParenExpression() {
  cursor_.NextToken();
  OrAnd();
  if (cursor_.Token() != ')')
    Error(expr_error::kBraces, expr_detail::kExpectedParen);
  cursor_.NextToken();
  if (cursor_.TokenIsNameChar() || cursor_.Token() == '(')
    Error(expr_error::kOperandMissing, "");
}

void ExpressionCompiler::NumberLiteral() {
  Emit(Code::kConst, Number(ParseDecimal(cursor_.NumberLiteral(), true)));
  if (cursor_.TokenIsNameChar() || cursor_.Token() == '(')
    Error(expr_error::kOperandMissing, "");
}

void ExpressionCompiler::ReadIndex() {
  cursor_.NextToken();
  OrAnd();
  if (cursor_.Token() != ']')
    Error(expr_error::kBrackets, expr_detail::kExpectedBracket);
  cursor_.NextToken();
  if (cursor_.TokenIsNameChar() || cursor_.Token() == '(')
    Error(expr_error::kOperandMissing, "");
}

void ExpressionCompiler::Primary(bool* assigned) {
  const std::string name = cursor_.CollectName();
  if (cursor_.Token() == '$') {
    StringVariableInNumber(name);
    return;
  }
  if (name == "TRUE" || name == "FALSE") {
    Emit(Code::kConst, Number(name == "TRUE" ? 1 : 0));
    return;
  }
  if (cursor_.Token() == '(') {
    const int function = BuiltinFunctions::NumericFunction(name);
    if (function >= 0) {
      NumericCall(function);
      return;
    }
  }
  const bool indexed = cursor_.Token() == '[';
  if (indexed)
    ReadIndex();
  if (program_.mode == ExpressionEvaluator::StatementMode && cursor_.Token() == '=') {
    cursor_.NextToken();
    OrAnd();
    if (indexed) {
      Emit(Code::kStoreIndexed, String(name));
    } else {
      Emit(Code::kStore, Bind(name));
    }
    if (assigned)
      *assigned = true;
    return;
  }
  if (indexed) {
    Emit(Code::kLoadIndexed, String(name));
  } else {
    Emit(Code::kLoad, Bind(name));
  }
}

void ExpressionCompiler::StringVariableInNumber(const std::string& name) {
  cursor_.NextToken();
  if (cursor_.Token() == ExpressionCursor::kEnd) {
    Error(expr_error::kString, expr_detail::kStringAtEnd);
    Emit(Code::kConst, Number(0));
    return;
  }
  const std::string variable = name + "$";
  const bool indexed = cursor_.Token() == '[';
  if (indexed)
    ReadIndex();
  const uint32_t target = indexed ? String(variable) : Bind(variable);

  if (cursor_.Token() == '=') {
    cursor_.NextToken();
    EvaluateText();
    if (program_.mode == ExpressionEvaluator::StatementMode) {
      Emit(indexed ? Code::kTextAssignIndexed : Code::kTextAssign, target);
    } else {
      Emit(indexed ? Code::kTextCompareIndexed : Code::kTextCompare, target,
           CompiledExpression::kSame);
    }
    return;
  }
  if (program_.mode == ExpressionEvaluator::ConditionMode &&
      (cursor_.Token() == '>' || cursor_.Token() == '<')) {
    uint32_t test =
        cursor_.Token() == '>' ? CompiledExpression::kAfter : CompiledExpression::kBefore;
    cursor_.NextToken();
    if (cursor_.Token() == '>' || cursor_.Token() == '<') {
      test = CompiledExpression::kDiffers;
      cursor_.NextToken();
    }
    EvaluateText();
    Emit(indexed ? Code::kTextCompareIndexed : Code::kTextCompare, target, test);
    return;
  }
  Error(expr_error::kString, expr_detail::kStringWrongPlace);
  if (indexed)
    Emit(Code::kPopNumber);
  Emit(Code::kConst, Number(0));
}

void ExpressionCompiler::RawArguments(CompiledExpression::Call& call, size_t count) {
  call.form = CompiledExpression::ArgumentForm::kRaw;
  call.raw.resize(count);
  const ExpressionCursor::ArgumentCut cut = cursor_.CutArguments(count, call.raw.data());
  if (cut.errorCode != 0)
    Error(cut.errorCode, cut.errorDetail);
  if (!cut.ok)
    Error(expr_error::kParameters, "Wrong number of parameters.");
  call.rawOk = cut.ok;
}

void ExpressionCompiler::NumericCall(int function) {
  CompiledExpression::Call call;
  call.function = function;
  const int arguments = BuiltinFunctions::NumericArguments(function);
  if (arguments == BuiltinFunctions::kNumberArgument) {
    call.form = CompiledExpression::ArgumentForm::kNumber;
    ParenExpression();
  } else if (arguments == BuiltinFunctions::kTextArgument) {
    call.form = CompiledExpression::ArgumentForm::kText;
    cursor_.NextToken();
    EvaluateText();
    if (cursor_.Token() != ')')
      Error(expr_error::kString, "Expecting: ')'");
    cursor_.NextToken();
  } else {
    RawArguments(call, static_cast<size_t>(arguments));
  }
  call.location = cursor_.Location();
  program_.calls.push_back(std::move(call));
  Emit(Code::kCallNumeric, static_cast<uint32_t>(program_.calls.size() - 1));
}

void ExpressionCompiler::TextCall(int function) {
  const int arguments = BuiltinFunctions::TextArguments(function);
  if (arguments < 0) {
    broken_ = true;  // every text function reads raw arguments
    return;
  }
  CompiledExpression::Call call;
  call.function = function;
  RawArguments(call, static_cast<size_t>(arguments));
  call.location = cursor_.Location();
  program_.calls.push_back(std::move(call));
  Emit(Code::kCallText, static_cast<uint32_t>(program_.calls.size() - 1));
}

void ExpressionCompiler::EvaluateText() {
  Emit(Code::kConcatStart);
  for (;;) {
    bool stop = false;
    TextOperand(stop);
    const bool more = !stop && cursor_.Token() == '+';
    const size_t plus = cursor_.Position();
    Emit(Code::kConcatAppend, String(cursor_.Location()), more ? static_cast<uint32_t>(plus) : 0);
    if (!more)
      return;
    const auto& stops = program_.earlyStops;
    if (std::find(stops.begin(), stops.end(), plus) != stops.end())
      return;  // the text grew too long here: the rest is read by the levels above
    cursor_.NextToken();
  }
}

void ExpressionCompiler::TextOperand(bool& stop) {
  if (cursor_.Token() == '\'') {
    QuotedConstant(stop);
    return;
  }
  const std::string name = cursor_.CollectName();
  if (cursor_.Token() == '$') {
    cursor_.NextToken();
    const std::string variable = name + "$";
    if (cursor_.Token() == '[') {
      ReadIndex();
      Emit(Code::kTextLoadIndexed, String(variable));
    } else {
      Emit(Code::kTextLoad, Bind(variable));
    }
    return;
  }
  if (cursor_.Token() == '(') {
    const int function = BuiltinFunctions::TextFunction(name);
    if (function >= 0) {
      TextCall(function);
    } else {
      Emit(Code::kTextLiteral, String({}));
    }
    return;
  }
  if (name.starts_with("CBK_")) {
    Emit(Code::kSystemVariable, String(name));
    return;
  }
  if (cursor_.Token() == '<') {
    PathMacroOperand(stop);
    return;
  }
  Error(expr_error::kString, expr_detail::kMixing);
  stop = true;
  Emit(Code::kTextLiteral, String({}));
}

void ExpressionCompiler::QuotedConstant(bool& stop) {
  std::string constant;
  const bool closed = cursor_.QuotedConstant(constant);
  if (!closed) {
    cursor_.NextToken();
    Error(expr_error::kString, expr_detail::kMissingQuote);
    stop = true;
    Emit(Code::kTextLiteral, String({}));
    return;
  }
  cursor_.NextToken();
  Emit(Code::kText, String(std::move(constant)));
}

void ExpressionCompiler::PathMacroOperand(bool& stop) {
  std::string macro;
  if (!cursor_.PathMacro(macro)) {
    Error(expr_error::kString, "Expecting >");
    cursor_.NextToken();
    stop = true;
    Emit(Code::kTextLiteral, String({}));
    return;
  }
  cursor_.NextToken();
  if (macro != "<List>") {
    Emit(Code::kPathMacro, String(std::move(macro)));
    return;
  }
  const std::string indexText = cursor_.CollectName();
  Emit(Code::kListItem, Bind(indexText), Number(ParseDecimal(indexText)));
}

}  // namespace qlm
