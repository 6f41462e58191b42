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

}  // namespace qlm
