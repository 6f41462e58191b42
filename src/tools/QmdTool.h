#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace qlm {

// What the tool takes from the process it runs in, so tests can supply their own.
struct ToolEnvironment {
  std::filesystem::path executableDir;   // the default player is "qlmplayer" in here
  std::function<std::string()> newGuid;  // a fresh identifier; NewGuid when empty
};

// Exit codes of qmdtool.
inline constexpr int kToolOk = 0;
inline constexpr int kToolFailed = 1;  // the command could not be carried out
inline constexpr int kToolUsage = 2;   // the command line is wrong

// Runs one qmdtool command line (without the program name). Results go to `out`, messages and
// usage errors to `err`.
int RunQmdTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const ToolEnvironment& env);

}  // namespace qlm
