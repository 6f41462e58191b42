#include "tools/ArchiveRun.h"

#include <chrono>
#include <map>
#include <mutex>

#include <unistd.h>

#include "platform/host/HostFiles.h"
#include "tools/ArchiveRunFolder.h"
#include "tools/ProgressBar.h"
#include "tools/WorkerPool.h"

#ifndef QLM_VERSION
#define QLM_VERSION "unknown"
#endif

namespace qlm {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

namespace {

// What stays the same for every record of one run.
struct Provenance {
  std::string tool = QLM_VERSION;
  std::string player;
  std::string host;
};

std::string HostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0)
    return "";
  return name;
}

void SetError(Json& record, const std::string& code, const std::string& message) {
  record["ok"] = false;
  record["error"] = {{"code", code}, {"message", message}};
}

// Scans one entry and takes its first frame; the record says what came of it.
Json RecordEntry(const ManifestEntry& entry, size_t chunk, const ArchiveRunFolder& folder,
                 const ArchiveRunSettings& settings, const Provenance& provenance) {
  const auto started = std::chrono::system_clock::now();
  const auto clock = std::chrono::steady_clock::now();
  Json record = EntryToJson(entry);
  record["chunk"] = chunk;
  record["ok"] = true;
  record["error"] = nullptr;
  const fs::path path(entry.path);
  const std::optional<FileDigest> digest = DigestFile(path);
  if (!digest) {
    SetError(record, "unreadable", "the file cannot be read");
  } else if (digest->sha256 != entry.sha256) {
    SetError(record, "changed", "the file changed since the plan (SHA-256 " + digest->sha256 + ")");
  } else {
    const PresentationReport report = ScanPresentation(path, settings.scan);
    Json scan = ReportToJson(report);
    for (const char* own : {"file", "ok", "error"})
      scan.erase(own);
    record.update(scan);
    if (!report.ok) {
      SetError(record, "damaged", report.error);
    } else {
      const std::string picture = folder.PictureName(chunk, entry);
      const FirstFrame frame = TakeFirstFrame(path, folder.Root() / picture, settings.frames);
      if (frame.written) {
        record["picture"] = picture;
        record["blank"] = frame.blank;
        record["timedOut"] = frame.timedOut;
      } else {
        SetError(record, frame.code, frame.message);
      }
    }
  }
  record["tool"] = provenance.tool;
  record["player"] = provenance.player;
  record["host"] = provenance.host;
  record["started"] = UtcTimestamp(started);
  record["durationMs"] = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - clock)
                             .count();
  return record;
}

void RunChunk(size_t chunk, const ArchiveRunFolder& folder, const ArchiveRunSettings& settings,
              const Provenance& provenance, ArchiveRunCounts& counts) {
  const std::vector<ManifestEntry> entries = folder.ReadEntries(folder.ReadChunk(chunk));
  counts.entries += entries.size();
  // Keep what is recorded for this very file; rewrite the results without the rest (and without
  // a line cut short), so every entry ends up with exactly one record.
  std::map<size_t, Json> records = folder.ReadResults(chunk);
  std::string kept;
  std::vector<const ManifestEntry*> todo;
  for (const ManifestEntry& entry : entries) {
    const auto found = records.find(entry.number);
    const bool keep = found != records.end() && found->second.value("sha256", "") == entry.sha256 &&
                      (!settings.redoFailed || found->second.value("ok", false));
    if (keep) {
      kept += found->second.dump() + "\n";
      ++counts.kept;
    } else {
      todo.push_back(&entry);
    }
  }
  std::error_code error;
  fs::create_directories(folder.ResultFile(chunk).parent_path(), error);
  WriteRunFile(folder.ResultFile(chunk), kept);
  if (todo.empty())
    return;

  ProgressBar progress("chunk " + std::to_string(chunk), todo.size(), settings.progressFd);
  std::mutex mutex;
  bool writeFailed = false;
  RunTasks(todo.size(), WorkerCount(todo.size(), settings.jobs), [&](size_t i) {
    const Json record = RecordEntry(*todo[i], chunk, folder, settings, provenance);
    const std::string line =
        record.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    progress.Advance();
    std::lock_guard lock(mutex);
    // One write of a whole line each, at once: an interrupted run loses only entries in progress.
    const bool written = AppendToFile(folder.ResultFile(chunk), line);
    writeFailed = writeFailed || !written;
    ++counts.done;
    counts.failed += record["ok"].get<bool>() ? 0 : 1;
  });
  if (writeFailed)
    throw ArchiveError("cannot write " + folder.ResultFile(chunk).string());
}

}  // namespace

ArchiveRunCounts RunArchive(const ArchiveRunSettings& settings) {
  const ArchiveRunFolder folder(settings.run);
  const ArchivePlanInfo plan = folder.ReadPlan();
  if (settings.chunk && *settings.chunk >= plan.chunks)
    throw ArchiveError(plan.chunks == 0
                           ? std::string("the plan has no chunks")
                           : "the plan has chunks 0 to " + std::to_string(plan.chunks - 1) +
                                 ", not " + std::to_string(*settings.chunk));
  std::error_code error;
  if (!fs::is_regular_file(settings.frames.player, error))
    throw ArchiveError("no player program at " + settings.frames.player.string() +
                       " (name one with --player)");
  Provenance provenance;
  provenance.player = PlayerVersion(settings.frames.player);
  provenance.host = HostName();
  // The players keep their settings in a folder of this process, away from the user's profile
  // and from other tasks sharing the run folder.
  ArchiveRunSettings own = settings;
  own.frames.profileDir = fs::temp_directory_path(error) /
                          ("qmdtool-archive-" + std::to_string(::getpid()) + "-profile");
  fs::create_directories(own.frames.profileDir, error);
  ArchiveRunCounts counts;
  try {
    for (size_t chunk = settings.chunk.value_or(0);
         chunk < (settings.chunk ? *settings.chunk + 1 : plan.chunks); ++chunk)
      RunChunk(chunk, folder, own, provenance, counts);
  } catch (...) {
    fs::remove_all(own.frames.profileDir, error);
    throw;
  }
  fs::remove_all(own.frames.profileDir, error);
  return counts;
}

}  // namespace qlm
