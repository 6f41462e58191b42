#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ReadableFile.h"

namespace qlm {

// A file descriptor closed at the end of its scope.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor();
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  Descriptor(Descriptor&& other) noexcept : fd_(other.Release()) {}
  Descriptor& operator=(Descriptor&& other) noexcept;
  int Get() const { return fd_; }
  // Hands the descriptor over; this one then closes nothing.
  int Release();
  // Closes now; false when closing reports an error (a write that failed late).
  bool Close();

 private:
  int fd_;
};

// Writes all of `bytes` to a descriptor, going on after interruptions; false on an error.
bool WriteAllBytes(int fd, std::string_view bytes);

// A second descriptor of the open folder `folder` (-1 when none can be had). The folder is
// opened again through itself rather than duplicated: the same folder whatever was renamed since,
// and it works wherever openat does (the WebAssembly runtime's fcntl(F_DUPFD) puts the copy on
// descriptor 0, over standard input).
int ReopenFolder(int folder);

// Opens the regular file at a host path for positioned reads (symbolic links followed); null,
// with the system's reason in `error`, when it cannot be opened or is no regular file.
std::unique_ptr<ReadableFile> OpenReadableFile(const std::filesystem::path& path,
                                               std::string& error);

// The same for the file `name` in the open folder `folder`, a link in its place not followed.
std::unique_ptr<ReadableFile> OpenReadableFileAt(int folder, const std::string& name,
                                                 std::string& error);

// Replaces `target` with what `fill` writes into a descriptor. The bytes go to a new temporary
// file beside it, flushed to the disk, that takes its name only when complete, so a failure
// leaves `target` as it was and no temporary file behind. When `target` is a symbolic link its
// target is replaced. The new file gets `mode` exactly, or without one the mode of the file it
// replaces (0666 less the umask for a new file). False, with a reason naming the file in
// `error`, when a folder is in the way or anything fails.
bool ReplaceFile(const std::filesystem::path& target, std::optional<mode_t> mode,
                 const std::function<bool(int fd)>& fill, std::string& error);

// ReplaceFile for the file `name` in the open folder `folder`; a link in its place is replaced,
// not followed.
bool ReplaceFileAt(int folder, const std::string& name, std::optional<mode_t> mode,
                   const std::function<bool(int fd)>& fill, std::string& error);

// ReplaceFile with `bytes`.
bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// Adds `bytes` at the end of `target`, creating it when missing; false when it is a folder or
// the write fails.
bool AppendToFile(const std::filesystem::path& target, std::string_view bytes);

// AppendToFile for the file `name` in the open folder `folder`; a link in its place fails.
bool AppendToFileAt(int folder, const std::string& name, std::string_view bytes);

// Copies a regular file over `to` through ReplaceFile, with the source's mode. False when
// `from` is not a regular file, `to` names a folder or the copy fails.
bool CopyRegularFile(const std::filesystem::path& from, const std::filesystem::path& to);
// The same between names in open folders, links in their places not followed.
bool CopyRegularFileAt(int fromFolder, const std::string& fromName, int toFolder,
                       const std::string& toName);

// `path` made absolute with every symbolic link followed as far as it exists; the lexically
// normal absolute path when that fails.
std::filesystem::path RealPath(const std::filesystem::path& path);

}  // namespace qlm
