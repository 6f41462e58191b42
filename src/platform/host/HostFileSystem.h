#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include <sys/types.h>

#include "platform/CodePage.h"
#include "platform/DriveMount.h"
#include "platform/host/DiskFileSystem.h"
#include "platform/host/HostEnvironment.h"

namespace qlm {

// The real file system seen through a virtual Windows namespace.
//
// Drive letters map to host folders: Z: is "/" so every host path has a Windows form, C: is a
// folder the player owns ($XDG_DATA_HOME/qlmplayer/drive_c, holding Windows\System32\ and Temp\,
// created on first use), and further drives come from --mount. A path is resolved component by
// component: an exact name wins, then a name that differs only in case, then a DOS 8.3 short
// name derived from the long names of the folder. ".." never climbs above a drive root. Script
// paths are in the presentation's code page; host names are UTF-8. Folder listings used for
// case-insensitive and short-name lookups are cached until the folder changes.
class HostFileSystem : public DiskFileSystem {
 public:
  struct Mount {
    char letter = 0;  // 'A' to 'Z'
    std::filesystem::path root;
    bool cd = false;
  };

  // Receives one line per lookup when tracing is on (--trace-files).
  using TraceSink = std::function<void(const std::string& line)>;

  explicit HostFileSystem(const HostEnvironment& env, CodePage codePage = CodePage());

  // Maps a drive letter to a host folder, replacing an earlier mapping of the letter.
  void AddMount(char letter, const std::filesystem::path& hostRoot, bool cd = false);
  void RemoveMount(char letter);
  // Maps a drive of the command line; a folder on a CD file system counts as a CD drive too.
  void AddMount(const DriveMount& mount);
  std::optional<Mount> FindMount(char letter) const;
  // The first drive from C: to Z: marked as CD, as Windows looks for it.
  std::optional<Mount> FirstCdMount() const;

  // The folder relative paths start from: the presentation's folder (a host path).
  void SetCurrentFolder(const std::filesystem::path& hostFolder);
  const std::filesystem::path& CurrentFolder() const { return current_; }

  // Host folder of drive C:, with Windows\System32\ and Temp\ created when missing.
  std::filesystem::path DriveC() const;

  std::filesystem::path ToHost(const std::string& windowsPath) const override;
  std::string ToWindows(const std::filesystem::path& hostPath) const override;

  void SetTrace(TraceSink sink) { trace_ = std::move(sink); }
  void TraceNote(const std::string& line) const override { Trace(line); }
  const CodePage& Encoding() const { return codePage_; }

 private:
  struct Parsed {
    std::filesystem::path root;
    std::string rootName;            // "C:" or "/" for the trace
    std::vector<std::string> parts;  // UTF-8 components below root; ".." already applied
    std::string error;
  };

  Parsed Parse(const std::string& input) const;
  // The mount whose root holds the current folder most closely; null when none does.
  const Mount* MountOfCurrentFolder() const;
  std::filesystem::path Resolve(const Parsed& parsed, std::string& notes) const;
  // The names of one folder, kept while the folder's modification time stays the same.
  struct Listing {
    dev_t device = 0;
    ino_t inode = 0;
    long long modified = 0;
    std::unordered_map<std::string, std::string> byFoldedName;  // first in byte order wins
    std::vector<std::string> names;                             // byte order
    std::optional<std::unordered_map<std::string, std::string>> byShortName;  // on first use
  };
  static constexpr std::size_t kMaxListings = 64;

  // Null when the folder cannot be listed.
  Listing* CachedListing(const std::filesystem::path& folder) const;
  std::optional<std::string> MatchInFolder(const std::filesystem::path& folder,
                                           const std::string& part, std::string& how) const;
  void Trace(const std::string& line) const;

  mutable std::mutex listingsMutex_;
  mutable std::unordered_map<std::string, Listing> listings_;
  std::array<std::optional<Mount>, 26> mounts_;
  std::filesystem::path driveC_;
  mutable bool driveCReady_ = false;
  std::filesystem::path current_;
  CodePage codePage_;
  TraceSink trace_;
};

}  // namespace qlm
