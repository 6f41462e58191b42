#include "document/PageManager.h"
#include "script/CommandHelpers.h"
#include "script/ScriptHost.h"

namespace qlm {

namespace {

// Hide, Show and Invert do not repaint: they mark the object grown by 2 pixels and the run
// repaints every mark at once when it ends.
CommandResult SetHidden(CommandContext& context, CommandCode mode) {
  ObjectRecord* object = context.object;
  if (!object)
    return CommandResult::kContinue;
  const bool wasHidden = IsHidden(*object);
  const bool hide = mode == CommandCode::kInvert ? !wasHidden : mode == CommandCode::kHide;
  SetHidden(*object, hide);
  MarkRect(context.dirtyRect, object->rect, 2);
  if (mode == CommandCode::kShow && object->typeCode == kObjInputField && !wasHidden) {
    PageRecord* page = context.page ? context.page : context.host.PageManager().CurrentPage();
    if (page)
      context.Objects().FocusObject(*page, *object);
  }
  return CommandResult::kContinue;
}

}  // namespace

void RegisterObjectCommands(ScriptRunner& runner) {
  for (CommandCode code : {CommandCode::kHide, CommandCode::kShow, CommandCode::kInvert}) {
    runner.SetHandler(code, [code](CommandContext& c) { return SetHidden(c, code); });
  }
}

}  // namespace qlm
