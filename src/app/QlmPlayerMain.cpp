#include <unistd.h>
#include <cstdlib>
#include <iostream>
#include <system_error>

#include "app/PlayerRun.h"

int main(int argc, char** argv) {
  qlm::PlayerProcess process;
  process.args.assign(argv + 1, argv + argc);
  std::error_code error;
  process.executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error && argc > 0)
    process.executable = std::filesystem::absolute(argv[0], error);
  process.environment = qlm::HostEnvironment::FromProcess();
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  process.hasDisplay = (display && *display) || (wayland && *wayland);
  process.eventsFd = STDIN_FILENO;
  process.out = &std::cout;
  process.err = &std::cerr;
  return qlm::RunPlayerProcess(process);
}
