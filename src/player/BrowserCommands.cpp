// The Browser command: drives a web-browser object of a shown page.
#include "player/BrowserObjects.h"
#include "script/CommandHelpers.h"
#include "script/ScriptRunner.h"

namespace qlm {

void RegisterBrowserCommands(ScriptRunner& runner, BrowserObjects& browsers) {
  BrowserObjects* b = &browsers;
  runner.SetHandler(CommandCode::kBrowser, [b](CommandContext& context) {
    if (context.object && context.object->typeCode == kObjBrowser)
      b->Act(*context.object, Expand(context, context.statement.arg2));
    return CommandResult::kContinue;
  });
}

}  // namespace qlm
