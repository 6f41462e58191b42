#include "expr/ExpressionEvaluator.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "expr/BuiltinFunctions.h"
#include "expr/ErrorTable.h"
#include "expr/EvaluatorOwner.h"
#include "expr/ExpressionCompiler.h"
#include "expr/NumberText.h"
#include "expr/PathMacros.h"
#include "expr/TextLimit.h"
#include "platform/Clock.h"

namespace qlm {
namespace {

constexpr double kOverflowLimit = 1e301;
constexpr double kEqualTolerance = 1e-10;
// Exponents up to this many multiplications run as a loop; larger ones use pow, which gives
// the same value up to rounding without running for ages.
constexpr double kPowerLoopLimit = 65536;

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
  if (const CompiledExpression* program = Program(text, StatementMode))
    return Run(*program);
  return Evaluate(text, StatementMode);
}

double ExpressionEvaluator::EvaluateCondition(const std::string& text) {
  const CompiledExpression* program = Program(text, ConditionMode);
  double value = program ? Run(*program) : Evaluate(text, ConditionMode);
  mode_ = StatementMode;
  return value;
}

double ExpressionEvaluator::Evaluate(const std::string& text, Mode mode) {
  ++counts_.parsedRuns;
  cursor_.Reset(text);
  ClearError();
  depth_ = 0;
  mode_ = mode;
  cursor_.NextToken();
  double value = OrAnd();
  if (cursor_.Token() == ')') {
    SetError(expr_error::kBraces, expr_detail::kMoreClosing);
  } else if (cursor_.Token() != ExpressionCursor::kEnd) {
    SetError(expr_error::kLeftover, "", &cursor_.Text());
  }
  return value;
}

void ExpressionEvaluator::ClearError() {
  errorFlag_ = 0;
  errorCode_ = 0;
  errorMessage_.clear();
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
    errorLocation_ = cursor_.Location();
  }
}

double ExpressionEvaluator::OrAnd() {
  if (depth_ >= kMaxNesting) {
    SetError(expr_error::kOverflow, expr_detail::kTooDeep);
    return 0;
  }
  ++depth_;
  double left = Comparison();
  while (cursor_.Token() == '|' || cursor_.Token() == '&') {
    int op = cursor_.Token();
    cursor_.NextToken();
    double right = Comparison();
    int32_t a = TruncateToInt32(left), b = TruncateToInt32(right);
    left = op == '|' ? (a | b) : (a & b);
  }
  --depth_;
  return left;
}

double ExpressionEvaluator::Comparison() {
  double left = Additive();
  while (cursor_.Token() == '<' || cursor_.Token() == '>' || cursor_.Token() == '=') {
    const ExpressionCursor::Comparison op = cursor_.ReadComparison();
    double right = Additive();
    switch (op) {
      case ExpressionCursor::Comparison::kLess:
        left = left < right;
        break;
      case ExpressionCursor::Comparison::kGreater:
        left = left > right;
        break;
      case ExpressionCursor::Comparison::kLessEqual:
        left = left <= right;
        break;
      case ExpressionCursor::Comparison::kGreaterEqual:
        left = left >= right;
        break;
      case ExpressionCursor::Comparison::kEqual:
        left = std::fabs(left - right) <= kEqualTolerance;
        break;
      case ExpressionCursor::Comparison::kNotEqual:
        left = left != right;
        break;
      case ExpressionCursor::Comparison::kKeepLeft:
        break;
    }
  }
  return left;
}

double ExpressionEvaluator::Additive() {
  double left = Multiplicative();
  while (cursor_.Token() == '+' || cursor_.Token() == '-') {
    int op = cursor_.Token();
    cursor_.NextToken();
    double right = Multiplicative();
    left = op == '+' ? left + right : left - right;
  }
  return left;
}

double ExpressionEvaluator::Multiplicative() {
  double left = Power();
  while (cursor_.Token() == '*' || cursor_.Token() == '/') {
    int op = cursor_.Token();
    cursor_.NextToken();
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
  if (cursor_.Token() != '^' || assigned)
    return base;
  cursor_.NextToken();
  double exponent = Unary();
  return IntegerPower(base, exponent);
}

double ExpressionEvaluator::Unary(bool* assigned) {
  if (cursor_.TokenIsDigit() || cursor_.Token() == '-')
    return Number();
  if (cursor_.Token() == '(')
    return ParenExpression();
  if (cursor_.TokenIsNameChar())
    return Primary(assigned);
  SetError(expr_error::kSyntax, "");
  return -1;
}

double ExpressionEvaluator::ParenExpression() {
  cursor_.NextToken();
  double value = OrAnd();
  if (cursor_.Token() != ')')
    SetError(expr_error::kBraces, expr_detail::kExpectedParen);
  cursor_.NextToken();
  if (cursor_.TokenIsNameChar() || cursor_.Token() == '(')
    SetError(expr_error::kOperandMissing, "");
  return value;
}

double ExpressionEvaluator::Number() {
  const std::string literal = cursor_.NumberLiteral();
  double value = ParseDecimal(literal, true);
  if (cursor_.TokenIsNameChar() || cursor_.Token() == '(')
    SetError(expr_error::kOperandMissing, "");
  return value;
}

double ExpressionEvaluator::ReadIndex() {
  cursor_.NextToken();
  double index = OrAnd();
  if (cursor_.Token() != ']')
    SetError(expr_error::kBrackets, expr_detail::kExpectedBracket);
  cursor_.NextToken();
  if (cursor_.TokenIsNameChar() || cursor_.Token() == '(')
    SetError(expr_error::kOperandMissing, "");
  return index;
}

double ExpressionEvaluator::Primary(bool* assigned) {
  std::string name = cursor_.CollectName();
  if (cursor_.Token() == '$')
    return StringVariableInNumber(name);
  if (name == "TRUE")
    return 1;
  if (name == "FALSE")
    return 0;
  if (cursor_.Token() == '(') {
    double result = 0;
    if (BuiltinFunctions::CallNumeric(*this, name, result))
      return result;
  }
  if (cursor_.Token() == '[')
    name += "[" + IndexText(ReadIndex()) + "]";
  if (mode_ == StatementMode && cursor_.Token() == '=') {
    cursor_.NextToken();
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
  cursor_.NextToken();
  if (cursor_.Token() == ExpressionCursor::kEnd) {
    SetError(expr_error::kString, expr_detail::kStringAtEnd);
    return 0;
  }
  std::string variable = name + "$";
  if (cursor_.Token() == '[')
    variable = name + "$[" + IndexText(ReadIndex()) + "]";

  if (cursor_.Token() == '=') {
    cursor_.NextToken();
    std::string right = EvaluateText();
    if (mode_ == StatementMode) {
      variables_.SetText(variable, right);
      return 1;
    }
    std::string current;
    variables_.GetText(variable, current);
    return current == right ? 1 : 0;
  }
  if (mode_ == ConditionMode && (cursor_.Token() == '>' || cursor_.Token() == '<')) {
    int test = cursor_.Token();
    cursor_.NextToken();
    if (cursor_.Token() == '>' || cursor_.Token() == '<') {
      test = 0;  // differs
      cursor_.NextToken();
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
  SetError(expr_error::kString, expr_detail::kStringWrongPlace);
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
      SetError(expr_error::kOverflow, expr_detail::kTextTooLong);
      return {};
    }
    result += operand;
    if (stop || cursor_.Token() != '+')
      return result;
    cursor_.NextToken();
  }
}

std::string ExpressionEvaluator::TextOperand(bool& stop) {
  if (cursor_.Token() == '\'')
    return QuotedConstant(stop);

  std::string name = cursor_.CollectName();
  if (cursor_.Token() == '$') {
    cursor_.NextToken();
    std::string variable = name + "$";
    if (cursor_.Token() == '[')
      variable = name + "$[" + IndexText(ReadIndex()) + "]";
    const VariableRecord* record = variables_.Find(variable);
    return record ? record->text : std::string();
  }
  if (cursor_.Token() == '(') {
    std::string result;
    BuiltinFunctions::CallText(*this, name, result);
    return result;
  }
  if (name.starts_with("CBK_"))
    return ReadSystemVariable(name);
  if (cursor_.Token() == '<')
    return PathMacroOperand(stop);
  SetError(expr_error::kString, expr_detail::kMixing);
  stop = true;
  return {};
}

std::string ExpressionEvaluator::QuotedConstant(bool& stop) {
  std::string constant;
  const bool closed = cursor_.QuotedConstant(constant);
  if (!closed) {
    cursor_.NextToken();
    SetError(expr_error::kString, expr_detail::kMissingQuote);
    stop = true;
    return {};
  }
  cursor_.NextToken();
  return ExpandMacros(constant);
}

std::string ExpressionEvaluator::PathMacroOperand(bool& stop) {
  std::string macro;
  if (!cursor_.PathMacro(macro)) {
    SetError(expr_error::kString, "Expecting >");
    cursor_.NextToken();
    stop = true;
    return {};
  }
  cursor_.NextToken();
  if (macro != "<List>")
    return ExpandMacros(macro);

  // "<List>n": item n of the play list. The token after n is left for the concatenation check.
  std::string indexText = cursor_.CollectName();
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

bool ExpressionEvaluator::RawArguments(size_t count, std::string* out) {
  const ExpressionCursor::ArgumentCut cut = cursor_.CutArguments(count, out);
  if (cut.errorCode != 0)
    SetError(cut.errorCode, cut.errorDetail);
  return cut.ok;
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

// Compiled programs.

void ExpressionEvaluator::UseCompiledPrograms(bool use) {
  compile_ = use;
  if (!use && running_ == 0) {
    programs_[0].clear();
    programs_[1].clear();
  }
}

std::shared_ptr<const CompiledExpression> ExpressionEvaluator::Compile(const std::string& text,
                                                                       Mode mode) {
  if (!Program(text, mode))
    return nullptr;
  return programs_[mode].find(text)->second;
}

const CompiledExpression* ExpressionEvaluator::Program(const std::string& text, Mode mode) {
  if (!compile_)
    return nullptr;
  auto& programs = programs_[mode];
  auto found = programs.find(text);
  if (found != programs.end())
    return found->second.get();
  if (text.size() > kMaxCompiledText) {
    ++counts_.refused;
    return nullptr;
  }
  // The bound keeps a script that builds ever new texts from growing the cache without end.
  if (programs.size() >= kMaxPrograms && running_ == 0)
    programs.clear();
  auto program = ExpressionCompiler::Compile(text, mode);
  ++counts_.compilations;
  if (!program)
    ++counts_.refused;
  return programs.emplace(text, std::move(program)).first->second.get();
}

const CompiledExpression* ExpressionEvaluator::EarlyStop(const CompiledExpression& program,
                                                         size_t plus) {
  for (const auto& alternate : program.alternates) {
    if (alternate.stop == plus)
      return alternate.program.get();
  }
  std::vector<size_t> stops = program.earlyStops;
  stops.push_back(plus);
  auto variant = ExpressionCompiler::Compile(program.text, program.mode, std::move(stops));
  ++counts_.compilations;
  program.alternates.push_back({plus, variant});
  return variant.get();
}

VariableRecord* ExpressionEvaluator::Resolve(const CompiledExpression::Binding& binding) {
  if (!binding.record)
    binding.record = variables_.FindMutable(binding.name);
  return binding.record;
}

double ExpressionEvaluator::Run(const CompiledExpression& start) {
  using Code = CompiledExpression::Code;
  ++counts_.compiledRuns;
  ++running_;
  ClearError();
  const CompiledExpression* program = &start;

  // The stacks: numbers in place for the usual short line, texts only when the line has any.
  constexpr size_t kLocalNumbers = 32;
  double localNumbers[kLocalNumbers];
  std::vector<double> heapNumbers;
  double* numbers = localNumbers;
  size_t capacity = kLocalNumbers;
  auto reserveNumbers = [&](size_t depth, size_t needed) {
    if (needed <= capacity)
      return;
    std::vector<double> larger(needed);
    std::copy(numbers, numbers + depth, larger.begin());
    heapNumbers = std::move(larger);
    numbers = heapNumbers.data();
    capacity = needed;
  };
  size_t n = 0;
  if (program->maxNumbers > capacity)
    reserveNumbers(0, program->maxNumbers);
  std::vector<std::string> texts;
  if (program->maxTexts > 1)
    texts.reserve(program->maxTexts);

  auto indexedName = [&](uint32_t name, double index) {
    return program->strings[name] + "[" + IndexText(index) + "]";
  };
  auto popText = [&] {
    std::string text = std::move(texts.back());
    texts.pop_back();
    return text;
  };
  auto call = [&](const CompiledExpression::Call& c, FunctionArguments& args) {
    args.rawOk = c.rawOk;
    args.raw = &c.raw;
    args.location = &c.location;
    if (c.form == CompiledExpression::ArgumentForm::kNumber)
      args.number = numbers[--n];
    else if (c.form == CompiledExpression::ArgumentForm::kText)
      args.text = popText();
  };

  for (size_t pc = 0; pc < program->ops.size(); ++pc) {
    const CompiledExpression::Op op = program->ops[pc];
    switch (op.code) {
      case Code::kConst:
        numbers[n++] = program->numbers[op.a];
        break;
      case Code::kLoad: {
        const VariableRecord* record = Resolve(program->bindings[op.a]);
        numbers[n++] = record ? record->number : 0;
        break;
      }
      case Code::kLoadChecked: {
        const VariableRecord* record = Resolve(program->bindings[op.a]);
        double value = record ? record->number : 0;
        if (value > kOverflowLimit || std::isnan(value)) {
          value = kOverflowLimit;
          SetError(expr_error::kOverflow, "", &program->strings[op.b]);
        }
        numbers[n++] = value;
        break;
      }
      case Code::kLoadIndexed: {
        const VariableRecord* record = variables_.Find(indexedName(op.a, numbers[n - 1]));
        numbers[n - 1] = record ? record->number : 0;
        break;
      }
      case Code::kStore: {
        const CompiledExpression::Binding& binding = program->bindings[op.a];
        if (VariableRecord* record = Resolve(binding)) {
          record->number = numbers[n - 1];
        } else {
          variables_.SetNumber(binding.name, numbers[n - 1]);
        }
        break;
      }
      case Code::kStoreIndexed: {
        const double value = numbers[--n];
        variables_.SetNumber(indexedName(op.a, numbers[n - 1]), value);
        numbers[n - 1] = value;
        break;
      }
      case Code::kPopNumber:
        --n;
        break;
      case Code::kOr:
      case Code::kAnd: {
        const int32_t b = TruncateToInt32(numbers[--n]);
        const int32_t a = TruncateToInt32(numbers[n - 1]);
        numbers[n - 1] = op.code == Code::kOr ? (a | b) : (a & b);
        break;
      }
      case Code::kLess:
        --n;
        numbers[n - 1] = numbers[n - 1] < numbers[n];
        break;
      case Code::kGreater:
        --n;
        numbers[n - 1] = numbers[n - 1] > numbers[n];
        break;
      case Code::kLessEqual:
        --n;
        numbers[n - 1] = numbers[n - 1] <= numbers[n];
        break;
      case Code::kGreaterEqual:
        --n;
        numbers[n - 1] = numbers[n - 1] >= numbers[n];
        break;
      case Code::kEqual:
        --n;
        numbers[n - 1] = std::fabs(numbers[n - 1] - numbers[n]) <= kEqualTolerance;
        break;
      case Code::kNotEqual:
        --n;
        numbers[n - 1] = numbers[n - 1] != numbers[n];
        break;
      case Code::kKeepLeft:
        --n;
        break;
      case Code::kAdd:
        --n;
        numbers[n - 1] += numbers[n];
        break;
      case Code::kSub:
        --n;
        numbers[n - 1] -= numbers[n];
        break;
      case Code::kMul:
        --n;
        numbers[n - 1] *= numbers[n];
        break;
      case Code::kDiv:
        --n;
        numbers[n - 1] = numbers[n] == 0 ? 0 : numbers[n - 1] / numbers[n];
        break;
      case Code::kPower:
        --n;
        numbers[n - 1] = IntegerPower(numbers[n - 1], numbers[n]);
        break;
      case Code::kOverflowCheck:
        if (numbers[n - 1] > kOverflowLimit || std::isnan(numbers[n - 1])) {
          numbers[n - 1] = kOverflowLimit;
          SetError(expr_error::kOverflow, "", &program->strings[op.a]);
        }
        break;
      case Code::kError: {
        const CompiledExpression::Error& error = program->errors[op.a];
        SetError(error.code, error.detail, &error.location);
        break;
      }
      case Code::kText:
      case Code::kPathMacro:
        texts.push_back(ExpandMacros(program->strings[op.a]));
        break;
      case Code::kTextLiteral:
        texts.push_back(program->strings[op.a]);
        break;
      case Code::kTextLoad: {
        const VariableRecord* record = Resolve(program->bindings[op.a]);
        texts.push_back(record ? record->text : std::string());
        break;
      }
      case Code::kTextLoadIndexed: {
        const VariableRecord* record = variables_.Find(indexedName(op.a, numbers[--n]));
        texts.push_back(record ? record->text : std::string());
        break;
      }
      case Code::kSystemVariable:
        texts.push_back(ReadSystemVariable(program->strings[op.a]));
        break;
      case Code::kListItem: {
        const VariableRecord* record = Resolve(program->bindings[op.a]);
        const int64_t item = TruncateIndex(record ? record->number : program->numbers[op.b]);
        if (!owner_ || item < 1 || item > owner_->PlayListCount()) {
          texts.emplace_back();
        } else {
          texts.push_back(owner_->PlayListItem(static_cast<int>(item)));
        }
        break;
      }
      case Code::kConcatStart:
        texts.emplace_back();
        break;
      case Code::kConcatAppend: {
        const std::string operand = popText();
        std::string& result = texts.back();
        if (result.size() + operand.size() <= kMaxScriptText) {
          result += operand;
          break;
        }
        SetError(expr_error::kOverflow, expr_detail::kTextTooLong, &program->strings[op.a]);
        result.clear();
        if (op.b == 0)
          break;
        // Reading stops here and goes on with the "+" at the levels above: the variant for
        // that shares every op so far, so the run carries on in it from the next op.
        const CompiledExpression* variant = EarlyStop(*program, op.b);
        ++counts_.earlyStops;
        if (variant && variant->ops.size() > pc && variant->ops[pc].code == Code::kConcatAppend) {
          program = variant;
          reserveNumbers(n, program->maxNumbers);
          texts.reserve(program->maxTexts);
        }
        break;
      }
      case Code::kTextAssign: {
        std::string text = popText();
        const CompiledExpression::Binding& binding = program->bindings[op.a];
        if (VariableRecord* record = Resolve(binding)) {
          record->text = std::move(text);
        } else {
          variables_.SetText(binding.name, text);
        }
        numbers[n++] = 1;
        break;
      }
      case Code::kTextAssignIndexed: {
        const std::string text = popText();
        variables_.SetText(indexedName(op.a, numbers[n - 1]), text);
        numbers[n - 1] = 1;
        break;
      }
      case Code::kTextCompare:
      case Code::kTextCompareIndexed: {
        const std::string right = popText();
        std::string current;
        if (op.code == Code::kTextCompare) {
          const VariableRecord* record = Resolve(program->bindings[op.a]);
          if (record)
            current = record->text;
          ++n;
        } else {
          variables_.GetText(indexedName(op.a, numbers[n - 1]), current);
        }
        const int order = current.compare(right);
        bool holds = false;
        switch (op.b) {
          case CompiledExpression::kSame:
            holds = order == 0;
            break;
          case CompiledExpression::kAfter:
            holds = order > 0;
            break;
          case CompiledExpression::kBefore:
            holds = order < 0;
            break;
          default:
            holds = order != 0;
            break;
        }
        numbers[n - 1] = holds ? 1 : 0;
        break;
      }
      case Code::kCallNumeric: {
        FunctionArguments args;
        call(program->calls[op.a], args);
        const double value =
            BuiltinFunctions::CallNumeric(*this, program->calls[op.a].function, args);
        numbers[n++] = value;
        break;
      }
      case Code::kCallText: {
        FunctionArguments args;
        call(program->calls[op.a], args);
        texts.push_back(BuiltinFunctions::CallText(*this, program->calls[op.a].function, args));
        break;
      }
    }
  }
  --running_;
  return n > 0 ? numbers[n - 1] : 0;
}

}  // namespace qlm
