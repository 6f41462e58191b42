#include "tools/CorpusScan.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <mutex>
#include <optional>
#include <string_view>

#include "platform/AsciiText.h"
#include "tools/WorkerPool.h"

namespace qlm {

namespace fs = std::filesystem;

std::vector<ScanCandidate> ListScanCandidates(const std::vector<std::string>& roots,
                                              std::vector<std::string>& problems) {
  std::vector<ScanCandidate> candidates;
  for (const std::string& root : roots) {
    std::error_code error;
    const fs::file_status status = fs::status(root, error);
    if (fs::is_regular_file(status)) {
      candidates.push_back({root, true});
      continue;
    }
    if (!fs::is_directory(status)) {
      problems.push_back(root + ": no such file or folder");
      continue;
    }
    std::vector<fs::path> found;
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
      std::error_code kindError;
      if (it->is_regular_file(kindError))
        found.push_back(it->path());
    }
    if (error)
      problems.push_back(root + ": " + error.message());
    std::sort(found.begin(), found.end());
    for (fs::path& path : found)
      candidates.push_back({std::move(path), false});
  }
  return candidates;
}

bool LooksLikePresentation(const fs::path& path) {
  constexpr std::string_view kMagic = "Quillmark";
  std::array<char, 1 + kMagic.size()> head{};
  {
    std::ifstream in(path, std::ios::binary);
    if (!in)
      return false;
    in.read(head.data(), head.size());
    if (in.gcount() == static_cast<std::streamsize>(head.size()) &&
        std::string_view(head.data() + 1, kMagic.size()) == kMagic) {
      return true;
    }
  }
  if (AsciiLower(path.extension().string()) == ".qmd")
    return true;
  return HasStandaloneTrailer(path);
}

std::vector<PresentationReport> ScanCandidates(const std::vector<ScanCandidate>& candidates,
                                               const ScanSettings& settings, size_t workers) {
  std::vector<PresentationReport> reports;
  ScanCandidatesInOrder(candidates, settings, workers,
                        [&](PresentationReport& r) { reports.push_back(std::move(r)); });
  return reports;
}

void ScanCandidatesInOrder(const std::vector<ScanCandidate>& candidates,
                           const ScanSettings& settings, size_t workers,
                           const std::function<void(PresentationReport&)>& take,
                           const std::function<void()>& scanned) {
  // Finished reports wait in their slot until every one before them has been handed on.
  std::vector<std::optional<PresentationReport>> slots(candidates.size());
  std::vector<bool> done(candidates.size(), false);
  size_t next = 0;
  std::mutex mutex;
  RunTasks(candidates.size(), workers, [&](size_t i) {
    const ScanCandidate& c = candidates[i];
    std::optional<PresentationReport> report;
    if (c.named || LooksLikePresentation(c.path))
      report = ScanPresentation(c.path, settings);
    if (scanned)
      scanned();
    std::lock_guard lock(mutex);
    slots[i] = std::move(report);
    done[i] = true;
    for (; next < candidates.size() && done[next]; ++next) {
      if (slots[next])
        take(*slots[next]);
      slots[next].reset();
    }
  });
}

void AddToSummary(ScanSummary& summary, const PresentationReport& r) {
  ++summary.presentations;
  ++(r.ok ? summary.ok : summary.damaged);
  summary.standalone += r.standalone ? 1 : 0;
  summary.withMissingFiles += r.MissingFiles() > 0 ? 1 : 0;
  summary.withUnsupported += r.unsupported.empty() ? 0 : 1;
  for (const UnsupportedUse& u : r.unsupported)
    ++summary.unsupported[u.what];
}

ScanSummary Summarize(const std::vector<PresentationReport>& reports) {
  ScanSummary summary;
  for (const PresentationReport& r : reports)
    AddToSummary(summary, r);
  return summary;
}

namespace {

std::string Padded(std::string text, size_t width) {
  if (text.size() < width)
    text.append(width - text.size(), ' ');
  return text;
}

}  // namespace

void WriteScanTable(std::ostream& out, const std::vector<PresentationReport>& reports,
                    const ScanSummary& summary) {
  size_t width = 4;
  for (const PresentationReport& r : reports)
    width = std::max(width, r.file.size());
  width = std::min<size_t>(width, 60);
  out << Padded("FILE", width) << "  VER  PAGES  STAND-ALONE  STATUS\n";
  for (const PresentationReport& r : reports) {
    out << Padded(r.file, width) << "  ";
    const std::string container = r.standalone ? "yes" : "no";
    if (!r.ok) {
      out << Padded("-", 3) << "  " << Padded("-", 5) << "  " << Padded(container, 11)
          << "  damaged: " << r.error << "\n";
      continue;
    }
    std::string status = "ok";
    if (const size_t missing = r.MissingFiles())
      status += ", " + std::to_string(missing) + " missing";
    if (!r.unsupported.empty())
      status += ", " + std::to_string(r.unsupported.size()) + " unsupported";
    out << Padded(std::to_string(r.version), 3) << "  " << Padded(std::to_string(r.pages), 5)
        << "  " << Padded(container, 11) << "  " << status << "\n";
    if (!r.identifier.empty())
      out << "    one instance " << r.identifier << "\n";
    for (const UnsupportedUse& u : r.unsupported)
      out << "    unsupported " << u.what << ": " << u.reason << "\n";
    for (const ReferencedFile& f : r.files) {
      if (!f.present)
        out << "    missing " << f.role << " " << f.reference << " (" << f.where << ")\n";
    }
  }
  out << "\n"
      << summary.presentations << " presentations: " << summary.ok << " read cleanly, "
      << summary.damaged << " damaged, " << summary.standalone << " stand-alone, "
      << summary.withMissingFiles << " with missing files, " << summary.withUnsupported
      << " using what this player does not fully support\n";
  for (const auto& [what, count] : summary.unsupported)
    out << "  " << what << ": " << count << "\n";
}

void WriteScanJsonLine(std::ostream& out, const PresentationReport& report) {
  out << ReportToJson(report).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)
      << "\n";
}

void WriteScanJsonSummary(std::ostream& out, const ScanSummary& summary) {
  nlohmann::ordered_json totals = {{"presentations", summary.presentations},
                                   {"ok", summary.ok},
                                   {"damaged", summary.damaged},
                                   {"standalone", summary.standalone},
                                   {"withMissingFiles", summary.withMissingFiles},
                                   {"withUnsupported", summary.withUnsupported},
                                   {"unsupported", summary.unsupported}};
  out << nlohmann::ordered_json{{"summary", std::move(totals)}}.dump() << "\n";
}

void WriteScanJson(std::ostream& out, const std::vector<PresentationReport>& reports,
                   const ScanSummary& summary) {
  for (const PresentationReport& r : reports)
    WriteScanJsonLine(out, r);
  WriteScanJsonSummary(out, summary);
}

}  // namespace qlm
