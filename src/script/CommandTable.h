#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace qlm {

// One row of the built-in command table. The code is what stored scripts hold, so every
// row's code is fixed; the name is what a script writes.
struct ScriptCommand {
  int32_t code;
  std::string_view name;
  int32_t argCount;  // quoted arguments: 0, 1 or 2
};

// Highest command code a row may carry.
inline constexpr int32_t kMaxCommandCode = 258;

// Every row in table order.
std::span<const ScriptCommand> CommandTable();

// The first row whose name equals `name` without regard to ASCII case, or nullptr. The whole
// name is compared: no trimming, no abbreviation.
const ScriptCommand* FindCommand(std::string_view name);

// The row with this code, or nullptr (statement kinds and unused codes have no row).
const ScriptCommand* FindCommandByCode(int32_t code);

}  // namespace qlm
