#pragma once

#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "tools/PresentationScan.h"

namespace qlm {

// A file to look at: found in a folder, or named on the command line (then it is reported even
// when it does not look like a presentation).
struct ScanCandidate {
  std::filesystem::path path;
  bool named = false;
};

// The regular files under the folders of `roots` (recursively, symbolic links to folders not
// followed) in path order, and the files `roots` names. A root that is neither, or a folder that
// cannot be listed, adds a line to `problems`.
std::vector<ScanCandidate> ListScanCandidates(const std::vector<std::string>& roots,
                                              std::vector<std::string>& problems);

// True for a document (the magic word in its first counted string, or a .qmd name) and for a
// file with a stand-alone trailer, damaged or not.
bool LooksLikePresentation(const std::filesystem::path& path);

// Scans the candidates that look like presentations on `workers` threads; the reports come back
// in the order of the candidates.
std::vector<PresentationReport> ScanCandidates(const std::vector<ScanCandidate>& candidates,
                                               const ScanSettings& settings, size_t workers);

// What a pile of reports adds up to.
struct ScanSummary {
  size_t presentations = 0;
  size_t ok = 0;
  size_t damaged = 0;
  size_t standalone = 0;
  size_t withMissingFiles = 0;
  size_t withUnsupported = 0;
  std::map<std::string, size_t> unsupported;  // feature to presentations using it
};

ScanSummary Summarize(const std::vector<PresentationReport>& reports);

// The readable table: one line a presentation with its problems indented below, then the
// summary.
void WriteScanTable(std::ostream& out, const std::vector<PresentationReport>& reports,
                    const ScanSummary& summary);
// JSON lines: one object a presentation, then {"summary": {...}}.
void WriteScanJson(std::ostream& out, const std::vector<PresentationReport>& reports,
                   const ScanSummary& summary);

}  // namespace qlm
