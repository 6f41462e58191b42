#pragma once

#include <string>

namespace qlm {

// The number a string variable carries in place of a value.
inline constexpr double TextMarker = 1e-99;

// One named value of the variable store. Whether it is a number or a text follows from its
// name: scripts reach names with "$" as texts and names without it as numbers.
class VariableRecord {
 public:
  VariableRecord(std::string n, double num, std::string t)
      : name(std::move(n)), number(num), text(std::move(t)) {}
  virtual ~VariableRecord() = default;

  std::string name;
  double number;
  std::string text;
};

}  // namespace qlm
