#include "expr/ErrorTable.h"

#include <array>

namespace qlm {

std::string_view ErrorTable(int code) {
  static constexpr std::array<std::string_view, kErrorTableSize> kTexts = {
      " -- no error --",
      "Syntax Error",
      "Invalid number of arguments",
      "Unmatch brackets '[]'",
      "Unmatched braces '()'",
      "Syntax Error - Operand missing",
      "Division by zero",
      "Expected end of Function arguments ')'",
      "Variable not found :",
      "Variable not found :",
      "",
      "",
      "Syntax error",
      "",
      "",
      "",
      "",
      "",
      "Defined function is empty",
      "User Aborted",
      "Error, degree of the polynomial must be n>=0",
      "Error, argument in Bessel function must be x>0",
      "fact(): Error, negative argument",
      "Overflow ",
  };
  if (code < 0 || code >= kErrorTableSize)
    return {};
  return kTexts[static_cast<size_t>(code)];
}

}  // namespace qlm
