#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace qlm {

// What a run folder's results add up to.
struct ArchiveMergeSummary {
  size_t entries = 0;   // in the manifest
  size_t recorded = 0;  // with a record
  size_t ok = 0;
  size_t failed = 0;
  size_t blank = 0;
  size_t timedOut = 0;
  std::map<std::string, size_t> errors;  // error code to entries
  std::vector<size_t> missingChunks;     // some entry without a record: run these again
  std::vector<size_t> failedChunks;      // a failure that another run may mend (--redo-failed)

  bool Complete() const { return recorded == entries; }
};

// Writes RUN/inventory.jsonl (every manifest entry once, in manifest order: its record, or the
// entry with the error "not-run"), RUN/inventory.csv (the same, a row each) and
// RUN/summary.json. Throws ArchiveError.
ArchiveMergeSummary MergeArchive(const std::filesystem::path& run);

// Chunk numbers as Slurm's --array takes them: "0,3-5,9".
std::string ChunkRanges(const std::vector<size_t>& chunks);

}  // namespace qlm
