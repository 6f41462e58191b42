#pragma once

#include <cstdio>
#include <string>

#include <sys/wait.h>

namespace qlm::test {

// What a shell command printed on stdout and its exit status (-1 when it did not exit).
struct ShellOutput {
  int status = -1;
  std::string text;
};

inline ShellOutput RunShellCommand(const std::string& command) {
  ShellOutput output;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe)
    return output;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    output.text.append(buffer, n);
  const int status = ::pclose(pipe);
  output.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return output;
}

}  // namespace qlm::test
