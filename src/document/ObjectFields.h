#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "document/ObjectRecord.h"

namespace qlm {

// Named views of the numbered fields of an ObjectRecord. The record keeps them in arrays by
// their stored number; one number means different things in different kinds, so everything but
// the reader and the writer goes through these names. Each comment names the stored field and
// the kinds that give it the role.

// ---------------------------------------------------------------------------------------------
// Every kind

// Object value 10: the object is neither drawn nor found by the press, click and mouse-over steps.
inline bool IsHidden(const ObjectRecord& o) {
  return o.values[10] != 0;
}
inline void SetHidden(ObjectRecord& o, bool hidden) {
  o.values[10] = hidden ? 1 : 0;
}

// Object value 12: the draw flag; the object is drawn only when it is set (or drawing is forced).
inline bool IsDrawable(const ObjectRecord& o) {
  return o.values[12] != 0;
}

// The click action: its code (object value 0), its target (object string 1) and its parameters
// (object string 2).
inline uint32_t ClickAction(const ObjectRecord& o) {
  return o.values[0];
}
inline const std::string& ClickTarget(const ObjectRecord& o) {
  return o.strings[1];
}
inline const std::string& ClickParameters(const ObjectRecord& o) {
  return o.strings[2];
}
inline void SetClickParameters(ObjectRecord& o, std::string parameters) {
  o.strings[2] = std::move(parameters);
}

// Mouse-over: the object on the same page that the pointer shows or hides (object string 6) and
// what it does with it (object value 6).
inline const std::string& MouseOverTarget(const ObjectRecord& o) {
  return o.strings[6];
}
inline uint32_t MouseOverAction(const ObjectRecord& o) {
  return o.values[6];
}
// Object value 19: milliseconds before an object a mouse-over showed with a timed hide goes again.
inline uint32_t TimedHideDelay(const ObjectRecord& o) {
  return o.values[19];
}

// The two objects a press affects: the first is object string 7 with effect code object value 7,
// the second object string 8 with object value 8.
enum class PressTarget { kFirst, kSecond };
inline const std::string& PressTargetName(const ObjectRecord& o, PressTarget which) {
  return o.strings[which == PressTarget::kFirst ? 7 : 8];
}
inline uint32_t PressTargetEffect(const ObjectRecord& o, PressTarget which) {
  return o.values[which == PressTarget::kFirst ? 7 : 8];
}

// Object value 18: n > 0 selects cursor table entry n - 1 while the pointer is over the object.
inline uint32_t CursorNumber(const ObjectRecord& o) {
  return o.values[18];
}

// ---------------------------------------------------------------------------------------------
// Scripts 1 to 6

enum class ScriptSlot : size_t {
  kMouseDown = 1,  // run when the object is pressed
  kMain = 2,       // clicks, RunScript, script timers, mouse-over scripts
  kExtra3 = 3,     // kept; the player gives it no role
  kNotifyA = 4,    // notifications of windowed objects
  kNotifyB = 5,
  kExtra6 = 6,  // kept; the player gives it no role
};

inline const ScriptBody& ObjectScript(const ObjectRecord& o, ScriptSlot slot) {
  return o.scripts[static_cast<size_t>(slot)];
}
inline ScriptBody& ObjectScript(ObjectRecord& o, ScriptSlot slot) {
  return o.scripts[static_cast<size_t>(slot)];
}

// ---------------------------------------------------------------------------------------------
// Colours 1 to 3, by what they hold in the kinds that use them

enum class ColourSlot : size_t {
  kText = 1,           // Text (1), Paragraph (15): the text
  kHoverText = 2,      // Text: the text while the pointer is over it
  kPressedText = 3,    // Text: the text while it is pressed
  kFill = 1,           // shapes (2, 6, 7, 13; a Line's line), TextButton (11), input field (22),
                       // list box (29): the fill or background
  kBorder = 2,         // Rectangle (2), Circle (7), polygon (13), input field (22): the border
  kLabel = 2,          // button (5), TextButton (11), list box (29): the text
  kHighlightFill = 3,  // flat TextButton: the fill while the pointer is over it or it is pressed
  kFieldText = 3,      // input field (22): the text
};

inline uint32_t ObjectColour(const ObjectRecord& o, ColourSlot slot) {
  return o.colours[static_cast<size_t>(slot)];
}
inline void SetObjectColour(ObjectRecord& o, ColourSlot slot, uint32_t colour) {
  o.colours[static_cast<size_t>(slot)] = colour;
}
// Every colour slot the same.
inline void SetAllColours(ObjectRecord& o, uint32_t colour) {
  o.colours = {0, colour, colour, colour};
}

// Transparent state images (button 5, video object 12, grid 19): when image value n is set,
// state image n (1 to 3) is drawn with colour n as its transparent key colour.
inline bool HasImageKey(const ObjectRecord& o, size_t stateImage) {
  return o.imageValues[stateImage] != 0;
}
inline uint32_t ImageKeyColour(const ObjectRecord& o, size_t stateImage) {
  return o.colours[stateImage];
}

// ---------------------------------------------------------------------------------------------
// Text (1) and Paragraph (15)

// Object value 1: horizontal alignment, 0 left, 1 centre, 2 right (paragraphs keep a layout mode
// 0 to 3 here, of which 1 and 2 centre and right-align the lines).
inline uint32_t TextAlign(const ObjectRecord& o) {
  return o.values[1];
}
// Object value 4 equal to 1 (Text): each line is centred vertically in its own line box.
inline bool CentresEachLine(const ObjectRecord& o) {
  return o.values[4] == 1;
}
// Object value 2 (Paragraph): the stored scroll position in pixels.
inline int32_t ParagraphScroll(const ObjectRecord& o) {
  return static_cast<int32_t>(o.values[2]);
}

// ---------------------------------------------------------------------------------------------
// Borders: Rectangle (2), Circle (7), polygon (13), input field (22), object value 1

namespace object_border {
inline constexpr uint32_t kLine = 0;
inline constexpr uint32_t kRaised = 1;
inline constexpr uint32_t kSunken = 2;
inline constexpr uint32_t kNone = 3;  // any value above 2 draws no border
}  // namespace object_border

inline uint32_t BorderStyle(const ObjectRecord& o) {
  return o.values[1];
}
inline void SetBorderStyle(ObjectRecord& o, uint32_t style) {
  o.values[1] = style;
}

// ---------------------------------------------------------------------------------------------
// Image object (3)

// Object value 1: 1 shows state image B (when present) instead of A.
inline uint32_t ImageState(const ObjectRecord& o) {
  return o.values[1];
}

// ---------------------------------------------------------------------------------------------
// Line (6)

// Object value 2: 0 runs from top-left to bottom-right, otherwise from bottom-left to top-right.
inline bool LineRises(const ObjectRecord& o) {
  return o.values[2] != 0;
}
inline void SetLineRises(ObjectRecord& o, bool rises) {
  o.values[2] = rises ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// TextButton (11)

// Object value 1: the object's own font; otherwise the system button font.
inline bool UsesOwnFont(const ObjectRecord& o) {
  return o.values[1] != 0;
}
inline void SetUsesOwnFont(ObjectRecord& o, bool own) {
  o.values[1] = own ? 1 : 0;
}
// Object value 2 equal to 1: the flat style.
inline bool IsFlatButton(const ObjectRecord& o) {
  return o.values[2] == 1;
}
// Object value 20: the text colour of a flat button under the pointer or pressed.
inline uint32_t HighlightTextColour(const ObjectRecord& o) {
  return o.values[20];
}
inline void SetHighlightTextColour(ObjectRecord& o, uint32_t colour) {
  o.values[20] = colour;
}

// ---------------------------------------------------------------------------------------------
// Video object (12)

// Object value 19: the still image is drawn through the mask image (or state image C).
inline bool UsesMask(const ObjectRecord& o) {
  return o.values[19] != 0;
}

// The video's settings: object value 1 the play mode (values above 3 count as 4: the object's
// end step runs when the video stops), value 2 loop, value 3 the start position in
// milliseconds, value 4 full screen while it plays; the text is the video file.
inline uint32_t VideoPlayMode(const ObjectRecord& o) {
  return o.values[1];
}
inline bool VideoLoops(const ObjectRecord& o) {
  return o.values[2] != 0;
}
inline uint32_t VideoStartMs(const ObjectRecord& o) {
  return o.values[3];
}
inline bool VideoFullScreen(const ObjectRecord& o) {
  return o.values[4] != 0;
}

// ---------------------------------------------------------------------------------------------
// Script (17): the key shortcut

// Object string 6: the key name; image value 1: the shortcut is enabled; image value 2, image
// value 3 and object value 13: the states (0 or 1) Shift, Control and Alt must have.
inline const std::string& ShortcutKeyName(const ObjectRecord& o) {
  return o.strings[6];
}
inline bool ShortcutEnabled(const ObjectRecord& o) {
  return o.imageValues[1] != 0;
}
inline uint32_t ShortcutShift(const ObjectRecord& o) {
  return o.imageValues[2];
}
inline uint32_t ShortcutControl(const ObjectRecord& o) {
  return o.imageValues[3];
}
inline uint32_t ShortcutAlt(const ObjectRecord& o) {
  return o.values[13];
}

// ---------------------------------------------------------------------------------------------
// Grid (19)

// Object values 1 and 2: the columns and rows of the cell matrix.
inline uint32_t GridColumns(const ObjectRecord& o) {
  return o.values[1];
}
inline uint32_t GridRows(const ObjectRecord& o) {
  return o.values[2];
}
inline void SetGridSize(ObjectRecord& o, uint32_t columns, uint32_t rows) {
  o.values[1] = columns;
  o.values[2] = rows;
}

// ---------------------------------------------------------------------------------------------
// Embedded program (24)

// The object text: the program the object starts when its page is shown (path macros apply).
inline const std::string& ProgramFile(const ObjectRecord& o) {
  return o.text;
}
// Object string 3: the program's command-line parameters (blanks separate, quotes group).
inline const std::string& ProgramParameters(const ObjectRecord& o) {
  return o.strings[3];
}

// ---------------------------------------------------------------------------------------------
// Web-browser object (25)

// The object text: the address or file the object opens when its page is shown.
inline const std::string& BrowserAddressText(const ObjectRecord& o) {
  return o.text;
}

// ---------------------------------------------------------------------------------------------
// Flash object (27)

// The object text: the file name of the movie the object plays.
inline const std::string& FlashMovieFile(const ObjectRecord& o) {
  return o.text;
}

// ---------------------------------------------------------------------------------------------
// Plug-in object (21): what its library is given at set-up

// Parameter groups A, B and C: object values 1 to 3, 4 to 6 and 14 to 16.
enum class PluginParamGroup { kA, kB, kC };
inline std::array<int32_t, 3> PluginParams(const ObjectRecord& o, PluginParamGroup group) {
  const size_t first = group == PluginParamGroup::kA ? 1 : group == PluginParamGroup::kB ? 4 : 14;
  return {static_cast<int32_t>(o.values[first]), static_cast<int32_t>(o.values[first + 1]),
          static_cast<int32_t>(o.values[first + 2])};
}
// Object string 3: the integer-parameter text; object string 4: the string-parameter text.
inline const std::string& PluginIntParamText(const ObjectRecord& o) {
  return o.strings[3];
}
inline const std::string& PluginStringParamText(const ObjectRecord& o) {
  return o.strings[4];
}

// ---------------------------------------------------------------------------------------------
// Input field (22)

// Option flag 3: the field draws its own background; option flag 5: it shows bullets instead
// of the text.
inline bool DrawsOwnBackground(const ObjectRecord& o) {
  return o.optionFlags[3];
}
inline void SetDrawsOwnBackground(ObjectRecord& o, bool own) {
  o.optionFlags[3] = own;
}
inline bool IsPasswordField(const ObjectRecord& o) {
  return o.optionFlags[5];
}
inline void SetPasswordField(ObjectRecord& o, bool password) {
  o.optionFlags[5] = password;
}
// Object string 3: the name of the variable the field's text is copied into; when it is empty
// the field is bound to the variable named like the object.
inline const std::string& FieldVariable(const ObjectRecord& o) {
  return o.strings[3];
}

// ---------------------------------------------------------------------------------------------
// Speech

// The text an object gives to be read out: the text of Text (1) and Paragraph (15) objects and of
// input fields (22) that are no password fields; null for every other kind.
inline const std::string* ReadableText(const ObjectRecord& o) {
  const bool readable = o.typeCode == kObjText || o.typeCode == kObjParagraph ||
                        (o.typeCode == kObjInputField && !IsPasswordField(o));
  return readable ? &o.text : nullptr;
}

}  // namespace qlm
