#pragma once

#include <optional>
#include <string>

#include "document/ScriptBody.h"
#include "script/ScriptSyntaxChecker.h"

namespace qlm {

// Turns stored statements back into the lines an author writes: commands as
// Name("arg1","arg2") with as many arguments as the command table row takes, If (cond) Then,
// For init To limit, Next v, end, else, and assignments, comments and marked lines as their
// text. Codes without a command row come out as a marked line naming the code, so nothing is
// silently lost; such a script does not survive a compile and callers keep it in its stored
// form instead.
std::string DecompileStatement(const ScriptStatement& statement);

// Every statement as one line, each ended by "\n".
std::string DecompileScript(const ScriptBody& body);

// The source text when compiling it gives back exactly these statements (code, the four
// texts, reserved, argCount and number) with a clean result; nullopt when some statement
// cannot be written as source (an odd code, arg4, reserved or number set, a text that the
// line rules would read differently). Compiles with `checker`; shows nothing.
std::optional<std::string> DecompileExactly(const ScriptBody& body, ScriptSyntaxChecker& checker);

// True when two bodies hold the same stored statements (the fields a document keeps).
bool SameStoredStatements(const ScriptBody& a, const ScriptBody& b);

}  // namespace qlm
