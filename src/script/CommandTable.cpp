#include "script/CommandTable.h"

#include <array>
#include <string>
#include <unordered_map>

#include "script/ScriptText.h"

namespace qlm {

namespace {

using C = CommandCode;
using G = CommandGroup;

constexpr uint32_t kDefers = command_flag::kDefersPageEnter;
constexpr uint32_t kAsWritten = command_flag::kNameAsWritten;

// Why a row has no effect on this platform.
constexpr std::string_view kAudioEngine = "the audio-engine commands are accepted and do nothing";
constexpr std::string_view kFlashObjects =
    "no Flash engine exists: the object shows its movie's name, and the commands change nothing, "
    "so the variables they would read into keep their values (0 or empty when never set)";

// Table order is lookup order; codes are part of the stored project format. Each row names the
// group that installs its handler, or kNoEffect with the reason.
constexpr ScriptCommand kCommands[] = {
    {C::kHide, "Hide", 1, G::kObject},
    {C::kShow, "Show", 1, G::kObject},
    {C::kInvert, "Invert", 1, G::kObject},
    {C::kFirstPage, "FirstPage", 0, G::kPage},
    {C::kLastPage, "LastPage", 0, G::kPage},
    {C::kNextPage, "NextPage", 0, G::kPage},
    {C::kPrevPage, "PrevPage", 0, G::kPage},
    {C::kPage, "Page", 1, G::kPage},
    {C::kExit, "Exit", 0, G::kPage},
    {C::kMinimize, "Minimize", 0, G::kWindow, {}, kDefers},
    {C::kRestore, "Restore", 0, G::kWindow},
    {C::kPageTimer, "PageTimer", 2, G::kTimer},
    {C::kExitTimer, "ExitTimer", 1, G::kTimer},
    {C::kScriptTimer, "ScriptTimer", 2, G::kTimer},
    {C::kRunScript, "RunScript", 1, G::kScript},
    {C::kRunScriptCode, "RunScriptCode", 2, G::kScript},
    {C::kMessage, "Message", 2, G::kMessage},
    {C::kMessageEx, "MessageEx", 2, G::kMessageEx},
    {C::kRunQMD, "RunQMD", 2, G::kSystem},
    {C::kRun, "Run", 2, G::kSystem},
    {C::kSysCommand, "SysCommand", 2, G::kSystem},
    {C::kMoveObject, "MoveObject", 2, G::kPlacement},
    {C::kMoveTo, "MoveTo", 2, G::kPlacement, {}, kDefers},
    {C::kReorderObject, "ReorderObject", 2, G::kPlacement},
    {C::kDisplayValue, "DisplayValue", 2, G::kText},
    {C::kLoadText, "LoadText", 2, G::kText},
    {C::kReturn, "Return", 0, G::kExecutor},
    {C::kBreak, "Break", 0, G::kExecutor},
    {C::kRefresh, "Refresh", 1, G::kWindow, {}, kDefers},
    {C::kPause, "Pause", 1, G::kWindow},
    {C::kOpenFile, "OpenFile", 2, G::kDialog},
    {C::kSaveFile, "SaveFile", 2, G::kDialog},
    {C::kBrowseForFolder, "BrowseForFolder", 2, G::kDialog},
    {C::kColorPicker, "ColorPicker", 0, G::kDialog},
    {C::kFontPicker, "FontPicker", 0, G::kDialog},
    {C::kFileExist, "FileExist", 2, G::kFile},
    {C::kFileString, "FileString", 2, G::kFile},
    {C::kSearchForFiles, "SearchForFiles", 2, G::kFile},
    {C::kSaveVariable, "SaveVariable", 2, G::kSystem},
    {C::kLoadVariable, "LoadVariable", 2, G::kSystem},
    {C::kInstallFont, "InstallFont", 1, G::kSystem},
    {C::kBrowser, "Browser", 2, G::kBrowser},
    {C::kSendCommand, "SendCommand", 2, G::kProgram},
    {C::kClipboard, "Clipboard", 2, G::kSystem},
    {C::kVolumeUp, "VolumeUp", 1, G::kNoEffect, kAudioEngine},
    {C::kVolumeDown, "VolumeDown", 0, G::kNoEffect, kAudioEngine},
    {C::kFMODConfig, "FMODConfig", 1, G::kNoEffect, kAudioEngine},
    {C::kPlaySound, "PlaySound", 1, G::kNoEffect, kAudioEngine},
    {C::kStopSound, "StopSound", 0, G::kNoEffect, kAudioEngine},
    {C::kWavePlay, "WavePlay", 2, G::kNoEffect, kAudioEngine},
    {C::kWaveStop, "WaveStop", 0, G::kNoEffect, kAudioEngine},
    {C::kMidiPlay, "MidiPlay", 2, G::kNoEffect, kAudioEngine},
    {C::kMidiStop, "MidiStop", 0, G::kNoEffect, kAudioEngine},
    {C::kModOpen, "ModOpen", 1, G::kNoEffect, kAudioEngine},
    {C::kModPlay, "ModPlay", 0, G::kNoEffect, kAudioEngine},
    {C::kModStop, "ModStop", 0, G::kNoEffect, kAudioEngine},
    {C::kAudioOpen, "AudioOpen", 1, G::kNoEffect, kAudioEngine},
    {C::kAudioPlay, "AudioPlay", 0, G::kNoEffect, kAudioEngine},
    {C::kAudioStop, "AudioStop", 0, G::kNoEffect, kAudioEngine},
    {C::kAudioPause, "AudioPause", 0, G::kNoEffect, kAudioEngine},
    {C::kAudioRewind, "AudioRewind", 2, G::kNoEffect, kAudioEngine},
    {C::kBackgroundPlay, "BackgroundPlay", 2, G::kNoEffect, kAudioEngine},
    {C::kBackgroundPause, "BackgroundPause", 0, G::kNoEffect, kAudioEngine},
    {C::kBackgroundStop, "BackgroundStop", 0, G::kNoEffect, kAudioEngine},
    {C::kSongListReset, "SongListReset", 0, G::kMedia},
    {C::kSongListAdd, "SongListAdd", 1, G::kMedia},
    {C::kSongListDel, "SongListDel", 1, G::kMedia},
    {C::kSongListPlay, "SongListPlay", 1, G::kNoEffect, kAudioEngine},
    {C::kSongListNext, "SongListNext", 0, G::kNoEffect, kAudioEngine},
    {C::kSongListPrev, "SongListPrev", 0, G::kNoEffect, kAudioEngine},
    {C::kSongListLoad, "SongListLoad", 2, G::kMedia},
    {C::kSongListRND, "SongListRND", 0, G::kMedia},
    {C::kSongListEdit, "SongListEdit", 0, G::kMedia},
    {C::kSongListSave, "SongListSave", 2, G::kMedia},
    {C::kSongListTime, "SongListTime", 0, G::kNoEffect, kAudioEngine},
    {C::kCDPlay, "CDPlay", 0, G::kNoEffect, kAudioEngine},
    {C::kCDStop, "CDStop", 0, G::kNoEffect, kAudioEngine},
    {C::kCDPause, "CDPause", 0, G::kNoEffect, kAudioEngine},
    {C::kCDTrack, "CDTrack", 1, G::kNoEffect, kAudioEngine},
    {C::kCDForward, "CDForward", 0, G::kNoEffect, kAudioEngine},
    {C::kCDBackward, "CDBackward", 0, G::kNoEffect, kAudioEngine},
    {C::kCDPlayPause, "CDPlayPause", 0, G::kNoEffect, kAudioEngine},
    {C::kCDSkipForward, "CDSkipForward", 0, G::kNoEffect, kAudioEngine},
    {C::kCDSkipBackward, "CDSkipBackward", 0, G::kNoEffect, kAudioEngine},
    {C::kWhichCDTrack, "WhichCDTrack", 1, G::kNoEffect, kAudioEngine},
    {C::kAudioVisualizationType, "AudioVisualizationType", 2, G::kNoEffect, kAudioEngine},
    {C::kAudioVisualizationColor, "AudioVisualizationColor", 2, G::kNoEffect, kAudioEngine},
    {C::kFlash, "Flash", 2, G::kNoEffect, kFlashObjects},
    {C::kFlashSetVar, "FlashSetVar", 2, G::kNoEffect, kFlashObjects},
    {C::kFlashGetVar, "FlashGetVar", 2, G::kNoEffect, kFlashObjects},
    {C::kFlashSetFrame, "FlashSetFrame", 2, G::kNoEffect, kFlashObjects},
    {C::kFlashGetFrame, "FlashGetFrame", 2, G::kNoEffect, kFlashObjects},
    {C::kFlashGetProp, "FlashGetProp", 2, G::kNoEffect, kFlashObjects},
    {C::kListBoxAddItem, "ListBoxAddItem", 2, G::kList},
    {C::kListBoxDeleteItem, "ListBoxDeleteItem", 2, G::kList},
    {C::kListBoxSortItems, "ListBoxSortItems", 2, G::kList},
    {C::kListBoxSelectItem, "ListBoxSelectItem", 2, G::kList},
    {C::kListBoxDeselectItem, "ListBoxDeselectItem", 2, G::kList},
    {C::kListBoxMoveItem, "ListBoxMoveItem", 2, G::kList},
    {C::kListBoxGetItems, "ListBoxGetItems", 2, G::kList},
    {C::kListBoxGetSelectedItems, "ListBoxGetSelectedItems", 2, G::kList},
    {C::kListBoxParam, "ListBoxParam", 2, G::kList},
    {C::kAGifPlay, "AGifPlay", 1, G::kAnimation},
    {C::kAGifStop, "AGifStop", 1, G::kAnimation},
    {C::kAGifReset, "AGifReset", 1, G::kAnimation},
    {C::kVideoLoad, "VideoLoad", 2, G::kVideo},
    {C::kVideoPlay, "VideoPlay", 1, G::kVideo, {}, kDefers},
    {C::kVideoPause, "VideoPause", 1, G::kVideo},
    {C::kVideoStop, "VideoStop", 1, G::kVideo},
    {C::kVideoRewind, "VideoRewind", 2, G::kVideo},
    {C::kVideoClose, "VideoClose", 1, G::kVideo},
    {C::kVideoSpeed, "VideoSpeed", 2, G::kVideo},
    {C::kVideoScale, "VideoScale", 2, G::kVideo},
    {C::kVideoParam, "VideoParam", 2, G::kVideo},
    {C::kMCIObject, "MCIObject", 2, G::kMedia},
    {C::kMCICommand, "MCICommand", 1, G::kMedia},
    {C::kPrintText, "PrintText", 2, G::kPrint},
    {C::kPrintPage, "PrintPage", 1, G::kPrint},
    {C::kPrintRect, "PrintRect", 2, G::kPrint},
    {C::kInstallTTS, "InstallTTS", 0, G::kSpeech},
    {C::kInitTTS, "InitTTS", 0, G::kSpeech},
    {C::kSay, "Say", 1, G::kSpeech},
    {C::kSpeakText, "SpeakText", 1, G::kSpeech},
    {C::kStopTTS, "StopTTS", 0, G::kSpeech},
    {C::kPauseTTS, "PauseTTS", 0, G::kSpeech},
    {C::kResumeTTS, "ResumeTTS", 0, G::kSpeech},
    {C::kPitchTTS, "PitchTTS", 1, G::kSpeech},
    {C::kSpeedTTS, "SpeedTTS", 1, G::kSpeech},
    {C::kViewImage, "ViewImage", 2, G::kImageView},
    {C::kReplaceImage, "ReplaceImage", 2, G::kImageView},
    {C::kImageOpacity, "ImageOpacity", 2, G::kImageView},
    {C::kUseImageBkgColor, "UseImageBkgColor", 2, G::kImageView},
    {C::kSetImageBkgColor, "SetImageBkgColor", 2, G::kImageView},
    {C::kSetImageOrigin, "SetImageOrigin", 2, G::kImageView},
    {C::kResizeImage, "ResizeImage", 2, G::kImageView},
    {C::kRotateImageRel, "RotateImageRel", 2, G::kImageView},
    {C::kRotateImageTo, "RotateImageTo", 2, G::kImageView},
    {C::kScrollImageView, "ScrollImageView", 2, G::kImageView},
    {C::kZoomImageView, "ZoomImageView", 2, G::kImageView},
    {C::kRestoreImage, "RestoreImage", 1, G::kImageView},
    {C::kMatrixSet, "MatrixSet", 2, G::kMatrix, {}, kAsWritten},
    {C::kMatrixGet, "MatrixGet", 2, G::kMatrix, {}, kAsWritten},
    {C::kPluginSet, "PluginSet", 2, G::kPlugin},
    {C::kPluginGet, "PluginGet", 2, G::kPlugin},
    {C::kPluginRun, "PluginRun", 2, G::kPlugin},
    {C::kSetObjectParam, "SetObjectParam", 2, G::kParam},
    {C::kSetProjectParam, "SetProjectParam", 2, G::kParam},
    {C::kDeleteObject, "DeleteObject", 1, G::kPlacement},
    {C::kCreateCircle, "CreateCircle", 2, G::kCreate},
    {C::kCreateHotSpot, "CreateHotSpot", 2, G::kCreate},
    {C::kCreateLine, "CreateLine", 2, G::kCreate},
    {C::kCreateLineAB, "CreateLineAB", 2, G::kCreate},
    {C::kCreateParagraph, "CreateParagraph", 2, G::kCreate},
    {C::kCreateRectangle, "CreateRectangle", 2, G::kCreate},
    {C::kCreateScript, "CreateScript", 2, G::kCreate},
    {C::kCreateText, "CreateText", 2, G::kCreate},
    {C::kCreateTextButton, "CreateTextButton", 2, G::kCreate},
};

constexpr size_t kRowCount = std::size(kCommands);

// A row without a group reads as kNoEffect without a reason and stops the build here.
constexpr bool EveryRowHandledOrExplained() {
  for (const ScriptCommand& row : kCommands) {
    if ((row.group == G::kNoEffect) == row.noEffectReason.empty())
      return false;
  }
  return true;
}
static_assert(EveryRowHandledOrExplained(),
              "every command row names its handler group, or kNoEffect and a reason");

// Built once: lower-cased name -> row, keeping the first row of each name.
struct CommandIndex {
  std::unordered_map<std::string, const ScriptCommand*> byName;
  std::array<const ScriptCommand*, kMaxCommandCode + 1> byCode{};

  CommandIndex() {
    byName.reserve(kRowCount * 2);
    for (const ScriptCommand& row : kCommands) {
      byName.emplace(AsciiLower(row.name), &row);
      const auto code = static_cast<size_t>(StoredCode(row.code));
      if (byCode[code] == nullptr) {
        byCode[code] = &row;
      }
    }
  }
};

const CommandIndex& Index() {
  static const CommandIndex index;
  return index;
}

}  // namespace

std::span<const ScriptCommand> CommandTable() {
  return kCommands;
}

const ScriptCommand* FindCommand(std::string_view name) {
  // No row name is longer than this; longer names cannot match and need no copy.
  constexpr size_t kLongestName = 31;
  if (name.empty() || name.size() > kLongestName) {
    return nullptr;
  }
  const auto& byName = Index().byName;
  auto it = byName.find(AsciiLower(name));
  return it == byName.end() ? nullptr : it->second;
}

const ScriptCommand* FindCommandByCode(int32_t code) {
  if (code < 0 || code > kMaxCommandCode) {
    return nullptr;
  }
  return Index().byCode[static_cast<size_t>(code)];
}

bool CommandHasFlag(int32_t code, uint32_t flag) {
  const ScriptCommand* row = FindCommandByCode(code);
  return row != nullptr && row->HasFlag(flag);
}

}  // namespace qlm
