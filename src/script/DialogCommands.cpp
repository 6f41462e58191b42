// The file, folder, colour and font dialogs of scripts.
#include <cmath>
#include <cstdio>
#include <string>

#include "expr/ExpressionEvaluator.h"
#include "platform/Dialogs.h"
#include "script/CommandHelpers.h"
#include "script/ScriptHost.h"

namespace qlm {

namespace {

// OpenFile$ holds the full path, CBK_OpenFile the name after the last backslash and
// CBK_OpenDir the folder up to and with it. All three are emptied while the dialog is open, so
// a cancelled dialog leaves them empty.
CommandResult ChooseFile(CommandContext& context, FileDialogMode mode) {
  const ScriptStatement& s = context.statement;
  ScriptHost& host = context.host;
  SystemHost& system = context.System();
  host.Evaluator().SetText("OpenFile$", "");
  PublishText(context, "CBK_OpenFile", "");
  PublishText(context, "CBK_OpenDir", "");
  const std::optional<std::string> path =
      host.GetDialogs().ChooseFile(mode, Expand(context, s.arg1), Expand(context, s.arg2));
  if (!path)
    return CommandResult::kContinue;
  const size_t slash = path->rfind('\\');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  system.SetFileText(*path);
  host.Evaluator().SetText("OpenFile$", *path);
  PublishText(context, "CBK_OpenFile", path->substr(nameStart));
  PublishText(context, "CBK_OpenDir", path->substr(0, nameStart));
  return CommandResult::kContinue;
}

CommandResult BrowseForFolder(CommandContext& context) {
  const ScriptStatement& s = context.statement;
  ScriptHost& host = context.host;
  SystemHost& system = context.System();
  const std::optional<std::string> folder =
      host.GetDialogs().ChooseFile(FileDialogMode::kFolder, Expand(context, s.arg1),
                                   system.ExpandPathMacros(Expand(context, s.arg2)));
  if (folder)
    PublishText(context, "CBK_OpenDir", *folder);
  return CommandResult::kContinue;
}

CommandResult ColorPicker(CommandContext& context) {
  const std::optional<uint32_t> colour = context.host.GetDialogs().ChooseColour();
  if (!colour)
    return CommandResult::kContinue;
  char text[32];
  std::snprintf(text, sizeof text, "%u,%u,%u", *colour & 0xFF, (*colour >> 8) & 0xFF,
                (*colour >> 16) & 0xFF);
  PublishText(context, "CBK_SelColor", text);
  return CommandResult::kContinue;
}

}  // namespace

std::string FontChoiceText(const FontChoice& font, int dpiY) {
  const bool bold = font.weight == 700;
  const char* style = bold && font.italic ? "BOLDITALIC"
                      : bold              ? "BOLD"
                      : font.italic       ? "ITALIC"
                                          : "REGULAR";
  const char* effect = font.underline && font.strikeOut ? "STRIKEUNDER"
                       : font.underline                 ? "UNDERLINE"
                       : font.strikeOut                 ? "STRIKEOUT"
                                                        : "NONE";
  const double height = std::fabs(static_cast<double>(font.height));
  const long points = dpiY > 0 ? std::lround(height * 72.0 / dpiY) : 0;
  return font.faceName + "|" + style + "|" + std::to_string(points) + "|" +
         std::to_string(font.charSet) + "|" + effect + "|";
}

namespace {

CommandResult FontPicker(CommandContext& context) {
  const std::optional<FontChoice> font = context.host.GetDialogs().ChooseFont();
  if (font)
    PublishText(context, "CBK_Font", FontChoiceText(*font, context.Window().ScreenDpiY()));
  return CommandResult::kContinue;
}

}  // namespace

void RegisterDialogCommands(ScriptRunner& runner) {
  runner.SetHandler(CommandCode::kOpenFile,
                    [](CommandContext& c) { return ChooseFile(c, FileDialogMode::kOpen); });
  runner.SetHandler(CommandCode::kSaveFile,
                    [](CommandContext& c) { return ChooseFile(c, FileDialogMode::kSave); });
  runner.SetHandler(CommandCode::kBrowseForFolder, BrowseForFolder);
  runner.SetHandler(CommandCode::kColorPicker, ColorPicker);
  runner.SetHandler(CommandCode::kFontPicker, FontPicker);
}

}  // namespace qlm
