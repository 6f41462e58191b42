#include "document/PageManager.h"
#include "expr/ExpressionEvaluator.h"
#include "expr/NumberText.h"
#include "platform/Dialogs.h"
#include "script/CommandHelpers.h"
#include "script/FindObject.h"
#include "script/ScriptHost.h"
#include "script/ScriptText.h"

namespace qlm {

namespace {

constexpr uint32_t kButtonMask = 0xF;
constexpr uint32_t kIconMask = 0xF0;
constexpr uint32_t kDefaultSecond = 256;
constexpr uint32_t kDefaultThird = 512;
constexpr uint32_t kSystemModal = 4096;
constexpr uint32_t kTaskModal = 8192;
constexpr uint32_t kTopmost = 262144;
constexpr uint32_t kRightAligned = 524288;

// Number of buttons of each button set 0 to 6.
constexpr int kButtonCount[] = {1, 2, 3, 3, 2, 2, 3};

// A type or timeout field: a numeric variable's value, else the decimal reading.
int64_t FieldValue(const CommandContext& context, std::string_view field) {
  const std::string name(Trim(field));
  double value = 0;
  if (!name.empty() && context.host.Evaluator().GetNumber(name, value))
    return TruncateToInt32(value);
  return ParseInteger(field);
}

}  // namespace

// The style bits a script may ask for; every other bit is dropped.
uint32_t MessageExStyle(int64_t type) {
  const auto bits = static_cast<uint32_t>(type);
  uint32_t buttons = bits & kButtonMask;
  if (buttons > mb::kCancelTryContinue)
    buttons = mb::kOk;
  uint32_t style = buttons;
  const uint32_t icon = bits & kIconMask;
  if (icon == mb::kIconError || icon == mb::kIconQuestion || icon == mb::kIconWarning ||
      icon == mb::kIconInformation) {
    style |= icon;
  }
  const int count = kButtonCount[buttons];
  if ((bits & 0x300) == kDefaultSecond && count >= 2)
    style |= kDefaultSecond;
  else if ((bits & 0x300) == kDefaultThird && count == 3)
    style |= kDefaultThird;
  if (bits & kSystemModal)
    style |= kSystemModal;
  else if (bits & kTaskModal)
    style |= kTaskModal;
  style |= bits & (kTopmost | kRightAligned);
  return style;
}

namespace {

CommandResult MessageEx(CommandContext& context) {
  const std::string spec = Expand(context, context.statement.arg2);
  std::string text;
  std::vector<std::string> fields;
  if (spec.starts_with('"')) {
    const size_t close = spec.find('"', 1);
    text = spec.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    if (close != std::string::npos) {
      const size_t comma = spec.find(',', close + 1);
      if (comma != std::string::npos)
        fields = SplitList(std::string_view(spec).substr(comma + 1), 2);
    }
  } else {
    std::vector<std::string> pieces = SplitList(spec, 3);
    if (!pieces.empty())
      text = pieces[0];
    fields.assign(pieces.begin() + (pieces.empty() ? 0 : 1), pieces.end());
  }
  const int64_t type = fields.size() > 0 ? FieldValue(context, fields[0]) : 0;
  const int64_t timeout = fields.size() > 1 ? FieldValue(context, fields[1]) : 0;

  ScriptHost& host = context.host;
  const std::string caption = Expand(context, context.statement.arg1);
  const int answer = host.GetDialogs().MessageBoxTimeout(
      text, caption, MessageExStyle(type), timeout > 0 ? static_cast<uint32_t>(timeout) : 0);

  ExpressionEvaluator& evaluator = host.Evaluator();
  evaluator.SetNumber("CBK_MsgEx", answer);
  // The box pumped the window's messages: look the object up now.
  const ObjectTarget shown = FindObject(host.PageManager(), evaluator.Variables(), "CBK_MsgEx");
  if (shown.object) {
    shown.object->text = std::to_string(answer);
    MarkRect(context.dirtyRect, shown.object->rect, 1);
  }
  return CommandResult::kContinue;
}

}  // namespace

void RegisterMessageExCommands(ScriptRunner& runner) {
  runner.SetHandler(CommandCode::kMessageEx, MessageEx);
}

}  // namespace qlm
