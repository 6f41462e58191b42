#pragma once

#include <string>

namespace qlm {

class VariableStore;

// A command argument as handlers read it: when the trimmed argument has a "$" after its first
// character and names an existing string variable (elements resolved as the store does), that
// variable's text; otherwise the argument exactly as given.
std::string ExpandArgument(const VariableStore& variables, const std::string& argument);

}  // namespace qlm
