// SendCommand: numbers for the window of an embedded-program object.
#include <array>
#include <string>
#include <vector>

#include "player/ProgramObjects.h"
#include "script/CommandHelpers.h"
#include "script/ScriptRunner.h"
#include "script/ScriptText.h"

namespace qlm {

void RegisterProgramCommands(ScriptRunner& runner, ProgramObjects& programs) {
  ProgramObjects* p = &programs;
  runner.SetHandler(CommandCode::kSendCommand, [p](CommandContext& context) {
    if (!context.object || context.object->typeCode != kObjProgram ||
        !p->HoldsWindow(*context.object))
      return CommandResult::kContinue;
    // Two or three numbers are handed on; any other count does nothing.
    const std::vector<std::string> pieces = SplitList(Expand(context, context.statement.arg2), 3);
    if (pieces.size() < 2)
      return CommandResult::kContinue;
    std::array<int32_t, 3> values{};
    for (size_t i = 0; i < pieces.size(); ++i)
      values[i] = EvaluateInteger(context, pieces[i]);
    p->Send(*context.object, values, static_cast<int>(pieces.size()));
    return CommandResult::kContinue;
  });
}

}  // namespace qlm
