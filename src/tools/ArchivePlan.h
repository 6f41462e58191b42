#pragma once

#include <cstddef>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "tools/ArchiveRunFolder.h"

namespace qlm {

struct ArchivePlanSettings {
  std::vector<std::string> roots;  // folders and files of the collection
  std::filesystem::path run;       // the run folder to make
  size_t chunkSize = 100;
  size_t jobs = 0;      // threads for checksums; 0: every core
  int progressFd = -1;  // a terminal for the progress bar, or -1
};

// Walks the collection once and writes the run folder's plan: the manifest of every file that
// looks like a presentation (named files always), with its checksum, and chunks of
// `chunkSize` entries. Refuses a folder that already holds a plan. Files that cannot be listed
// or read are named in `problems` and left out. Throws ArchiveError.
ArchivePlanInfo PlanArchive(const ArchivePlanSettings& settings,
                            std::vector<std::string>& problems);

}  // namespace qlm
