#include "script/CommandHelpers.h"

#include <algorithm>

#include "document/PageManager.h"
#include "expr/ExpandArgument.h"
#include "expr/ExpressionEvaluator.h"
#include "expr/NumberText.h"
#include "graphics/ImageCodec.h"
#include "graphics/SaturatingRect.h"
#include "script/FindObject.h"
#include "script/ScriptHost.h"
#include "script/ScriptText.h"

namespace qlm {

// The rectangle grows in 64 bits and saturates: objects may lie at the 32-bit extremes.
void MarkRect(IntRect& dirty, const IntRect& rect, int grow) {
  const IntRect r = InflatedRect(rect, grow);
  if (dirty.Empty()) {
    dirty = r;
    return;
  }
  dirty.left = std::min(dirty.left, r.left);
  dirty.top = std::min(dirty.top, r.top);
  dirty.right = std::max(dirty.right, r.right);
  dirty.bottom = std::max(dirty.bottom, r.bottom);
}

std::string Expand(const CommandContext& context, const std::string& argument) {
  return ExpandArgument(context.host.Evaluator().Variables(), argument);
}

std::string AsciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

int32_t EvaluateInteger(const CommandContext& context, const std::string& expression) {
  return TruncateToInt32(context.host.Evaluator().ExecuteStatement(expression));
}

int64_t ReadInterval(const CommandContext& context, const std::string& text) {
  int64_t interval = ParseInteger(text);
  if (interval <= 0)
    interval = EvaluateInteger(context, text);
  return interval;
}

PageRecord* PageOf(CPageManager& pages, const ObjectRecord* object) {
  if (!object)
    return nullptr;
  auto holds = [object](PageRecord& page) {
    const ObjectRecord* first = page.objects.data();
    return object >= first && object < first + page.objects.size();
  };
  for (PageRecord& page : pages.Pages()) {
    if (holds(page))
      return &page;
  }
  if (holds(pages.MasterPage()))
    return &pages.MasterPage();
  if (holds(pages.MasterLayer()))
    return &pages.MasterLayer();
  return nullptr;
}

IntRect MovedRect(const IntRect& rect, int64_t x, int64_t y) {
  const int64_t width = int64_t{rect.right} - rect.left;
  const int64_t height = int64_t{rect.bottom} - rect.top;
  return {SaturateToInt32(x), SaturateToInt32(y), SaturateToInt32(x + width),
          SaturateToInt32(y + height)};
}

uint32_t ReadColour(const CommandContext& context, const std::string& text) {
  std::string value = text;
  if (Trim(value) == "CBK_SelColor")
    context.host.Evaluator().GetText("CBK_SelColor", value);
  const std::vector<std::string> pieces = SplitList(value, 3);
  uint32_t colour = 0;
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (Trim(pieces[i]).empty())
      continue;
    const int32_t component = std::clamp(EvaluateInteger(context, pieces[i]), 0, 255);
    colour |= static_cast<uint32_t>(component) << (8 * i);
  }
  return colour;
}

std::optional<Image24> LoadPictureFile(CommandContext& context, const std::string& path) {
  const std::optional<std::string> bytes =
      context.System().ReadFile(context.System().ExpandPathMacros(path));
  if (!bytes)
    return std::nullopt;
  return DecodeImageFile(std::span(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size()));
}

void PublishText(CommandContext& context, const std::string& name, const std::string& text) {
  ScriptHost& host = context.host;
  ObjectHost& objects = context.Objects();
  host.Evaluator().SetText(name, text);
  const ObjectTarget target = FindObject(host.PageManager(), host.Evaluator().Variables(), name);
  if (!target.object)
    return;
  target.object->text = text;
  if (PageRecord* page = PageOf(host.PageManager(), target.object))
    objects.ObjectTextChanged(*page, *target.object);
  host.Invalidate(InflatedRect(target.object->rect, 1), true);
}

void RegisterCoreCommands(ScriptRunner& runner) {
  RegisterObjectCommands(runner);
  RegisterPageCommands(runner);
  RegisterTimerCommands(runner);
  RegisterScriptCommands(runner);
  RegisterMessageCommands(runner);
  RegisterWindowCommands(runner);
  RegisterPlacementCommands(runner);
  RegisterTextCommands(runner);
  RegisterMessageExCommands(runner);
  RegisterCreateCommands(runner);
  RegisterParamCommands(runner);
  RegisterSystemCommands(runner);
  RegisterFileCommands(runner);
  RegisterDialogCommands(runner);
  RegisterListCommands(runner);
  RegisterMatrixCommands(runner);
  RegisterImageViewCommands(runner);
}

}  // namespace qlm
