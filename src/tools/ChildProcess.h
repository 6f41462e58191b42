#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace qlm {

// How a child process ended.
struct ChildResult {
  bool started = false;
  bool timedOut = false;  // killed when the time ran out
  int exitCode = -1;      // when it exited by itself
  int signal = 0;         // when a signal ended it
  std::string error;      // why it did not start
  std::string output;     // the end of what it wrote to stdout and stderr
};

// Runs `program` with `args` (without the program name), stdin on /dev/null, and waits for it at
// most `timeout`; then it and the processes it started are killed. Never throws.
ChildResult RunChild(const std::filesystem::path& program, const std::vector<std::string>& args,
                     std::chrono::milliseconds timeout);

}  // namespace qlm
