#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "script/CommandCode.h"

namespace qlm {

// Who installs the handler of a row. The groups install their handlers into the runner at run
// time (media and plug-ins live above script/ and cannot be named from here); the player window
// installs every group, and a test holds each group to the rows that name it.
enum class CommandGroup : uint8_t {
  kNoEffect,   // no handler on this platform: the row's reason says why
  kExecutor,   // the statement loop itself (Return, Break)
  kObject,     // script/ObjectCommands.cpp
  kPage,       // script/PageCommands.cpp
  kWindow,     // script/WindowCommands.cpp
  kTimer,      // script/TimerCommands.cpp
  kScript,     // script/ScriptCommands.cpp
  kMessage,    // script/MessageCommands.cpp
  kMessageEx,  // script/MessageExCommands.cpp
  kSystem,     // script/SystemCommands.cpp
  kPlacement,  // script/PlacementCommands.cpp
  kText,       // script/TextCommands.cpp
  kDialog,     // script/DialogCommands.cpp
  kFile,       // script/FileCommands.cpp
  kList,       // script/ListCommands.cpp
  kParam,      // script/ParamCommands.cpp
  kCreate,     // script/CreateCommands.cpp
  kMatrix,     // script/MatrixCommands.cpp
  kImageView,  // script/ImageViewCommands.cpp
  kMedia,      // media/MediaCommands.cpp
  kVideo,      // media/VideoCommands.cpp
  kSpeech,     // media/SpeechCommands.cpp
  kPlugin,     // plugins/PluginCommands.cpp
  kAnimation,  // player/AnimationCommands.cpp
  kBrowser,    // player/BrowserCommands.cpp
  kPrint,      // player/PrintCommands.cpp
  kProgram,    // player/ProgramCommands.cpp
};

// Flags of a row.
namespace command_flag {
// A page enter script holding this command runs from timer 105 once the window is visible.
inline constexpr uint32_t kDefersPageEnter = 1u << 0;
// The first argument names the object as written: a bracket in it is no index.
inline constexpr uint32_t kNameAsWritten = 1u << 1;
}  // namespace command_flag

// One row of the built-in command table. The code is what stored scripts hold, so every
// row's code is fixed; the name is what a script writes.
struct ScriptCommand {
  CommandCode code;
  std::string_view name;
  int32_t argCount;  // quoted arguments: 0, 1 or 2
  CommandGroup group;
  std::string_view noEffectReason = {};  // set exactly when group is kNoEffect
  uint32_t flags = 0;                    // command_flag bits

  bool HasFlag(uint32_t flag) const { return (flags & flag) != 0; }
};

// Highest command code a row may carry.
inline constexpr int32_t kMaxCommandCode = 258;

// Every row in table order.
std::span<const ScriptCommand> CommandTable();

// The first row whose name equals `name` without regard to ASCII case, or nullptr. The whole
// name is compared: no trimming, no abbreviation.
const ScriptCommand* FindCommand(std::string_view name);

// The row with this code, or nullptr (statement kinds and unused codes have no row).
const ScriptCommand* FindCommandByCode(int32_t code);

// Whether the row of this code carries `flag`; false for codes without a row.
bool CommandHasFlag(int32_t code, uint32_t flag);

}  // namespace qlm
