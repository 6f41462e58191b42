#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "tools/QmdTool.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  qlm::ToolEnvironment env;
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error && argc > 0) {
    self = std::filesystem::absolute(argv[0], error);
  }
  env.executableDir = self.parent_path();
  return qlm::RunQmdTool(args, std::cout, std::cerr, env);
}
