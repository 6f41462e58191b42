#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tools/QmdTool.h"

namespace qlm {

// qmdtool archive plan|run|merge|slurm ...: a collection turned into an inventory in steps that
// can be resumed, run on one machine or as an array job on a Slurm cluster. `args` starts with
// "archive". Exit status 0 when the step is complete, 1 when it is not (or failed), 2 for a wrong
// command line.
int RunArchiveCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                      const ToolEnvironment& env);

}  // namespace qlm
