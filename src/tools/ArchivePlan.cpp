#include "tools/ArchivePlan.h"

#include <chrono>
#include <optional>
#include <sstream>

#include <sys/stat.h>

#include "tools/CorpusScan.h"
#include "tools/ProgressBar.h"
#include "tools/WorkerPool.h"

namespace qlm {

namespace fs = std::filesystem;

namespace {

std::optional<ManifestEntry> Examine(const ScanCandidate& candidate, std::string& problem) {
  if (!candidate.named && !LooksLikePresentation(candidate.path))
    return std::nullopt;
  struct stat status {};
  const std::optional<FileDigest> digest = DigestFile(candidate.path);
  if (!digest || ::stat(candidate.path.c_str(), &status) != 0) {
    problem = DisplayPath(candidate.path.native()) + ": cannot be read";
    return std::nullopt;
  }
  ManifestEntry entry;
  entry.path = candidate.path.native();
  entry.size = digest->size;
  entry.mtime = status.st_mtim.tv_sec;
  entry.sha256 = digest->sha256;
  return entry;
}

}  // namespace

ArchivePlanInfo PlanArchive(const ArchivePlanSettings& settings,
                            std::vector<std::string>& problems) {
  if (settings.chunkSize == 0)
    throw ArchiveError("a chunk holds at least one entry");
  const ArchiveRunFolder folder(settings.run);
  std::error_code error;
  if (fs::exists(folder.PlanFile(), error) || fs::exists(folder.ManifestFile(), error))
    throw ArchiveError(settings.run.string() +
                       " already holds a plan; choose a new folder for a new plan");
  // Absolute paths, so that the run works from any folder a cluster starts its tasks in.
  std::vector<std::string> roots;
  for (const std::string& root : settings.roots)
    roots.push_back(fs::absolute(root, error).lexically_normal().string());
  const std::vector<ScanCandidate> candidates = ListScanCandidates(roots, problems);

  std::vector<std::optional<ManifestEntry>> found(candidates.size());
  std::vector<std::string> unreadable(candidates.size());
  {
    ProgressBar progress("plan", candidates.size(), settings.progressFd);
    RunTasks(candidates.size(), WorkerCount(candidates.size(), settings.jobs), [&](size_t i) {
      found[i] = Examine(candidates[i], unreadable[i]);
      progress.Advance();
    });
  }
  for (std::string& problem : unreadable) {
    if (!problem.empty())
      problems.push_back(std::move(problem));
  }

  fs::create_directories(settings.run / "chunks", error);
  fs::create_directories(settings.run / "results", error);
  fs::create_directories(folder.LogDir(), error);
  if (error)
    throw ArchiveError("cannot make " + settings.run.string() + ": " + error.message());
  std::string manifest;
  std::string chunk;
  ArchivePlanInfo plan;
  plan.chunkSize = settings.chunkSize;
  for (std::optional<ManifestEntry>& entry : found) {
    if (!entry)
      continue;
    entry->number = plan.entries++;
    manifest += EntryToJson(*entry).dump() + "\n";
    chunk += std::to_string(entry->number) + "\n";
    if (plan.entries % plan.chunkSize == 0) {
      WriteRunFile(folder.ChunkFile(plan.chunks++), chunk);
      chunk.clear();
    }
  }
  if (!chunk.empty())
    WriteRunFile(folder.ChunkFile(plan.chunks++), chunk);
  WriteRunFile(folder.ManifestFile(), manifest);
  nlohmann::ordered_json rootsJson = nlohmann::ordered_json::array();
  for (const std::string& root : roots)
    rootsJson.push_back(DisplayPath(root));
  const nlohmann::ordered_json info = {{"entries", plan.entries},
                                       {"chunkSize", plan.chunkSize},
                                       {"chunks", plan.chunks},
                                       {"roots", rootsJson},
                                       {"created", UtcTimestamp(std::chrono::system_clock::now())}};
  WriteRunFile(folder.PlanFile(), info.dump(2) + "\n");
  return plan;
}

}  // namespace qlm
