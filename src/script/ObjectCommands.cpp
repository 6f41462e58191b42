#include "document/PageManager.h"
#include "script/CommandHelpers.h"
#include "script/ScriptHost.h"

namespace qlm {

namespace {

constexpr int32_t kHide = 0;
constexpr int32_t kShow = 1;
constexpr int32_t kInvert = 2;

// Hide, Show and Invert do not repaint: they mark the object grown by 2 pixels and the run
// repaints every mark at once when it ends.
CommandResult SetHidden(CommandContext& context, int mode) {
  ObjectRecord* object = context.object;
  if (!object)
    return CommandResult::kContinue;
  const bool wasHidden = IsHidden(*object);
  const bool hide = mode == kInvert ? !wasHidden : mode == kHide;
  SetHidden(*object, hide);
  MarkRect(context.dirtyRect, object->rect, 2);
  if (mode == kShow && object->typeCode == kObjInputField && !wasHidden) {
    PageRecord* page = context.page ? context.page : context.host.PageManager().CurrentPage();
    if (page)
      context.host.FocusObject(*page, *object);
  }
  return CommandResult::kContinue;
}

}  // namespace

void RegisterObjectCommands(ScriptRunner& runner) {
  for (int32_t code : {kHide, kShow, kInvert}) {
    runner.SetHandler(code, [code](CommandContext& c) { return SetHidden(c, code); });
  }
}

}  // namespace qlm
