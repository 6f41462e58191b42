#include "script/CommandTable.h"

#include <array>
#include <string>
#include <unordered_map>

#include "script/ScriptText.h"

namespace qlm {

namespace {

// Table order is lookup order; codes are part of the stored project format.
constexpr ScriptCommand kCommands[] = {
    {0, "Hide", 1},
    {1, "Show", 1},
    {2, "Invert", 1},
    {7, "FirstPage", 0},
    {8, "LastPage", 0},
    {9, "NextPage", 0},
    {10, "PrevPage", 0},
    {11, "Page", 1},
    {12, "Exit", 0},
    {19, "Minimize", 0},
    {241, "Restore", 0},
    {28, "PageTimer", 2},
    {27, "ExitTimer", 1},
    {36, "ScriptTimer", 2},
    {35, "RunScript", 1},
    {248, "RunScriptCode", 2},
    {30, "Message", 2},
    {247, "MessageEx", 2},
    {5, "RunQMD", 2},
    {6, "Run", 2},
    {82, "SysCommand", 2},
    {84, "MoveObject", 2},
    {85, "MoveTo", 2},
    {242, "ReorderObject", 2},
    {29, "DisplayValue", 2},
    {79, "LoadText", 2},
    {31, "Return", 0},
    {239, "Break", 0},
    {87, "Refresh", 1},
    {86, "Pause", 1},
    {40, "OpenFile", 2},
    {235, "SaveFile", 2},
    {236, "BrowseForFolder", 2},
    {238, "ColorPicker", 0},
    {245, "FontPicker", 0},
    {71, "FileExist", 2},
    {41, "FileString", 2},
    {80, "SearchForFiles", 2},
    {48, "SaveVariable", 2},
    {49, "LoadVariable", 2},
    {51, "InstallFont", 1},
    {88, "Browser", 2},
    {89, "SendCommand", 2},
    {90, "Clipboard", 2},
    {46, "VolumeUp", 1},
    {47, "VolumeDown", 0},
    {213, "FMODConfig", 1},
    {42, "PlaySound", 1},
    {212, "StopSound", 0},
    {13, "WavePlay", 2},
    {14, "WaveStop", 0},
    {37, "MidiPlay", 2},
    {38, "MidiStop", 0},
    {43, "ModOpen", 1},
    {44, "ModPlay", 0},
    {45, "ModStop", 0},
    {15, "AudioOpen", 1},
    {16, "AudioPlay", 0},
    {17, "AudioStop", 0},
    {18, "AudioPause", 0},
    {93, "AudioRewind", 2},
    {214, "BackgroundPlay", 2},
    {216, "BackgroundPause", 0},
    {215, "BackgroundStop", 0},
    {63, "SongListReset", 0},
    {64, "SongListAdd", 1},
    {209, "SongListDel", 1},
    {65, "SongListPlay", 1},
    {66, "SongListNext", 0},
    {67, "SongListPrev", 0},
    {68, "SongListLoad", 2},
    {69, "SongListRND", 0},
    {72, "SongListEdit", 0},
    {210, "SongListSave", 2},
    {217, "SongListTime", 0},
    {20, "CDPlay", 0},
    {21, "CDStop", 0},
    {22, "CDPause", 0},
    {23, "CDTrack", 1},
    {24, "CDForward", 0},
    {25, "CDBackward", 0},
    {26, "CDPlayPause", 0},
    {91, "CDSkipForward", 0},
    {92, "CDSkipBackward", 0},
    {81, "WhichCDTrack", 1},
    {201, "AudioVisualizationType", 2},
    {202, "AudioVisualizationColor", 2},
    {94, "Flash", 2},
    {95, "FlashSetVar", 2},
    {96, "FlashGetVar", 2},
    {97, "FlashSetFrame", 2},
    {98, "FlashGetFrame", 2},
    {211, "FlashGetProp", 2},
    {203, "ListBoxAddItem", 2},
    {204, "ListBoxDeleteItem", 2},
    {230, "ListBoxSortItems", 2},
    {205, "ListBoxSelectItem", 2},
    {208, "ListBoxDeselectItem", 2},
    {229, "ListBoxMoveItem", 2},
    {206, "ListBoxGetItems", 2},
    {207, "ListBoxGetSelectedItems", 2},
    {237, "ListBoxParam", 2},
    {32, "AGifPlay", 1},
    {33, "AGifStop", 1},
    {34, "AGifReset", 1},
    {223, "VideoLoad", 2},
    {3, "VideoPlay", 1},
    {224, "VideoPause", 1},
    {4, "VideoStop", 1},
    {225, "VideoRewind", 2},
    {240, "VideoClose", 1},
    {226, "VideoSpeed", 2},
    {227, "VideoScale", 2},
    {228, "VideoParam", 2},
    {83, "MCIObject", 2},
    {39, "MCICommand", 1},
    {50, "PrintText", 2},
    {52, "PrintPage", 1},
    {53, "PrintRect", 2},
    {54, "InstallTTS", 0},
    {55, "InitTTS", 0},
    {56, "Say", 1},
    {57, "SpeakText", 1},
    {58, "StopTTS", 0},
    {59, "PauseTTS", 0},
    {60, "ResumeTTS", 0},
    {61, "PitchTTS", 1},
    {62, "SpeedTTS", 1},
    {70, "ViewImage", 2},
    {73, "ReplaceImage", 2},
    {243, "ImageOpacity", 2},
    {233, "UseImageBkgColor", 2},
    {234, "SetImageBkgColor", 2},
    {218, "SetImageOrigin", 2},
    {219, "ResizeImage", 2},
    {220, "RotateImageRel", 2},
    {221, "RotateImageTo", 2},
    {231, "ScrollImageView", 2},
    {232, "ZoomImageView", 2},
    {222, "RestoreImage", 1},
    {74, "MatrixSet", 2},
    {75, "MatrixGet", 2},
    {76, "PluginSet", 2},
    {77, "PluginGet", 2},
    {78, "PluginRun", 2},
    {244, "SetObjectParam", 2},
    {246, "SetProjectParam", 2},
    {249, "DeleteObject", 1},
    {250, "CreateCircle", 2},
    {251, "CreateHotSpot", 2},
    {252, "CreateLine", 2},
    {257, "CreateLineAB", 2},
    {258, "CreateParagraph", 2},
    {253, "CreateRectangle", 2},
    {254, "CreateScript", 2},
    {255, "CreateText", 2},
    {256, "CreateTextButton", 2},
};

constexpr size_t kRowCount = std::size(kCommands);

// Built once: lower-cased name -> row, keeping the first row of each name.
struct CommandIndex {
  std::unordered_map<std::string, const ScriptCommand*> byName;
  std::array<const ScriptCommand*, kMaxCommandCode + 1> byCode{};

  CommandIndex() {
    byName.reserve(kRowCount * 2);
    for (const ScriptCommand& row : kCommands) {
      byName.emplace(AsciiLower(row.name), &row);
      if (byCode[row.code] == nullptr) {
        byCode[row.code] = &row;
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

}  // namespace qlm
