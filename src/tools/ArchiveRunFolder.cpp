#include "tools/ArchiveRunFolder.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>

#include "graphics/Utf8.h"
#include "platform/AsciiText.h"
#include "platform/Sha256.h"
#include "platform/host/HostFiles.h"

namespace qlm {

namespace fs = std::filesystem;

namespace {

std::string ReadWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw ArchiveError("cannot read " + path.string());
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

nlohmann::json ParseJson(const std::string& text, const fs::path& path) {
  nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
  if (json.is_discarded() || !json.is_object())
    throw ArchiveError(path.string() + " is not a JSON object");
  return json;
}

}  // namespace

fs::path ArchiveRunFolder::ChunkFile(size_t chunk) const {
  return root_ / "chunks" / (std::to_string(chunk) + ".txt");
}

fs::path ArchiveRunFolder::ResultFile(size_t chunk) const {
  return root_ / "results" / (std::to_string(chunk) + ".jsonl");
}

std::string ArchiveRunFolder::PictureName(size_t chunk, const ManifestEntry& entry) const {
  char number[24];
  std::snprintf(number, sizeof number, "%08zu", entry.number);
  return "pictures/" + std::to_string(chunk) + "/" + number + "-" + entry.sha256 + ".png";
}

ArchivePlanInfo ArchiveRunFolder::ReadPlan() const {
  std::error_code error;
  if (!fs::is_regular_file(PlanFile(), error))
    throw ArchiveError(root_.string() + " holds no plan (make one with qmdtool archive plan)");
  const nlohmann::json json = ParseJson(ReadWholeFile(PlanFile()), PlanFile());
  ArchivePlanInfo plan;
  try {
    plan.entries = json.at("entries").get<size_t>();
    plan.chunkSize = json.at("chunkSize").get<size_t>();
    plan.chunks = json.at("chunks").get<size_t>();
  } catch (const nlohmann::json::exception&) {
    throw ArchiveError(PlanFile().string() + " lacks entries, chunkSize or chunks");
  }
  return plan;
}

std::vector<size_t> ArchiveRunFolder::ReadChunk(size_t chunk) const {
  std::ifstream in(ChunkFile(chunk));
  if (!in)
    throw ArchiveError("cannot read " + ChunkFile(chunk).string());
  std::vector<size_t> numbers;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line.find_first_not_of("0123456789") != std::string::npos)
      throw ArchiveError(ChunkFile(chunk).string() + ": not an entry number: " + line);
    numbers.push_back(std::stoull(line));
  }
  return numbers;
}

std::vector<ManifestEntry> ArchiveRunFolder::ReadEntries(const std::vector<size_t>& numbers) const {
  std::vector<size_t> wanted = numbers;
  std::sort(wanted.begin(), wanted.end());
  std::ifstream in(ManifestFile(), std::ios::binary);
  if (!in)
    throw ArchiveError("cannot read " + ManifestFile().string());
  std::vector<ManifestEntry> entries;
  size_t lineNumber = 0;
  auto next = wanted.begin();
  // Only the lines asked for are parsed: a chunk of a large manifest costs a read, not a parse.
  for (std::string line; std::getline(in, line); ++lineNumber) {
    if (!numbers.empty()) {
      if (next == wanted.end())
        break;
      if (*next != lineNumber)
        continue;
      ++next;
    }
    const nlohmann::json json = nlohmann::json::parse(line, nullptr, false);
    if (json.is_discarded())
      throw ArchiveError(ManifestFile().string() + ": line " + std::to_string(lineNumber + 1) +
                         " is not JSON");
    entries.push_back(EntryFromJson(json));
    if (entries.back().number != lineNumber)
      throw ArchiveError(ManifestFile().string() + ": line " + std::to_string(lineNumber + 1) +
                         " holds entry " + std::to_string(entries.back().number));
  }
  if (next != wanted.end())
    throw ArchiveError(ManifestFile().string() + " has no entry " + std::to_string(*next));
  return entries;
}

std::map<size_t, nlohmann::ordered_json> ArchiveRunFolder::ReadResults(size_t chunk) const {
  std::map<size_t, nlohmann::ordered_json> records;
  std::ifstream in(ResultFile(chunk), std::ios::binary);
  for (std::string line; std::getline(in, line);) {
    if (in.eof())
      break;
    nlohmann::ordered_json record = nlohmann::ordered_json::parse(line, nullptr, false);
    if (record.is_object() && record.contains("entry") && record["entry"].is_number_unsigned()) {
      const size_t entry = record["entry"].get<size_t>();
      records[entry] = std::move(record);
    }
  }
  return records;
}

std::string HexBytes(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (const char c : bytes) {
    const auto b = static_cast<uint8_t>(c);
    hex += kDigits[b >> 4];
    hex += kDigits[b & 15];
  }
  return hex;
}

std::optional<std::string> BytesFromHex(std::string_view hex) {
  if (hex.size() % 2 != 0)
    return std::nullopt;
  std::string bytes;
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int high = AsciiHexValue(hex[i]);
    const int low = AsciiHexValue(hex[i + 1]);
    if (high < 0 || low < 0)
      return std::nullopt;
    bytes += static_cast<char>(high * 16 + low);
  }
  return bytes;
}

std::string DisplayPath(std::string_view bytes) {
  std::string text;
  for (size_t i = 0; i < bytes.size();) {
    const size_t n = Utf8SequenceLength(bytes, i);
    if (n == 1 && static_cast<uint8_t>(bytes[i]) >= 0x80) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<uint8_t>(bytes[i]));
      text += escaped;
    } else {
      text.append(bytes.substr(i, n));
    }
    i += n;
  }
  return text;
}

nlohmann::ordered_json EntryToJson(const ManifestEntry& entry) {
  return {{"entry", entry.number},
          {"path", DisplayPath(entry.path)},
          {"pathHex", HexBytes(entry.path)},
          {"size", entry.size},
          {"mtime", entry.mtime},
          {"sha256", entry.sha256}};
}

ManifestEntry EntryFromJson(const nlohmann::json& json) {
  ManifestEntry entry;
  try {
    entry.number = json.at("entry").get<size_t>();
    const std::optional<std::string> path = BytesFromHex(json.at("pathHex").get<std::string>());
    if (!path || path->empty() || path->find('\0') != std::string::npos)
      throw ArchiveError("a manifest entry's pathHex is not a path");
    entry.path = *path;
    entry.size = json.at("size").get<uint64_t>();
    entry.mtime = json.at("mtime").get<int64_t>();
    entry.sha256 = json.at("sha256").get<std::string>();
  } catch (const nlohmann::json::exception& e) {
    throw ArchiveError(std::string("a manifest entry lacks a field: ") + e.what());
  }
  return entry;
}

std::optional<FileDigest> DigestFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return std::nullopt;
  Sha256 hash;
  FileDigest digest;
  std::vector<char> buffer(1 << 16);
  while (in) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    const auto n = static_cast<size_t>(in.gcount());
    hash.Add(std::string_view(buffer.data(), n));
    digest.size += n;
  }
  if (in.bad())
    return std::nullopt;
  digest.sha256 = hash.HexDigest();
  return digest;
}

void WriteRunFile(const fs::path& path, std::string_view text) {
  if (!WriteFileAtomically(path, text))
    throw ArchiveError("cannot write " + path.string());
}

std::string UtcTimestamp(std::chrono::system_clock::time_point time) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  std::tm parts{};
  gmtime_r(&seconds, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
  return text;
}

}  // namespace qlm
