#include <unistd.h>
#include <cstdlib>
#include <iostream>
#include <system_error>

#include "app/PlayerRun.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

// Under node the player is the script node runs (qlmplayer.js): its path, as a new C string.
EM_JS(char*, NodeScriptPath, (), { return allocateUTF8(process.argv[1] || ""); });
#endif

int main(int argc, char** argv) {
  qlm::PlayerProcess process;
  process.args.assign(argv + 1, argv + argc);
  std::error_code error;
#ifdef __EMSCRIPTEN__
  // The program is named after the script without its ".js", as the desktop's binary is named.
  char* script = NodeScriptPath();
  process.executable = std::filesystem::path(script).replace_extension();
  std::free(script);
  // The fonts it carries, unless the caller names a font configuration of its own.
  const std::filesystem::path fonts = process.executable.parent_path() / "fonts" / "fonts.conf";
  std::error_code missing;
  if (!std::getenv("FONTCONFIG_FILE") && std::filesystem::exists(fonts, missing))
    setenv("FONTCONFIG_FILE", fonts.c_str(), 1);
#else
  process.executable = std::filesystem::read_symlink("/proc/self/exe", error);
#endif
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
