#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/DriveMount.h"
#include "platform/SystemFolders.h"
#include "platform/host/HostEnvironment.h"

namespace qlm {

class CodePage;

// A file a presentation refers to and whether the player would find it.
struct ReferencedFile {
  std::string reference;  // as stored (UTF-8), before the path macros
  std::string role;       // "media" or "plug-in"
  std::string where;      // the object or script it was found in
  bool present = false;
};

// A feature the presentation uses that this player does not fully support.
struct UnsupportedUse {
  std::string what;  // "command VideoPlay", "kind video"
  std::string reason;
};

// What `qmdtool scan` reports about one file.
struct PresentationReport {
  std::string file;  // the path as found
  bool ok = false;   // the document reads cleanly
  std::string error;
  std::vector<std::string> warnings;  // damage the reader worked around
  bool standalone = false;
  std::string identifier;  // the one-instance identifier of a stand-alone file, or empty
  int32_t version = 0;
  size_t pages = 0;
  std::map<std::string, int> kinds;     // object kind name to count
  std::map<std::string, int> commands;  // command name to uses
  std::vector<UnsupportedUse> unsupported;
  std::vector<ReferencedFile> files;

  size_t MissingFiles() const;
};

// Where the scanner looks for what a presentation refers to.
struct ScanSettings {
  HostEnvironment environment;      // places drive C: as the player does
  SystemFolders folders;            // what the path macros expand to
  std::vector<DriveMount> mounts;   // drive letters mapped as with the player's --mount
  std::filesystem::path playerDir;  // the player's own plug-in folder; may be empty
  std::string codePage = "WINDOWS-1252";
};

// Reads `path` with the player's reader and lists what it uses. Never throws: a file that does
// not read gives a report with ok false and the reader's message.
PresentationReport ScanPresentation(const std::filesystem::path& path,
                                    const ScanSettings& settings);

// True when the file ends in a stand-alone trailer, whole or damaged.
bool HasStandaloneTrailer(const std::filesystem::path& path);

// The report as one JSON object (the line `scan --json` prints).
nlohmann::ordered_json ReportToJson(const PresentationReport& report);

}  // namespace qlm
