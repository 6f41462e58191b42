#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "document/Project.h"
#include "platform/host/HostEnvironment.h"

namespace qlm {

// Everything a run of the player takes from its process.
struct PlayerProcess {
  std::vector<std::string> args;     // after the program name
  std::filesystem::path executable;  // the running program (its trailer may hold a project)
  HostEnvironment environment;
  bool hasDisplay = false;      // a desktop to open a window on
  int eventsFd = 0;             // where "--events -" reads from
  std::ostream* out = nullptr;  // JSON lines
  std::ostream* err = nullptr;  // diagnostics
};

// Exit codes of qlmplayer.
inline constexpr int kExitOk = 0;
inline constexpr int kExitNoProject = 1;
inline constexpr int kExitUsage = 2;

// The whole player process: options, start-up, the run and shut-down. Returns the exit code.
int RunPlayerProcess(const PlayerProcess& process);

// The --blank project: one empty white page of 640 x 480.
Project BlankProject();

}  // namespace qlm
