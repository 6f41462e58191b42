#pragma once

#include <filesystem>
#include <string>

namespace qlm {

// The parts of the process environment the platform layer needs to place its folders. Read once
// at start-up (FromProcess) and passed down, so tests can point everything at a temporary root.
struct HostEnvironment {
  std::filesystem::path home;           // $HOME (or the password database)
  std::filesystem::path xdgDataHome;    // $XDG_DATA_HOME, empty when unset
  std::filesystem::path xdgConfigHome;  // $XDG_CONFIG_HOME, empty when unset
  std::filesystem::path tmpDir;         // $TMPDIR, empty when unset
  unsigned userId = 0;

  static HostEnvironment FromProcess();

  // $XDG_DATA_HOME/qlmplayer, else ~/.local/share/qlmplayer, else a per-user folder in /tmp.
  std::filesystem::path DataDir() const;
  // $XDG_CONFIG_HOME/qlmplayer, else ~/.config/qlmplayer, else a per-user folder in /tmp.
  std::filesystem::path ConfigDir() const;
  // $TMPDIR, else /tmp.
  std::filesystem::path TempRoot() const;
};

}  // namespace qlm
