#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace qlm {

// A fault in an archive run's folder or in what a command was asked to do with it; the command
// prints the message and fails.
class ArchiveError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One file of the collection, as the plan found it.
struct ManifestEntry {
  size_t number = 0;  // its line in the manifest, from 0
  std::string path;   // the path's bytes as the file system holds them (any bytes but NUL)
  uint64_t size = 0;
  int64_t mtime = 0;  // seconds since 1970
  std::string sha256;
};

// What `archive plan` decided: written last, so a folder without it holds no usable plan.
struct ArchivePlanInfo {
  size_t entries = 0;
  size_t chunkSize = 0;
  size_t chunks = 0;
};

// The folder of an archive run and the files in it:
//   plan.json, manifest.jsonl         what is to be done (one JSON line an entry)
//   chunks/K.txt                      the entry numbers of chunk K, one a line
//   results/K.jsonl                   one record a finished entry, appended as they finish
//   pictures/K/NNNNNNNN-SHA256.png    first frames
//   logs/                             the cluster's output files
//   inventory.jsonl, inventory.csv, summary.json   what merge makes of it all
class ArchiveRunFolder {
 public:
  explicit ArchiveRunFolder(std::filesystem::path root) : root_(std::move(root)) {}

  const std::filesystem::path& Root() const { return root_; }
  std::filesystem::path PlanFile() const { return root_ / "plan.json"; }
  std::filesystem::path ManifestFile() const { return root_ / "manifest.jsonl"; }
  std::filesystem::path ChunkFile(size_t chunk) const;
  std::filesystem::path ResultFile(size_t chunk) const;
  std::filesystem::path LogDir() const { return root_ / "logs"; }
  // Relative to the run folder, as records name it.
  std::string PictureName(size_t chunk, const ManifestEntry& entry) const;

  ArchivePlanInfo ReadPlan() const;
  std::vector<size_t> ReadChunk(size_t chunk) const;
  // The entries with these numbers (every entry when `numbers` is empty), in manifest order.
  std::vector<ManifestEntry> ReadEntries(const std::vector<size_t>& numbers) const;
  // The records of a chunk's results by entry number (the last one of an entry wins); a line an
  // interrupted run left without its newline is not a record.
  std::map<size_t, nlohmann::ordered_json> ReadResults(size_t chunk) const;

 private:
  std::filesystem::path root_;
};

// Bytes as lower-case hex and back (nullopt for anything but pairs of hex digits).
std::string HexBytes(std::string_view bytes);
std::optional<std::string> BytesFromHex(std::string_view hex);
// A path's bytes for people: UTF-8 as it is, every byte that is not part of UTF-8 as \xNN.
std::string DisplayPath(std::string_view bytes);

nlohmann::ordered_json EntryToJson(const ManifestEntry& entry);
// Throws ArchiveError when a field is missing or malformed.
ManifestEntry EntryFromJson(const nlohmann::json& json);

// The SHA-256 of a file's bytes and how many there were; nullopt when it cannot be read.
struct FileDigest {
  std::string sha256;
  uint64_t size = 0;
};
std::optional<FileDigest> DigestFile(const std::filesystem::path& path);

// Writes `text` to `path` through a temporary file and a rename, so a reader never sees half of
// it. Throws ArchiveError.
void WriteRunFile(const std::filesystem::path& path, std::string_view text);

// The time as "YYYY-MM-DDTHH:MM:SSZ".
std::string UtcTimestamp(std::chrono::system_clock::time_point time);

}  // namespace qlm
