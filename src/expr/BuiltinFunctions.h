#pragma once

#include <string>

namespace qlm {

class ExpressionEvaluator;

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
};

}  // namespace qlm
