#include "expr/ProfileVariables.h"

#include <cinttypes>
#include <cstdio>

#include "expr/ExpandArgument.h"
#include "expr/ExpressionEvaluator.h"
#include "expr/NumberText.h"
#include "platform/ProfileStore.h"

namespace qlm {
namespace {

std::string EntryName(const ExpressionEvaluator& evaluator, const std::string& key) {
  std::string entry = ExpandArgument(evaluator.Variables(), key);
  return entry.empty() ? "Default" : entry;
}

// s$[i] and s[i]$ become s$[3] when i holds 3.
std::string StringElementName(const ExpressionEvaluator& evaluator, const std::string& name) {
  size_t dollarBracket = name.find("$[");
  size_t bracketDollar = name.find("]$");
  if (dollarBracket == std::string::npos && bracketDollar == std::string::npos)
    return name;
  size_t open = name.find('[');
  size_t close = name.find(']', open == std::string::npos ? 0 : open);
  if (open == std::string::npos || close == std::string::npos)
    return name;
  std::string inner = name.substr(open + 1, close - open - 1);
  double index = 0;
  if (!evaluator.GetNumber(inner, index))
    index = ParseDecimal(inner);
  std::string base =
      dollarBracket != std::string::npos ? name.substr(0, dollarBracket) : name.substr(0, open);
  char digits[32];
  std::snprintf(digits, sizeof digits, "%" PRId64, TruncateIndex(index));
  return base + "$[" + digits + "]";
}

}  // namespace

void SaveVariable(ExpressionEvaluator& evaluator, ProfileStore& profile, const std::string& section,
                  const std::string& key, const std::string& variable) {
  if (variable.empty())
    return;
  std::string entry = EntryName(evaluator, key);
  std::string expanded = ExpandArgument(evaluator.Variables(), variable);
  if (expanded != variable) {
    profile.WriteString(section, entry, expanded);
    return;
  }
  double value = evaluator.ExecuteStatement(variable);
  profile.WriteInt(section, entry, TruncateToInt32(value));
}

void LoadVariable(ExpressionEvaluator& evaluator, const ProfileStore& profile,
                  const std::string& section, const std::string& key, const std::string& variable) {
  if (variable.empty())
    return;
  std::string entry = EntryName(evaluator, key);
  if (variable.size() > 1 && variable.find('$', 1) != std::string::npos) {
    evaluator.SetText(StringElementName(evaluator, variable),
                      profile.GetString(section, entry, ""));
    return;
  }
  evaluator.SetNumber(variable, profile.GetInt(section, entry, 0));
}

}  // namespace qlm
