#pragma once

#include <string>

namespace qlm {

// Folders the player exposes to scripts, as Windows-style paths that end in a backslash.
// Filled once at start-up and then shared through the application context.
struct SystemFolders {
  std::string windows;   // "<Windows>"
  std::string system;    // "<System>"
  std::string temp;      // "<Temp>"
  std::string embedded;  // "<Embedded>": the player temporary folder "QLMPlayer" under temp
  std::string cd;        // "<CD>": the first CD drive, or empty
};

class HostFileSystem;
struct HostEnvironment;

// Fills the folders from the drive mapping: "<Windows>" and "<System>" in drive C:, "<Temp>" a
// per-user folder under $TMPDIR (or /tmp) that only this user can write, "<Embedded>" its
// "QLMPlayer" subfolder, "<CD>" the root of the first drive mounted as a CD. The host folders
// are created when missing.
SystemFolders MakeSystemFolders(const HostFileSystem& fileSystem, const HostEnvironment& env);

}  // namespace qlm
