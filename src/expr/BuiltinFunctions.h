#pragma once

#include <string>
#include <vector>

namespace qlm {

class ExpressionEvaluator;

// The arguments of a function call as a compiled program read them before the call: the raw
// argument texts as cut (rawOk false when the cut failed), or the value of the one
// parenthesised number or text argument.
struct FunctionArguments {
  bool rawOk = false;
  const std::vector<std::string>* raw = nullptr;
  double number = 0;
  std::string text;
  const std::string* location = nullptr;  // where errors of the function body are shown
};

// The built-in functions of numeric and string expressions. Each call starts with the
// evaluator's current token on the "(" after the name and leaves the token after the ")".
class BuiltinFunctions {
 public:
  // False, with nothing read, when name is no numeric function (compared without case).
  static bool CallNumeric(ExpressionEvaluator& ev, const std::string& name, double& result);
  // False, with nothing read, when name is no string function.
  static bool CallText(ExpressionEvaluator& ev, const std::string& name, std::string& result);

  static bool IsNumericFunction(const std::string& name);
  static bool IsTextFunction(const std::string& name);

  // For compiled programs: the function's number (-1 for none), how it reads its arguments
  // (kNumberArgument, kTextArgument or the count of raw arguments) and the call itself.
  static constexpr int kNumberArgument = -1;
  static constexpr int kTextArgument = -2;
  static int NumericFunction(const std::string& name);
  static int TextFunction(const std::string& name);
  static int NumericArguments(int function);
  static int TextArguments(int function);
  static double CallNumeric(ExpressionEvaluator& ev, int function, FunctionArguments& args);
  static std::string CallText(ExpressionEvaluator& ev, int function, FunctionArguments& args);
};

}  // namespace qlm
