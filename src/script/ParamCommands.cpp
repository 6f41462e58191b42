#include <cmath>
#include <optional>

#include "document/PageManager.h"
#include "expr/ExpressionEvaluator.h"
#include "expr/NumberText.h"
#include "script/CommandHelpers.h"
#include "script/EvaluatorSyntaxChecker.h"
#include "script/ScriptCompiler.h"
#include "script/ScriptHost.h"
#include "script/ScriptText.h"

namespace qlm {

namespace {

// The colours the keywords change in an object of some kind; none: the kind does not take it.
struct KeywordColours {
  int32_t kind;
  std::optional<ColourSlot> bg, text, border;
};

constexpr std::nullopt_t kNoColour = std::nullopt;
constexpr KeywordColours kKeywordColours[] = {
    {kObjText, kNoColour, ColourSlot::kText, kNoColour},
    {kObjRectangle, ColourSlot::kFill, kNoColour, ColourSlot::kBorder},
    {kObjLine, ColourSlot::kFill, kNoColour, ColourSlot::kFill},
    {kObjCircle, ColourSlot::kFill, kNoColour, ColourSlot::kBorder},
    {kObjTextButton, ColourSlot::kFill, ColourSlot::kLabel, kNoColour},
    {kObjPolygon, ColourSlot::kFill, kNoColour, ColourSlot::kBorder},
    {kObjParagraph, kNoColour, ColourSlot::kText, kNoColour},
    {kObjInputField, ColourSlot::kFill, ColourSlot::kFieldText, ColourSlot::kBorder},
    {kObjListBox, ColourSlot::kFill, ColourSlot::kLabel, kNoColour},
};

bool TakesScript(int32_t kind) {
  return (kind >= 1 && kind <= 5) || kind == kObjCircle || kind == kObjTextButton;
}

bool TakesFont(int32_t kind) {
  return kind == kObjText || kind == kObjTextButton || kind == kObjParagraph ||
         kind == kObjInputField || kind == kObjListBox;
}

bool TakesBorder(int32_t kind) {
  return kind == kObjRectangle || kind == kObjCircle || kind == kObjPolygon ||
         kind == kObjInputField;
}

bool IsTrue(std::string_view value) {
  return value == "true" || value == "TRUE";
}

// Border values as the drawing reads them: a line, the raised Windows bevel, sunken, none.
std::optional<uint32_t> BorderType(std::string_view word) {
  if (word == "LINE")
    return object_border::kLine;
  if (word == "WINDOWS")
    return object_border::kRaised;
  if (word == "SUNKEN")
    return object_border::kSunken;
  if (word == "NONE")
    return object_border::kNone;
  return std::nullopt;
}

// Windows logical height of a size in points: the character height, negative.
int32_t PointsToHeight(double points, int dpi) {
  return -static_cast<int32_t>(std::lround(std::clamp(points, 0.0, 10000.0) * dpi / 72.0));
}

bool ApplyStyleWord(ObjectFont& font, std::string_view word) {
  if (word == "REGULAR" || word == "ITALIC" || word == "BOLD" || word == "BOLDITALIC") {
    font.weight = word.starts_with("BOLD") ? 700 : 400;
    font.italic = word.ends_with("ITALIC") ? 1 : 0;
    return true;
  }
  if (word == "NONE" || word == "UNDERLINE" || word == "STRIKEOUT" || word == "STRIKEUNDER") {
    font.underline = word == "UNDERLINE" || word == "STRIKEUNDER";
    font.strikeOut = word == "STRIKEOUT" || word == "STRIKEUNDER";
    return true;
  }
  return false;
}

void SetFaceName(ObjectFont& font, std::string_view name) {
  const std::string_view face = Trim(name);
  if (!face.empty() && face.size() <= ObjectFont::kMaxFaceName)
    font.faceName = std::string(face);
}

// A whole font as text: "Face,Size,WORD|WORD|" with the size in points and the style and
// effect words of the font dialog.
//
// The font dialog's own form, "Face|STYLE|points|charset|EFFECT|" (what CBK_Font holds), is
// told apart by a bar before any comma.
void ApplyFontText(ObjectFont& font, const std::string& text, int dpi) {
  const size_t firstBar = text.find('|');
  if (firstBar != std::string::npos && firstBar < text.find(',')) {
    std::vector<std::string> fields;
    for (std::string_view rest = text; !rest.empty();) {
      const size_t end = rest.find('|');
      fields.emplace_back(rest.substr(0, end));
      rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }
    if (fields.size() > 0)
      SetFaceName(font, fields[0]);
    if (fields.size() > 1)
      ApplyStyleWord(font, Trim(fields[1]));
    if (fields.size() > 2 && !Trim(fields[2]).empty())
      font.height = PointsToHeight(ParseDecimal(fields[2]), dpi);
    if (fields.size() > 3 && !Trim(fields[3]).empty())
      font.charSet = static_cast<uint8_t>(std::clamp<int64_t>(ParseInteger(fields[3]), 0, 255));
    if (fields.size() > 4)
      ApplyStyleWord(font, Trim(fields[4]));
    return;
  }
  const std::vector<std::string> pieces = SplitList(text, 3);
  if (pieces.size() > 0)
    SetFaceName(font, pieces[0]);
  if (pieces.size() > 1 && !Trim(pieces[1]).empty())
    font.height = PointsToHeight(ParseDecimal(pieces[1]), dpi);
  if (pieces.size() > 2) {
    std::string_view words = pieces[2];
    while (!words.empty()) {
      const size_t bar = words.find('|');
      ApplyStyleWord(font, Trim(words.substr(0, bar)));
      if (bar == std::string_view::npos)
        break;
      words.remove_prefix(bar + 1);
    }
  }
}

void ReplaceScript(CommandContext& context, ScriptBody& body, const std::string& text) {
  context.runner.NoteBodyReplaced(body);
  EvaluatorSyntaxChecker checker;
  ScriptCompiler compiler(checker, context.host.GetDialogs());
  ScriptBody compiled;
  compiler.CompileScript(compiled, Expand(context, text), true);
  compiled.ownerName = body.ownerName;
  body = std::move(compiled);
}

// One keyword applied to an object; false when the object's kind does not take it.
bool ApplyObjectParam(CommandContext& context, ObjectRecord& object, const std::string& keyword,
                      const std::string& value) {
  const int32_t kind = object.typeCode;
  if (keyword == "SCRIPT" || keyword == "MOUSEUPSCRIPT" || keyword == "MOUSEDOWNSCRIPT") {
    const bool ok = keyword == "SCRIPT" ? kind == kObjScript : TakesScript(kind);
    if (ok) {
      const ScriptSlot slot =
          keyword == "MOUSEDOWNSCRIPT" ? ScriptSlot::kMouseDown : ScriptSlot::kMain;
      ReplaceScript(context, ObjectScript(object, slot), value);
    }
    return ok;
  }
  if (keyword == "BGCOLOR" || keyword == "TEXTCOLOR" || keyword == "BORDERCOLOR") {
    for (const KeywordColours& colours : kKeywordColours) {
      if (colours.kind != kind)
        continue;
      const std::optional<ColourSlot> slot = keyword == "BGCOLOR"     ? colours.bg
                                             : keyword == "TEXTCOLOR" ? colours.text
                                                                      : colours.border;
      if (!slot)
        return false;
      SetObjectColour(object, *slot, ReadColour(context, value));
      return true;
    }
    return false;
  }
  if (keyword == "BG" || keyword == "PASSWORD") {
    if (kind != kObjInputField)
      return false;
    if (keyword == "BG")
      SetDrawsOwnBackground(object, IsTrue(value));
    else
      SetPasswordField(object, IsTrue(value));
    return true;
  }
  if (keyword == "BORDERTYPE") {
    const std::optional<uint32_t> border = BorderType(Trim(value));
    if (!TakesBorder(kind) || !border)
      return false;
    SetBorderStyle(object, *border);
    return true;
  }
  if (!keyword.starts_with("FONT") || !TakesFont(kind))
    return false;
  ObjectFont& font = object.font;
  const int dpi = context.Window().ScreenDpiY();
  if (keyword == "FONT" || keyword == "FONTALL") {
    std::string text = value;
    if (Trim(value) == "CBK_Font")
      context.host.Evaluator().GetText("CBK_Font", text);
    ApplyFontText(font, text, dpi);
  } else if (keyword == "FONTNAME") {
    SetFaceName(font, value);
  } else if (keyword == "FONTSIZE") {
    font.height = PointsToHeight(ParseDecimal(value), dpi);
  } else if (keyword == "FONTSTYLE" || keyword == "FONTEFFECT") {
    const std::string_view word = Trim(value);
    const bool style =
        word == "REGULAR" || word == "ITALIC" || word == "BOLD" || word == "BOLDITALIC";
    if (style != (keyword == "FONTSTYLE") || !ApplyStyleWord(font, word))
      return false;
  } else if (keyword == "FONTSCRIPT") {
    font.charSet = static_cast<uint8_t>(std::clamp(EvaluateInteger(context, value), 0, 255));
  } else {
    return false;
  }
  // A text button draws with its own font only when told to.
  if (kind == kObjTextButton)
    SetUsesOwnFont(object, true);
  return true;
}

CommandResult SetObjectParam(CommandContext& context) {
  ObjectRecord* object = context.object;
  if (!object)
    return CommandResult::kContinue;
  const std::string argument = Expand(context, context.statement.arg2);
  const size_t eq = argument.find('=');
  if (eq == std::string::npos || eq == 0)
    return CommandResult::kContinue;
  const std::string keyword = argument.substr(0, eq);
  if (!ApplyObjectParam(context, *object, keyword, argument.substr(eq + 1)))
    return CommandResult::kContinue;
  MarkRect(context.dirtyRect, object->rect, 1);
  if (PageRecord* page = PageOf(context.host.PageManager(), object))
    context.Objects().ObjectStyleChanged(*page, *object);
  return CommandResult::kContinue;
}

std::optional<Image24> LoadPicture(CommandContext& context, const std::string& value) {
  return LoadPictureFile(context, std::string(Trim(Expand(context, value))));
}

// Placement words of a background: 0 as it is, 1 tiled, 2 stretched.
std::optional<uint32_t> Placement(std::string_view word) {
  if (word == "NORMAL")
    return 0;
  if (word == "TILE")
    return 1;
  if (word == "STRETCH")
    return 2;
  return std::nullopt;
}

bool ApplyPageBackground(CommandContext& context, PageRecord& page, const std::string& keyword,
                         const std::string& value) {
  if (keyword == "COLOR") {
    page.backgroundColour = ReadColour(context, value);
  } else if (keyword == "IMAGE") {
    std::optional<Image24> image = LoadPicture(context, value);
    if (!image)
      return false;
    page.image = StoredImage{ImageForm::Raw, std::move(*image), {}, {}};
    page.hasImage = 1;
  } else if (keyword == "DISPLAY") {
    const std::string_view word = Trim(value);
    if (word == "FROMMASTER") {
      page.useMasterBackground = 1;
    } else if (const std::optional<uint32_t> placement = Placement(word)) {
      page.useMasterBackground = 0;
      page.tileImage = *placement;
    } else {
      return false;
    }
  } else {
    return false;
  }
  return true;
}

bool ApplyBackdrop(CommandContext& context, ProjectSettings& settings, const std::string& keyword,
                   const std::string& value) {
  if (keyword == "COLOR") {
    settings.backdropColour = ReadColour(context, value);
  } else if (keyword == "IMAGE") {
    std::optional<Image24> image = LoadPicture(context, value);
    if (!image)
      return false;
    settings.backdropWidth = image->width;
    settings.backdropHeight = image->height;
    settings.backdropImage = StoredImage{ImageForm::Raw, std::move(*image), {}, {}};
  } else if (keyword == "DISPLAY") {
    const std::optional<uint32_t> placement = Placement(Trim(value));
    if (!placement)
      return false;
    settings.backdropImageMode = *placement;
  } else {
    return false;
  }
  context.Objects().BackdropChanged();
  return true;
}

CommandResult SetProjectParam(CommandContext& context) {
  const std::string target(Trim(Expand(context, context.statement.arg1)));
  const std::string argument = Expand(context, context.statement.arg2);
  const size_t eq = argument.find('=');
  if (eq == std::string::npos)
    return CommandResult::kContinue;
  const std::string keyword(Trim(std::string_view(argument).substr(0, eq)));
  const std::string value = argument.substr(eq + 1);
  CPageManager& pages = context.host.PageManager();
  bool changed = false;
  if (target == "PAGEBG") {
    if (PageRecord* page = pages.CurrentPage())
      changed = ApplyPageBackground(context, *page, keyword, value);
  } else if (target == "MASTERPAGEBG") {
    changed = ApplyPageBackground(context, pages.MasterPage(), keyword, value);
  } else if (target == "FULLSCREENBG") {
    changed = ApplyBackdrop(context, pages.GetProject().settings, keyword, value);
  }
  if (changed)
    context.host.InvalidateAll(true);
  return CommandResult::kContinue;
}

}  // namespace

void RegisterParamCommands(ScriptRunner& runner) {
  runner.SetHandler(CommandCode::kSetObjectParam, SetObjectParam);
  runner.SetHandler(CommandCode::kSetProjectParam, SetProjectParam);
}

}  // namespace qlm
