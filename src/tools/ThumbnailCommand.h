#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tools/QmdTool.h"

namespace qlm {

// qmdtool thumbnails DIR... -o OUT [--jobs N] [--timeout SECONDS] [--player PATH] [--json]
// [--mount D=PATH[:cdrom]] (passed on to the players):
// the first frame of every presentation found, as OUT/<path below DIR>.png. Each presentation
// is played by its own headless player process, so a presentation that crashes or hangs costs
// only its own picture. Exit status 0 when every picture was written, 1 when one was not, 2 for
// a wrong command line. `args` starts with "thumbnails".
int RunThumbnailCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                        const ToolEnvironment& env);

}  // namespace qlm
