#include <algorithm>
#include <memory>

#include "document/PageManager.h"
#include "expr/ExpressionEvaluator.h"
#include "graphics/SaturatingRect.h"
#include "script/CommandHelpers.h"
#include "script/FindObject.h"
#include "script/ObjectNameIndex.h"
#include "script/ScriptHost.h"
#include "script/ScriptText.h"

namespace qlm {

namespace {

enum class Shape {
  kCircle,
  kRectangle,
  kHotSpot,
  kLine,
  kLineAB,
  kText,
  kTextButton,
  kParagraph,
  kScript
};

struct CreateCommand {
  CommandCode code;
  Shape shape;
  int32_t kind;
  const char* defaultName;
};

constexpr CreateCommand kCommands[] = {
    {CommandCode::kCreateCircle, Shape::kCircle, kObjCircle, "Circle"},
    {CommandCode::kCreateHotSpot, Shape::kHotSpot, kObjHotSpot, "HotSpot"},
    {CommandCode::kCreateLine, Shape::kLine, kObjLine, "Line"},
    {CommandCode::kCreateRectangle, Shape::kRectangle, kObjRectangle, "Rectangle"},
    {CommandCode::kCreateScript, Shape::kScript, kObjScript, "Script"},
    {CommandCode::kCreateText, Shape::kText, kObjText, "Text"},
    {CommandCode::kCreateTextButton, Shape::kTextButton, kObjTextButton, "TextBTN"},
    {CommandCode::kCreateLineAB, Shape::kLineAB, kObjLine, "Line"},
    {CommandCode::kCreateParagraph, Shape::kParagraph, kObjParagraph, "Paragraph"},
};

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kButtonFace = 0xC0C0C0;
constexpr uint32_t kButtonHighlight = 0x800000;

// The pieces after the result variable: evaluated numbers, 0 when missing or empty.
class Pieces {
 public:
  Pieces(CommandContext& context, std::vector<std::string> pieces)
      : context_(context), pieces_(std::move(pieces)) {}
  bool Has(size_t i) const { return i < pieces_.size() && !Trim(pieces_[i]).empty(); }
  int32_t Number(size_t i, int32_t fallback = 0) const {
    return Has(i) ? EvaluateInteger(context_, pieces_[i]) : fallback;
  }
  std::string Text(size_t i) const {
    return i < pieces_.size() ? Expand(context_, pieces_[i]) : std::string();
  }
  uint32_t Colour(size_t first) const {
    uint32_t colour = 0;
    for (size_t c = 0; c < 3; ++c) {
      const int32_t v = std::clamp(Number(first + c), 0, 255);
      colour |= static_cast<uint32_t>(v) << (8 * c);
    }
    return colour;
  }

 private:
  CommandContext& context_;
  std::vector<std::string> pieces_;
};

// A negative width or height moves the corner by it and becomes positive.
void Normalise(int64_t& x, int64_t& y, int64_t& w, int64_t& h) {
  if (w < 0) {
    x += w;
    w = -w;
  }
  if (h < 0) {
    y += h;
    h = -h;
  }
}

// Builds the object of one create command from the pieces 2 to 8.
ObjectRecord Build(const CreateCommand& command, const Pieces& p) {
  ObjectRecord object = ObjectRecord::Fresh();
  object.typeCode = command.kind;
  object.extended = true;
  int64_t x = p.Number(1), y = p.Number(2), w = 0, h = 0;
  switch (command.shape) {
    case Shape::kCircle:
    case Shape::kRectangle:
      w = p.Number(3);
      h = p.Number(4);
      Normalise(x, y, w, h);
      SetObjectColour(object, ColourSlot::kFill, p.Colour(5));
      SetObjectColour(object, ColourSlot::kBorder, kBlack);
      break;
    case Shape::kHotSpot:
      w = p.Number(3, 50);
      h = p.Number(4, 50);
      Normalise(x, y, w, h);
      break;
    case Shape::kLine:
    case Shape::kLineAB:
      if (command.shape == Shape::kLine) {
        w = p.Number(3);
        h = p.Number(4);
      } else {
        w = int64_t{p.Number(3)} - x;
        h = int64_t{p.Number(4)} - y;
      }
      // A line going up or left is stored in a proper rectangle with the rising direction.
      SetLineRises(object, (w < 0) != (h < 0));
      Normalise(x, y, w, h);
      SetObjectColour(object, ColourSlot::kFill, p.Colour(5));
      break;
    case Shape::kText:
      object.text = p.Text(3);
      if (object.text.empty())
        object.text = "Text";
      SetAllColours(object, kBlack);
      break;
    case Shape::kTextButton:
    case Shape::kParagraph: {
      const bool button = command.shape == Shape::kTextButton;
      w = p.Number(3, 80);
      h = p.Number(4, button ? 25 : 80);
      Normalise(x, y, w, h);
      object.text = p.Text(5);
      if (object.text.empty())
        object.text = button ? "Button" : "Paragraph";
      if (button) {
        SetObjectColour(object, ColourSlot::kFill, kButtonFace);
        SetObjectColour(object, ColourSlot::kLabel, kBlack);
        SetObjectColour(object, ColourSlot::kHighlightFill, kButtonHighlight);
        SetHighlightTextColour(object, kWhite);
      } else {
        SetAllColours(object, kBlack);
      }
      break;
    }
    case Shape::kScript:
      x = y = 0;
      object.text = "Any comments here";
      break;
  }
  // Corners in 64 bits, each saturated at the 32-bit limits on its own.
  object.rect = {SaturateToInt32(x), SaturateToInt32(y), SaturateToInt32(x + w),
                 SaturateToInt32(y + h)};
  return object;
}

CommandResult Create(CommandContext& context, const CreateCommand& command,
                     ObjectNameIndex& names) {
  CPageManager& pages = context.host.PageManager();
  std::string name = Expand(context, context.statement.arg1);
  PageRecord* page = pages.CurrentPage();
  if (const size_t sep = name.find("::"); sep != std::string::npos && sep > 0) {
    page = FindPrefixPage(pages, name);
    name = name.substr(sep + 2);
  }
  if (!page)
    return CommandResult::kContinue;

  std::vector<std::string> pieces = SplitList(Expand(context, context.statement.arg2), 8);
  const std::string resultVariable = pieces.empty() ? std::string() : std::string(Trim(pieces[0]));
  ObjectRecord object;
  if (command.shape == Shape::kScript) {
    object = Build(command, Pieces(context, {}));
  } else {
    object = Build(command, Pieces(context, std::move(pieces)));
  }
  object.name = names.FreeName(*page, name, command.defaultName);
  const std::string created = object.name;
  MarkRect(context.dirtyRect, object.rect, 1);
  context.Objects().AppendObject(*page, std::move(object));
  names.Added(*page);
  if (!resultVariable.empty()) {
    ExpressionEvaluator& evaluator = context.host.Evaluator();
    evaluator.SetText(evaluator.NormalizeName(resultVariable), created);
  }
  return CommandResult::kContinue;
}

}  // namespace

void RegisterCreateCommands(ScriptRunner& runner) {
  // One index of object names serves every create command of this runner.
  auto names = std::make_shared<ObjectNameIndex>();
  for (const CreateCommand& command : kCommands) {
    runner.SetHandler(command.code,
                      [&command, names](CommandContext& c) { return Create(c, command, *names); });
  }
}

}  // namespace qlm
