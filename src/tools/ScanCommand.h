#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/DriveMount.h"
#include "tools/PresentationScan.h"
#include "tools/QmdTool.h"

namespace qlm {

// qmdtool scan DIR... [--json] [--jobs N] [--codepage NAME] [--mount D=PATH[:cdrom]]: what a
// pile of presentations uses and lacks; drives map as with the player's --mount. Exit status 0 when
// every presentation found reads cleanly, 1 when one does not or a folder cannot be listed, 2 for a
// wrong command line. `args` starts with "scan".
int RunScanCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const ToolEnvironment& env);

// What the scanner needs to look up files as a player on this machine would: the process's
// environment and drive C, the drives mapped as with the player's --mount, the player's folder.
ScanSettings HostScanSettings(const std::vector<DriveMount>& mounts, const std::string& codePage,
                              const ToolEnvironment& env);

// Reads the value of a --jobs option: a number from 1 to 256; false when it is not one.
bool ParseJobCount(const std::string& text, size_t& jobs);

}  // namespace qlm
