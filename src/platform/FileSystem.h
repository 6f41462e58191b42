#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
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

// What a host path was resolved to, held by the implementation (the folder that holds it stays
// open), so that the operation acts on exactly what was judged.
class HostTarget {
 public:
  virtual ~HostTarget() = default;
  // The host path with every link on the way resolved. When the path leads nowhere (a loop, a
  // file used as a folder, a link where none may be) it is what the path would have named, and
  // there is nothing to act on.
  virtual const std::filesystem::path& Real() const = 0;
  // What is there now; nullopt when nothing is.
  virtual std::optional<FileInfo> Info() const = 0;
  // True when the folder that holds the target exists.
  virtual bool HasFolder() const = 0;
};

// The door between the core and the disk. Scripts see Windows paths ("C:\Show\pic.bmp",
// "<SrcDir>\x.txt" after macro expansion); every path crosses into the host here: backslashes
// become slashes, drive letters map to host folders, components match without regard to case,
// 8.3 short names are a fallback. An absolute host path ("/home/...") passes as it is.
//
// The operations take such paths; each resolves every path it touches once, through RouteOf():
// the host path is walked component by component, the policy judges what the walk found, and
// the host operation acts on that (the folder holding it is kept open), never on a path looked
// up again. No core code opens, lists or writes a file another way.
class FileSystem {
 public:
  static constexpr uint64_t kWholeFile = std::numeric_limits<uint64_t>::max();

  // A file opened for reading, or why not.
  struct Opened {
    std::unique_ptr<ReadableFile> file;  // null when it cannot be opened
    std::filesystem::path hostPath;      // where the path led (for messages); may be empty
    std::string error;                   // the system's reason when file is null
    // Where the path led, every link resolved, also when hostPath names the open file (its
    // extension and folder, for a library that guesses formats or finds names beside it).
    std::filesystem::path resolved;
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
  // The host path of the regular file `path`, every link resolved, for a library that opens the
  // file itself (media, fonts, plug-ins); nullopt when there is no such file. A library that
  // can take a descriptor, or any path, is better served by OpenForLibrary().
  std::optional<std::filesystem::path> HostFileToRead(const std::string& path) const;
  // Opens the regular file `path` for a library: `file->HostDescriptor()` is the open
  // descriptor and `hostPath` a name of exactly that open file ("/proc/self/fd/N"), valid while
  // `file` lives, so nothing swapped on the disk after the check can be read instead.
  Opened OpenForLibrary(const std::string& path) const;
  // Adds a line to the file trace (--trace-files), for a library that opened a file and
  // could not use it; nothing when no trace is kept.
  virtual void TraceNote(const std::string& /*line*/) const {}
  // Reports a file or address that a file opened for a library names and the library refused
  // to open, as a refused read is reported.
  void ReportRefusedRead(const std::string& name) const;

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

  // Receives a path the policy refused, as the caller wrote it; `what` is "read" or "write", or
  // "quota" (once) for the first write refused because the overlay is full.
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

  // How a resolution treats a symbolic link in the last place of a path.
  enum class LastLink {
    kFollow,  // to its target, as reading or writing a file does
    kKeep,    // the link is the target, as renaming or removing it
  };

  // Resolves the absolute host path `host`, every link followed by the resolution itself.
  virtual std::unique_ptr<HostTarget> ResolveHost(const std::filesystem::path& host,
                                                  LastLink last) const = 0;
  // `relative` below the folder `root` (which may be missing), where no link is followed and
  // ".." cannot leave it: the overlay.
  virtual std::unique_ptr<HostTarget> ResolveBelow(const std::filesystem::path& root,
                                                   const std::filesystem::path& relative) const = 0;
  // The operations above on resolved targets: what the implementation does with the disk.
  virtual std::unique_ptr<ReadableFile> OpenHostFile(const HostTarget& target,
                                                     std::string& error) const = 0;
  // Sorted by name.
  virtual std::optional<std::vector<HostEntry>> ListHostFolder(const HostTarget& folder) const = 0;
  virtual bool WriteHostFile(const HostTarget& target, std::string_view bytes,
                             bool append) const = 0;
  virtual bool CopyHostFile(const HostTarget& from, const HostTarget& to) const = 0;
  virtual bool RenameHost(const HostTarget& from, const HostTarget& to) const = 0;
  virtual bool RemoveHost(const HostTarget& target) const = 0;
  // Creates the folder and the missing folders above it; how many were made, nullopt when it
  // is no folder after.
  virtual std::optional<int> CreateHostFolder(const HostTarget& target) const = 0;
  // Creates the player's own folder `folder` (with those above it) when missing.
  virtual bool CreateOwnFolder(const std::filesystem::path& folder) const = 0;
  // The disk space the files and folders below `folder` take (see OverlayCharge()).
  virtual uint64_t HostUsage(const std::filesystem::path& folder) const = 0;

  // What a file of `size` bytes counts against the overlay's quota: whole blocks of 4 KiB, at
  // least one, as a folder counts one.
  static uint64_t OverlayCharge(uint64_t size) {
    constexpr uint64_t kBlock = 4096;
    return size == 0 ? kBlock : (size + kBlock - 1) / kBlock * kBlock;
  }

 private:
  // Where a path may go: the host target when the policy allows it as it is, and for paths in
  // the presentation's folder the overlay copy (which a read uses when it exists and a write
  // always uses). `named` is the host path as named, for the names of a listing.
  struct Route {
    std::filesystem::path named;
    std::unique_ptr<HostTarget> found;  // what the host path resolved to
    bool direct = false;                // the access may use `found`
    std::unique_ptr<HostTarget> overlay;
    std::filesystem::path overlayRelative;  // of `overlay`, below the overlay folder
    HostTarget* Host() const { return direct ? found.get() : nullptr; }
  };
  // The one place every operation passes with each path it touches: resolves `path` once and
  // asks the policy about what was found. A policy on what a presentation may reach (and where
  // its writes land) is asked here and nowhere else.
  Route RouteOf(FileAccess access, const std::string& path, LastLink last) const;
  // The target a read uses (the overlay copy when there is one); null for none.
  std::unique_ptr<HostTarget> ReadTarget(const std::string& path) const;
  // The target a write uses; null when refused. A write into the overlay needs its folder in
  // the overlay or on the disc (which the overlay then mirrors), as a write on the disc would;
  // `overlay` says whether it went there.
  std::unique_ptr<HostTarget> WriteTarget(const std::string& path, LastLink last,
                                          bool& overlay) const;
  // Accounts `growth` bytes to the overlay; false, with the refusal reported once, when the
  // quota would be passed. `shrink` is given back in the same step.
  // `force` accounts without refusing (folders already made, a failed write given back).
  bool ChargeOverlay(const std::string& path, uint64_t growth, uint64_t shrink,
                     bool force = false) const;
  // Makes `change` to the overlay (when `overlay`) if it grows by no more than the quota allows,
  // and gives the charge back when the change fails; other changes are made as they are.
  bool WithinQuota(const std::string& path, bool overlay, uint64_t growth, uint64_t shrink,
                   const std::function<bool()>& change) const;
  // What `target` counts against the quota now: nothing when it is missing.
  static uint64_t Charged(const HostTarget& target);

  const TrustPolicy* policy_ = nullptr;
  BlockedSink blocked_;
  // What the overlay holds, counted on its first write; and whether a full overlay was reported.
  mutable std::mutex overlayMutex_;
  mutable std::optional<uint64_t> overlayUsed_;
  mutable bool quotaReported_ = false;
};

}  // namespace qlm
