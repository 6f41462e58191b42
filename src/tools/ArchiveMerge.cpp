#include "tools/ArchiveMerge.h"

#include <fstream>
#include <set>

#include "tools/ArchiveRunFolder.h"

namespace qlm {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

namespace {

// A field for a CSV row: quoted when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos)
    return text;
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"')
      quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string CsvValue(const Json& record, const char* key) {
  const auto found = record.find(key);
  if (found == record.end() || found->is_null())
    return "";
  if (found->is_string())
    return CsvField(found->get<std::string>());
  return CsvField(found->dump());
}

constexpr const char* kCsvColumns[] = {"entry",  "path",       "pathHex", "size",    "mtime",
                                       "sha256", "ok",         "error",   "message", "version",
                                       "pages",  "standalone", "picture", "blank",   "timedOut",
                                       "host",   "durationMs", "started"};

std::string CsvRow(const Json& record) {
  std::string row;
  for (const char* column : kCsvColumns) {
    if (!row.empty())
      row += ',';
    const std::string name = column;
    if (name == "error" || name == "message") {
      const Json& error = record["error"];
      if (error.is_object())
        row += CsvField(error.value(name == "error" ? "code" : "message", ""));
    } else {
      row += CsvValue(record, column);
    }
  }
  return row + "\n";
}

// Failures of the run rather than of the file (a player that did not start, a busy machine's
// time limit): running the entry again may give a picture. A damaged file, one that gives no
// picture or one that changed since the plan gives the same record every time.
bool MayPassAnotherTime(const std::string& code) {
  return code != "not-run" && code != "damaged" && code != "no-picture" && code != "changed";
}

}  // namespace

std::string ChunkRanges(const std::vector<size_t>& chunks) {
  std::string text;
  for (size_t i = 0; i < chunks.size();) {
    size_t j = i;
    while (j + 1 < chunks.size() && chunks[j + 1] == chunks[j] + 1)
      ++j;
    if (!text.empty())
      text += ',';
    text += std::to_string(chunks[i]);
    if (j > i)
      text += "-" + std::to_string(chunks[j]);
    i = j + 1;
  }
  return text;
}

ArchiveMergeSummary MergeArchive(const fs::path& run) {
  const ArchiveRunFolder folder(run);
  const ArchivePlanInfo plan = folder.ReadPlan();
  ArchiveMergeSummary summary;
  std::string inventory;
  std::string csv;
  for (const char* column : kCsvColumns)
    csv += std::string(csv.empty() ? "" : ",") + column;
  csv += "\n";
  std::set<size_t> missing;
  std::set<size_t> failed;
  for (size_t chunk = 0; chunk < plan.chunks; ++chunk) {
    const std::vector<ManifestEntry> entries = folder.ReadEntries(folder.ReadChunk(chunk));
    std::map<size_t, Json> records = folder.ReadResults(chunk);
    for (const ManifestEntry& entry : entries) {
      ++summary.entries;
      auto found = records.find(entry.number);
      Json record;
      if (found != records.end() && found->second.value("sha256", "") == entry.sha256) {
        record = std::move(found->second);
        ++summary.recorded;
      } else {
        record = EntryToJson(entry);
        record["chunk"] = chunk;
        record["ok"] = false;
        record["error"] = {{"code", "not-run"}, {"message", "no record in the results"}};
        missing.insert(chunk);
      }
      if (record.value("ok", false)) {
        ++summary.ok;
        summary.blank += record.value("blank", false) ? 1 : 0;
        summary.timedOut += record.value("timedOut", false) ? 1 : 0;
      } else {
        ++summary.failed;
        const std::string code = record["error"].value("code", "");
        ++summary.errors[code];
        if (MayPassAnotherTime(code))
          failed.insert(chunk);
      }
      inventory += record.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
      csv += CsvRow(record);
    }
  }
  if (summary.entries != plan.entries)
    throw ArchiveError("the chunks list " + std::to_string(summary.entries) +
                       " entries, the plan " + std::to_string(plan.entries));
  summary.missingChunks.assign(missing.begin(), missing.end());
  summary.failedChunks.assign(failed.begin(), failed.end());
  WriteRunFile(run / "inventory.jsonl", inventory);
  WriteRunFile(run / "inventory.csv", csv);
  const Json totals = {{"entries", summary.entries},
                       {"recorded", summary.recorded},
                       {"ok", summary.ok},
                       {"failed", summary.failed},
                       {"blank", summary.blank},
                       {"timedOut", summary.timedOut},
                       {"errors", summary.errors},
                       {"missingChunks", summary.missingChunks},
                       {"failedChunks", summary.failedChunks},
                       {"complete", summary.Complete()}};
  WriteRunFile(run / "summary.json", totals.dump(2) + "\n");
  return summary;
}

}  // namespace qlm
