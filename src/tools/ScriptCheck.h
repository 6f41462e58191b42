#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace qlm {

// qmdtool check FILE: compiles a script text file as the player compiles RunScriptCode with
// its error display on, and prints every message box the player would show. Returns 0 when
// the script compiles cleanly, 1 when it does not (or the file cannot be read), 2 for a wrong
// command line. `args` starts with "check".
int RunScriptCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace qlm
