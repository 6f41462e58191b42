#pragma once

#include "app/PlayerRun.h"
#include "player/CommandLine.h"

namespace qlm {

// Plays in a desktop window when there is a display to open one on. Returns nullopt, with the
// reason in `why`, when no window can be opened (then the caller plays headless).
std::optional<int> RunDesktop(const PlayerProcess& process, const PlayerOptions& options,
                              std::string& why);

}  // namespace qlm
