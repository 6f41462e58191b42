#pragma once

#include <filesystem>
#include <functional>
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

// The same, handing each report to `take` as soon as it and every report before it are done, in
// the order of the candidates and from one thread at a time; `scanned` is called for every
// candidate looked at (for a progress bar), from any thread.
void ScanCandidatesInOrder(const std::vector<ScanCandidate>& candidates,
                           const ScanSettings& settings, size_t workers,
                           const std::function<void(PresentationReport&)>& take,
                           const std::function<void()>& scanned = {});

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
void AddToSummary(ScanSummary& summary, const PresentationReport& report);

// The readable table: one line a presentation with its problems indented below, then the
// summary.
void WriteScanTable(std::ostream& out, const std::vector<PresentationReport>& reports,
                    const ScanSummary& summary);
// JSON lines: one object a presentation, then {"summary": {...}}.
void WriteScanJson(std::ostream& out, const std::vector<PresentationReport>& reports,
                   const ScanSummary& summary);
void WriteScanJsonLine(std::ostream& out, const PresentationReport& report);
void WriteScanJsonSummary(std::ostream& out, const ScanSummary& summary);

}  // namespace qlm
