#pragma once

#include <cstdint>
#include <string>

#include "document/ObjectRecord.h"
#include "script/ScriptRunner.h"

namespace qlm {

// Shared pieces of the command handlers.

// The object's hidden flag (object value 10).
inline constexpr size_t kHiddenValue = 10;
// The script slot the player runs for an object (clicks, RunScript, script timers).
inline constexpr size_t kMainScript = 2;

// Unites `rect` grown by `grow` pixels on every side into `dirty`; an empty dirty rectangle
// takes it as it is.
void MarkRect(Rect& dirty, const Rect& rect, int grow);

// The argument expanded as a string variable when it names one, else as written.
std::string Expand(const CommandContext& context, const std::string& argument);

// The integer part of the evaluated expression.
int32_t EvaluateInteger(const CommandContext& context, const std::string& expression);

// A timer interval: the plain decimal reading of the text, or the evaluated text when that is
// 0 or less.
int64_t ReadInterval(const CommandContext& context, const std::string& text);

// The timer a ScriptTimer target picks: "timerN=Name" (N from 1 to 1000) gives 1000 + N,
// "timera=", "timerb=", "timerc=" 1001 to 1003, anything else timer 4. A target with "=" after
// its first character is cut to the text after the "=".
uint32_t ScriptTimerId(std::string& target);

// The groups of core commands.
void RegisterObjectCommands(ScriptRunner& runner);
void RegisterPageCommands(ScriptRunner& runner);
void RegisterTimerCommands(ScriptRunner& runner);
void RegisterScriptCommands(ScriptRunner& runner);
void RegisterMessageCommands(ScriptRunner& runner);

}  // namespace qlm
