#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "document/ObjectFields.h"

namespace qlm {
namespace {

// The numbered arrays of a record, as stored.
enum class Field { kValue, kString, kColour, kImageValue, kOptionFlag, kScript };

// Sets the stored field (array, index) of a zeroed record to a non-zero mark: 1, "x", true, or a
// script owned by "x".
void Mark(ObjectRecord& o, Field field, size_t index) {
  switch (field) {
    case Field::kValue:
      o.values[index] = 1;
      break;
    case Field::kString:
      o.strings[index] = "x";
      break;
    case Field::kColour:
      o.colours[index] = 1;
      break;
    case Field::kImageValue:
      o.imageValues[index] = 1;
      break;
    case Field::kOptionFlag:
      o.optionFlags[index] = true;
      break;
    case Field::kScript:
      o.scripts[index].ownerName = "x";
      break;
  }
}

struct ReadCase {
  const char* role;
  Field field;
  size_t index;
  std::function<bool(const ObjectRecord&)> seesMark;
};

TEST(ObjectFields, AccessorsReadTheStoredFieldOfTheirRole) {
  using enum Field;
  const std::vector<ReadCase> cases = {
      {"all: hidden", kValue, 10, [](auto& o) { return IsHidden(o); }},
      {"all: draw flag", kValue, 12, [](auto& o) { return IsDrawable(o); }},
      {"all: click action", kValue, 0, [](auto& o) { return ClickAction(o) == 1; }},
      {"all: click target", kString, 1, [](auto& o) { return ClickTarget(o) == "x"; }},
      {"all: click parameters", kString, 2, [](auto& o) { return ClickParameters(o) == "x"; }},
      {"all: mouse-over target", kString, 6, [](auto& o) { return MouseOverTarget(o) == "x"; }},
      {"all: mouse-over action", kValue, 6, [](auto& o) { return MouseOverAction(o) == 1; }},
      {"all: timed hide delay", kValue, 19, [](auto& o) { return TimedHideDelay(o) == 1; }},
      {"all: first press target", kString, 7,
       [](auto& o) { return PressTargetName(o, PressTarget::kFirst) == "x"; }},
      {"all: first press effect", kValue, 7,
       [](auto& o) { return PressTargetEffect(o, PressTarget::kFirst) == 1; }},
      {"all: second press target", kString, 8,
       [](auto& o) { return PressTargetName(o, PressTarget::kSecond) == "x"; }},
      {"all: second press effect", kValue, 8,
       [](auto& o) { return PressTargetEffect(o, PressTarget::kSecond) == 1; }},
      {"all: cursor number", kValue, 18, [](auto& o) { return CursorNumber(o) == 1; }},
      {"all: mouse-down script", kScript, 1,
       [](auto& o) { return ObjectScript(o, ScriptSlot::kMouseDown).ownerName == "x"; }},
      {"all: main script", kScript, 2,
       [](auto& o) { return ObjectScript(o, ScriptSlot::kMain).ownerName == "x"; }},
      {"windowed: notification script A", kScript, 4,
       [](auto& o) { return ObjectScript(o, ScriptSlot::kNotifyA).ownerName == "x"; }},
      {"windowed: notification script B", kScript, 5,
       [](auto& o) { return ObjectScript(o, ScriptSlot::kNotifyB).ownerName == "x"; }},
      {"Text 1: alignment", kValue, 1, [](auto& o) { return TextAlign(o) == 1; }},
      {"Text 1: lines centred", kValue, 4, [](auto& o) { return CentresEachLine(o); }},
      {"Text 1: text colour", kColour, 1,
       [](auto& o) { return ObjectColour(o, ColourSlot::kText) == 1; }},
      {"Text 1: hover colour", kColour, 2,
       [](auto& o) { return ObjectColour(o, ColourSlot::kHoverText) == 1; }},
      {"Text 1: pressed colour", kColour, 3,
       [](auto& o) { return ObjectColour(o, ColourSlot::kPressedText) == 1; }},
      {"Rectangle 2: border", kValue, 1, [](auto& o) { return BorderStyle(o) == 1; }},
      {"Rectangle 2: fill colour", kColour, 1,
       [](auto& o) { return ObjectColour(o, ColourSlot::kFill) == 1; }},
      {"Rectangle 2: border colour", kColour, 2,
       [](auto& o) { return ObjectColour(o, ColourSlot::kBorder) == 1; }},
      {"image 3: state", kValue, 1, [](auto& o) { return ImageState(o) == 1; }},
      {"button 5: key of image C", kImageValue, 3, [](auto& o) { return HasImageKey(o, 3); }},
      {"button 5: key colour of image C", kColour, 3,
       [](auto& o) { return ImageKeyColour(o, 3) == 1; }},
      {"button 5: label colour", kColour, 2,
       [](auto& o) { return ObjectColour(o, ColourSlot::kLabel) == 1; }},
      {"Line 6: rising", kValue, 2, [](auto& o) { return LineRises(o); }},
      {"TextButton 11: own font", kValue, 1, [](auto& o) { return UsesOwnFont(o); }},
      {"TextButton 11: flat", kValue, 2, [](auto& o) { return IsFlatButton(o); }},
      {"TextButton 11: highlight text", kValue, 20,
       [](auto& o) { return HighlightTextColour(o) == 1; }},
      {"TextButton 11: highlight fill", kColour, 3,
       [](auto& o) { return ObjectColour(o, ColourSlot::kHighlightFill) == 1; }},
      {"video 12: mask", kValue, 19, [](auto& o) { return UsesMask(o); }},
      {"Paragraph 15: scroll", kValue, 2, [](auto& o) { return ParagraphScroll(o) == 1; }},
      {"Script 17: key name", kString, 6, [](auto& o) { return ShortcutKeyName(o) == "x"; }},
      {"Script 17: enabled", kImageValue, 1, [](auto& o) { return ShortcutEnabled(o); }},
      {"Script 17: Shift", kImageValue, 2, [](auto& o) { return ShortcutShift(o) == 1; }},
      {"Script 17: Control", kImageValue, 3, [](auto& o) { return ShortcutControl(o) == 1; }},
      {"Script 17: Alt", kValue, 13, [](auto& o) { return ShortcutAlt(o) == 1; }},
      {"grid 19: columns", kValue, 1, [](auto& o) { return GridColumns(o) == 1; }},
      {"grid 19: rows", kValue, 2, [](auto& o) { return GridRows(o) == 1; }},
      {"plug-in 21: A first", kValue, 1,
       [](auto& o) { return PluginParams(o, PluginParamGroup::kA)[0] == 1; }},
      {"plug-in 21: B second", kValue, 5,
       [](auto& o) { return PluginParams(o, PluginParamGroup::kB)[1] == 1; }},
      {"plug-in 21: C third", kValue, 16,
       [](auto& o) { return PluginParams(o, PluginParamGroup::kC)[2] == 1; }},
      {"plug-in 21: integer text", kString, 3,
       [](auto& o) { return PluginIntParamText(o) == "x"; }},
      {"plug-in 21: string text", kString, 4,
       [](auto& o) { return PluginStringParamText(o) == "x"; }},
      {"input field 22: background", kOptionFlag, 3, [](auto& o) { return DrawsOwnBackground(o); }},
      {"input field 22: password", kOptionFlag, 5, [](auto& o) { return IsPasswordField(o); }},
      {"input field 22: text colour", kColour, 3,
       [](auto& o) { return ObjectColour(o, ColourSlot::kFieldText) == 1; }},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.role);
    ObjectRecord o;
    EXPECT_FALSE(c.seesMark(o));
    Mark(o, c.field, c.index);
    EXPECT_TRUE(c.seesMark(o));
  }
}

struct WriteCase {
  const char* role;
  Field field;
  size_t index;
  std::function<void(ObjectRecord&)> write;  // writes the mark and nothing else
};

TEST(ObjectFields, SettersWriteOnlyTheStoredFieldOfTheirRole) {
  using enum Field;
  const std::vector<WriteCase> cases = {
      {"all: hidden", kValue, 10, [](auto& o) { SetHidden(o, true); }},
      {"all: click parameters", kString, 2, [](auto& o) { SetClickParameters(o, "x"); }},
      {"Rectangle 2: border", kValue, 1,
       [](auto& o) { SetBorderStyle(o, object_border::kRaised); }},
      {"Rectangle 2: border colour", kColour, 2,
       [](auto& o) { SetObjectColour(o, ColourSlot::kBorder, 1); }},
      {"Line 6: rising", kValue, 2, [](auto& o) { SetLineRises(o, true); }},
      {"TextButton 11: own font", kValue, 1, [](auto& o) { SetUsesOwnFont(o, true); }},
      {"TextButton 11: highlight text", kValue, 20, [](auto& o) { SetHighlightTextColour(o, 1); }},
      {"input field 22: background", kOptionFlag, 3,
       [](auto& o) { SetDrawsOwnBackground(o, true); }},
      {"input field 22: password", kOptionFlag, 5, [](auto& o) { SetPasswordField(o, true); }},
      {"input field 22: text colour", kColour, 3,
       [](auto& o) { SetObjectColour(o, ColourSlot::kFieldText, 1); }},
      {"main script", kScript, 2,
       [](auto& o) { ObjectScript(o, ScriptSlot::kMain).ownerName = "x"; }},
  };
  for (const WriteCase& c : cases) {
    SCOPED_TRACE(c.role);
    ObjectRecord written;
    c.write(written);
    ObjectRecord expected;
    Mark(expected, c.field, c.index);
    EXPECT_EQ(written, expected);
  }
}

}  // namespace
}  // namespace qlm
