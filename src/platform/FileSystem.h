#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ReadableFile.h"

namespace qlm {

class TrustPolicy;

// True when `name` can only be a file name inside a folder: not empty, not "." or "..", no
// separator of either system, no drive colon and no NUL (which would cut a host name short).
bool IsPlainFileName(std::string_view name);

// `name` inside the Windows-style folder `folder`: one backslash between them.
std::string InFolder(std::string_view folder, std::string_view name);

enum class FileKind { kFile, kFolder, kOther };

// What a path names, symbolic links followed.
struct FileInfo {
  FileKind kind = FileKind::kFile;
  uint64_t size = 0;  // of a file
};

// One entry of a folder listing.
struct FolderEntry {
  std::string name;  // in the presentation's code page
  std::string path;  // the Windows-style path of the entry
  FileKind kind = FileKind::kFile;
};

// What an operation does with a path it resolves.
enum class FileAccess { kRead, kList, kWrite };

// The door between the core and the disk. Scripts see Windows paths ("C:\Show\pic.bmp",
// "<SrcDir>\x.txt" after macro expansion); every path crosses into the host here: backslashes
// become slashes, drive letters map to host folders, components match without regard to case,
// 8.3 short names are a fallback. An absolute host path ("/home/...") passes as it is.
//
// The operations take such paths; each resolves every path it touches once, through Pass(), and
// only then does the host operation. No core code opens, lists or writes a file another way.
class FileSystem {
 public:
  static constexpr uint64_t kWholeFile = std::numeric_limits<uint64_t>::max();

  // A file opened for reading, or why not.
  struct Opened {
    std::unique_ptr<ReadableFile> file;  // null when it cannot be opened
    std::filesystem::path hostPath;      // where the path led (for messages); may be empty
    std::string error;                   // the system's reason when file is null
  };

  virtual ~FileSystem() = default;

  // The host path for a Windows-style (or already host-style) path; empty when it has none (an
  // unmapped drive, a network path). Existing components are matched case-insensitively;
  // components that do not exist are kept as written, so a file about to be created resolves
  // into the right folder. Opens nothing: for messages and for handing a program to Processes.
  virtual std::filesystem::path ToHost(const std::string& windowsPath) const = 0;
  // The Windows-style path scripts see for a host path (for example the presentation folder).
  virtual std::string ToWindows(const std::filesystem::path& hostPath) const = 0;

  // Opens the regular file `path` names for reading (a folder or a device is not one).
  Opened OpenRead(const std::string& path) const;
  // The bytes of the regular file `path`, at most its first `maxBytes`; nullopt when it cannot
  // be read.
  std::optional<std::string> ReadFile(const std::string& path,
                                      uint64_t maxBytes = kWholeFile) const;
  // What `path` names; nullopt when nothing is there.
  std::optional<FileInfo> Stat(const std::string& path) const;
  bool Exists(const std::string& path) const { return Stat(path).has_value(); }
  // True when `path` names a regular file.
  bool IsFile(const std::string& path) const;
  // The entries of the folder `path` without "." and "..", in byte order of their host names;
  // nullopt when it cannot be listed.
  std::optional<std::vector<FolderEntry>> ListFolder(const std::string& path) const;
  // The host path of the regular file `path`, for a library that opens the file itself (media,
  // fonts, plug-ins); nullopt when there is no such file.
  std::optional<std::filesystem::path> HostFileToRead(const std::string& path) const;
  // Adds a line to the file trace (--trace-files), for a library that opened a file and
  // could not use it; nothing when no trace is kept.
  virtual void TraceNote(const std::string& /*line*/) const {}

  // Replaces the file `path` with `bytes`, creating it when missing. The bytes go to a
  // temporary file beside it that takes its name only when complete, so a failure leaves the
  // old file as it was; a symbolic link is written through to its target.
  bool WriteFile(const std::string& path, std::string_view bytes) const;
  // Adds `bytes` at the end of the file `path`, creating it when missing.
  bool AppendFile(const std::string& path, std::string_view bytes) const;
  // Copies the regular file `from` over `to` the way WriteFile writes; false when `from` is no
  // regular file or `to` a folder.
  bool Copy(const std::string& from, const std::string& to) const;
  // Moves the file or folder `from` to `to`, replacing a file there.
  bool Rename(const std::string& from, const std::string& to) const;
  // Deletes the file (or empty folder) `path`; false when nothing was deleted.
  bool Remove(const std::string& path) const;
  // Creates the folder `path` and the missing folders above it; true when it exists after.
  bool CreateFolder(const std::string& path) const;

  // Receives a path the policy refused, as the caller wrote it; `what` is "read" or "write".
  using BlockedSink = std::function<void(std::string_view what, const std::string& path)>;
  // Every path passes `policy` from now on (null: every path goes through as resolved). The
  // policy must outlive this object.
  void SetTrustPolicy(const TrustPolicy* policy, BlockedSink blocked);

 protected:
  // A name in a host folder.
  struct HostEntry {
    std::string name;  // UTF-8
    FileKind kind = FileKind::kFile;
  };

  // The operations above on resolved host paths: what the implementation does with the disk.
  virtual std::unique_ptr<ReadableFile> OpenHostFile(const std::filesystem::path& host,
                                                     std::string& error) const = 0;
  virtual std::optional<FileInfo> StatHost(const std::filesystem::path& host) const = 0;
  // Sorted by name.
  virtual std::optional<std::vector<HostEntry>> ListHostFolder(
      const std::filesystem::path& host) const = 0;
  virtual bool WriteHostFile(const std::filesystem::path& host, std::string_view bytes,
                             bool append) const = 0;
  virtual bool CopyHostFile(const std::filesystem::path& from,
                            const std::filesystem::path& to) const = 0;
  virtual bool RenameHost(const std::filesystem::path& from,
                          const std::filesystem::path& to) const = 0;
  virtual bool RemoveHost(const std::filesystem::path& host) const = 0;
  virtual bool CreateHostFolder(const std::filesystem::path& host) const = 0;
  // `host` with every symbolic link followed, as far as the path exists.
  virtual std::filesystem::path RealHost(const std::filesystem::path& host) const { return host; }

 private:
  // Where a path may go: `host` as it is, and for paths in the presentation's folder the overlay
  // copy (which a read uses when it exists and a write always uses).
  struct Route {
    std::optional<std::filesystem::path> host;
    std::optional<std::filesystem::path> overlay;
  };
  Route RouteOf(FileAccess access, const std::string& path) const;

  // The one place every operation passes with each path it touches: resolves `path` and says
  // which host path `access` may use, nullopt for none. A policy on what a presentation may
  // reach (and where its writes land) is asked here and nowhere else.
  std::optional<std::filesystem::path> Pass(FileAccess access, const std::string& path) const;

  const TrustPolicy* policy_ = nullptr;
  BlockedSink blocked_;
};

}  // namespace qlm
