#include "expr/ExpandArgument.h"

#include "expr/NumberText.h"
#include "expr/VariableStore.h"

namespace qlm {

std::string ExpandArgument(const VariableStore& variables, const std::string& argument) {
  std::string trimmed(TrimBlanks(argument));
  if (trimmed.size() > 1 && trimmed.find('$', 1) != std::string::npos) {
    std::string text;
    if (variables.GetText(trimmed, text))
      return text;
  }
  return argument;
}

}  // namespace qlm
