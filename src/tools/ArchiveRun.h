#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "tools/FirstFrame.h"
#include "tools/PresentationScan.h"

namespace qlm {

struct ArchiveRunSettings {
  std::filesystem::path run;
  std::optional<size_t> chunk;  // every chunk when empty
  size_t jobs = 0;              // players at a time; 0: every core
  bool redoFailed = false;      // run again the entries whose record is a failure
  FirstFrameSettings frames;    // the player, its options and bounds (profileDir is set here)
  ScanSettings scan;
  int progressFd = -1;
};

// What one `archive run` did.
struct ArchiveRunCounts {
  size_t entries = 0;  // in the chunks run
  size_t kept = 0;     // already recorded, not run again
  size_t done = 0;     // recorded by this run
  size_t failed = 0;   // of those, records of a failure
};

// Scans and plays every entry of the chunk(s) and appends one record a file to
// results/K.jsonl, each line flushed as soon as the entry is done, so an interrupted run loses
// only the entries in progress. Entries that already have a record with the manifest's checksum
// are kept (failures too, unless redoFailed). Throws ArchiveError for a broken run folder.
ArchiveRunCounts RunArchive(const ArchiveRunSettings& settings);

}  // namespace qlm
