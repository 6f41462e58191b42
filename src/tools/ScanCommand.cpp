#include "tools/ScanCommand.h"

#include <unistd.h>

#include "platform/CodePage.h"
#include "platform/host/HostFileSystem.h"
#include "platform/host/HostSystemFolders.h"
#include "tools/CorpusScan.h"
#include "tools/ProgressBar.h"
#include "tools/WorkerPool.h"

namespace qlm {

bool ParseJobCount(const std::string& text, size_t& jobs) {
  if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos)
    return false;
  const int value = std::stoi(text);
  if (value < 1 || value > 256)
    return false;
  jobs = static_cast<size_t>(value);
  return true;
}

ScanSettings HostScanSettings(const std::vector<DriveMount>& mounts, const std::string& codePage,
                              const ToolEnvironment& env) {
  ScanSettings settings;
  settings.codePage = codePage;
  settings.mounts = mounts;
  settings.environment = HostEnvironment::FromProcess();
  HostFileSystem files(settings.environment);
  for (const DriveMount& mount : settings.mounts)
    files.AddMount(mount);
  settings.folders = MakeSystemFolders(files, settings.environment);
  settings.playerDir = env.executableDir;
  return settings;
}

int RunScanCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const ToolEnvironment& env) {
  std::vector<std::string> roots;
  bool json = false;
  size_t jobs = 0;
  ScanSettings settings;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--json") {
      json = true;
    } else if (arg == "--jobs" && hasValue) {
      if (!ParseJobCount(args[++i], jobs)) {
        err << "qmdtool: --jobs takes a number from 1 to 256\n";
        return kToolUsage;
      }
    } else if (arg == "--codepage" && hasValue) {
      settings.codePage = args[++i];
      if (CodePage(settings.codePage).Name() != settings.codePage) {
        err << "qmdtool: unknown code page " << settings.codePage << "\n";
        return kToolUsage;
      }
    } else if (arg == "--mount" && hasValue) {
      const std::optional<DriveMount> mount = ParseDriveMount(args[++i]);
      if (!mount) {
        err << "qmdtool: --mount takes D=PATH or D=PATH:cdrom\n";
        return kToolUsage;
      }
      settings.mounts.push_back(*mount);
    } else if (arg.size() > 1 && arg[0] == '-') {
      err << "qmdtool: unknown option or missing value: " << arg << " for scan\n";
      return kToolUsage;
    } else {
      roots.push_back(arg);
    }
  }
  if (roots.empty()) {
    err << "qmdtool: scan takes one or more folders or files\n";
    return kToolUsage;
  }
  settings = HostScanSettings(settings.mounts, settings.codePage, env);

  std::vector<std::string> problems;
  const std::vector<ScanCandidate> candidates = ListScanCandidates(roots, problems);
  for (const std::string& problem : problems)
    err << "qmdtool: " << problem << "\n";
  // JSON lines go out as they come, each flushed, so a long scan shows its progress in the file
  // and an interrupted one keeps what it found; the table needs every report for its widths.
  ScanSummary summary;
  std::vector<PresentationReport> reports;
  {
    ProgressBar progress("scan", candidates.size(), STDERR_FILENO);
    ScanCandidatesInOrder(
        candidates, settings, WorkerCount(candidates.size(), jobs),
        [&](PresentationReport& report) {
          AddToSummary(summary, report);
          if (json) {
            WriteScanJsonLine(out, report);
            out.flush();
          } else {
            reports.push_back(std::move(report));
          }
        },
        [&progress] { progress.Advance(); });
  }
  if (json)
    WriteScanJsonSummary(out, summary);
  else
    WriteScanTable(out, reports, summary);
  return summary.damaged == 0 && problems.empty() ? kToolOk : kToolFailed;
}

}  // namespace qlm
