#pragma once

#include <string>

namespace qlm {

class ExpressionEvaluator;
class ProfileStore;

// SaveVariable: writes the variable named by `variable` under the entry `key` (expanded like a
// command argument; "Default" when empty) of the profile section. A string variable that
// exists is written as text; anything else is evaluated and written as an integer (the
// fraction is dropped).
void SaveVariable(ExpressionEvaluator& evaluator, ProfileStore& profile, const std::string& section,
                  const std::string& key, const std::string& variable);

// LoadVariable: reads the entry back into the variable: a name with "$" after its first
// character receives the text entry (elements rebuilt with their index resolved), any other
// name the integer entry under the name exactly as written.
void LoadVariable(ExpressionEvaluator& evaluator, const ProfileStore& profile,
                  const std::string& section, const std::string& key, const std::string& variable);

}  // namespace qlm
