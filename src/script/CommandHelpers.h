#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "document/ObjectFields.h"
#include "document/ObjectRecord.h"
#include "graphics/Image24.h"
#include "script/ScriptRunner.h"

namespace qlm {

// Shared pieces of the command handlers.

// Unites `rect` grown by `grow` pixels on every side into `dirty`; an empty dirty rectangle
// takes it as it is.
void MarkRect(IntRect& dirty, const IntRect& rect, int grow);

// The argument expanded as a string variable when it names one, else as written.
std::string Expand(const CommandContext& context, const std::string& argument);

// Upper-cases a-z only.
std::string AsciiUpper(std::string_view text);

// The integer part of the evaluated expression.
int32_t EvaluateInteger(const CommandContext& context, const std::string& expression);

// A timer interval: the plain decimal reading of the text, or the evaluated text when that is
// 0 or less.
int64_t ReadInterval(const CommandContext& context, const std::string& text);

// The timer a ScriptTimer target picks: "timerN=Name" (N from 1 to 1000) gives 1000 + N,
// "timera=", "timerb=", "timerc=" 1001 to 1003, anything else timer 4. A target with "=" after
// its first character is cut to the text after the "=".
uint32_t ScriptTimerId(std::string& target);

class CPageManager;

// The page whose object list holds `object` (a list page, the Master Page or the Master
// Layer), or null.
PageRecord* PageOf(CPageManager& pages, const ObjectRecord* object);

// `rect` moved so that its top-left corner is (x, y), keeping its size; coordinates saturate
// at the 32-bit range.
IntRect MovedRect(const IntRect& rect, int64_t x, int64_t y);

// A colour argument: "red,green,blue" of evaluated numbers clamped to 0..255 (missing pieces
// 0), or the word CBK_SelColor for that string variable's text in the same form. 0x00BBGGRR.
uint32_t ReadColour(const CommandContext& context, const std::string& text);

// The message-box style MessageEx shows for a type: buttons, icon, default button, modality,
// topmost and right alignment; every other bit and any impossible default button dropped.
uint32_t MessageExStyle(int64_t type);

// Stores a result text in the string variable `name` and shows it in the object of that very
// name (found as FindObject finds it), repainting the object.
void PublishText(CommandContext& context, const std::string& name, const std::string& text);

// The picture in a file a script names (path macros expanded), read through the window's file
// access and decoded by any of the image codecs; nullopt when it is missing, out of reach or
// does not decode.
std::optional<Image24> LoadPictureFile(CommandContext& context, const std::string& path);

struct FontChoice;
// A font as CBK_Font holds it: "Face|STYLE|points|charset|EFFECT|", the size converted from the
// logical height with the screen's vertical resolution.
std::string FontChoiceText(const FontChoice& font, int dpiY);

// The groups of core commands.
void RegisterObjectCommands(ScriptRunner& runner);
void RegisterPageCommands(ScriptRunner& runner);
void RegisterTimerCommands(ScriptRunner& runner);
void RegisterScriptCommands(ScriptRunner& runner);
void RegisterMessageCommands(ScriptRunner& runner);
void RegisterWindowCommands(ScriptRunner& runner);
void RegisterPlacementCommands(ScriptRunner& runner);
void RegisterTextCommands(ScriptRunner& runner);
void RegisterMessageExCommands(ScriptRunner& runner);
void RegisterCreateCommands(ScriptRunner& runner);
void RegisterParamCommands(ScriptRunner& runner);
void RegisterSystemCommands(ScriptRunner& runner);
void RegisterFileCommands(ScriptRunner& runner);
void RegisterDialogCommands(ScriptRunner& runner);
void RegisterListCommands(ScriptRunner& runner);
void RegisterMatrixCommands(ScriptRunner& runner);
void RegisterImageViewCommands(ScriptRunner& runner);

}  // namespace qlm
