#include "platform/host/DiskFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "platform/host/HostFiles.h"
#include "platform/host/ResolvedPath.h"

namespace qlm {

namespace fs = std::filesystem;

namespace {

// Every target here was made by ResolveHost or ResolveBelow.
const ResolvedPath& Resolved(const HostTarget& target) {
  return static_cast<const ResolvedPath&>(target);
}

FileKind KindOf(mode_t mode) {
  return S_ISREG(mode) ? FileKind::kFile : S_ISDIR(mode) ? FileKind::kFolder : FileKind::kOther;
}

}  // namespace

std::unique_ptr<HostTarget> DiskFileSystem::ResolveHost(const fs::path& host, LastLink last) const {
  return std::make_unique<ResolvedPath>(
      ResolvedPath::Walk(host, last == LastLink::kFollow ? ResolvedPath::Links::kFollow
                                                         : ResolvedPath::Links::kKeepLast));
}

std::unique_ptr<HostTarget> DiskFileSystem::ResolveBelow(const fs::path& root,
                                                         const fs::path& relative) const {
  return std::make_unique<ResolvedPath>(ResolvedPath::Below(root, relative));
}

std::unique_ptr<ReadableFile> DiskFileSystem::OpenHostFile(const HostTarget& target,
                                                           std::string& error) const {
  const ResolvedPath& at = Resolved(target);
  if (!at.HasFolder()) {
    error = std::strerror(ENOENT);
    return nullptr;
  }
  return OpenReadableFileAt(at.Folder(), at.Name(), error);
}

std::optional<std::vector<FileSystem::HostEntry>> DiskFileSystem::ListHostFolder(
    const HostTarget& folder) const {
  const ResolvedPath& at = Resolved(folder);
  if (!at.HasFolder())
    return std::nullopt;
  const int fd =
      ::openat(at.Folder(), at.Name().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0)
    return std::nullopt;
  DIR* dir = ::fdopendir(fd);
  if (dir == nullptr) {
    ::close(fd);
    return std::nullopt;
  }
  std::vector<HostEntry> entries;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..")
      continue;
    // The kind of what an entry leads to, as a listing shows it.
    struct stat st {};
    const FileKind kind =
        ::fstatat(::dirfd(dir), name.c_str(), &st, 0) == 0 ? KindOf(st.st_mode) : FileKind::kOther;
    entries.push_back({name, kind});
  }
  ::closedir(dir);
  std::sort(entries.begin(), entries.end(),
            [](const HostEntry& a, const HostEntry& b) { return a.name < b.name; });
  return entries;
}

bool DiskFileSystem::WriteHostFile(const HostTarget& target, std::string_view bytes,
                                   bool append) const {
  const ResolvedPath& at = Resolved(target);
  if (!at.HasFolder())
    return false;
  if (append)
    return AppendToFileAt(at.Folder(), at.Name(), bytes);
  std::string error;
  return ReplaceFileAt(
      at.Folder(), at.Name(), std::nullopt, [bytes](int fd) { return WriteAllBytes(fd, bytes); },
      error);
}

bool DiskFileSystem::CopyHostFile(const HostTarget& from, const HostTarget& to) const {
  const ResolvedPath& source = Resolved(from);
  const ResolvedPath& target = Resolved(to);
  return source.HasFolder() && target.HasFolder() &&
         CopyRegularFileAt(source.Folder(), source.Name(), target.Folder(), target.Name());
}

bool DiskFileSystem::RenameHost(const HostTarget& from, const HostTarget& to) const {
  const ResolvedPath& source = Resolved(from);
  const ResolvedPath& target = Resolved(to);
  return source.HasFolder() && target.HasFolder() &&
         ::renameat(source.Folder(), source.Name().c_str(), target.Folder(),
                    target.Name().c_str()) == 0;
}

bool DiskFileSystem::RemoveHost(const HostTarget& target) const {
  const ResolvedPath& at = Resolved(target);
  const std::optional<struct stat> st = at.Status();
  if (!st)
    return false;
  return ::unlinkat(at.Folder(), at.Name().c_str(), S_ISDIR(st->st_mode) ? AT_REMOVEDIR : 0) == 0;
}

std::optional<int> DiskFileSystem::CreateHostFolder(const HostTarget& target) const {
  const ResolvedPath& at = Resolved(target);
  if (at.Folder() < 0)
    return std::nullopt;
  std::vector<std::string> names = at.MissingFolders();
  names.push_back(at.Name());
  Descriptor folder(ReopenFolder(at.Folder()));
  int made = 0;
  for (const std::string& name : names) {
    if (::mkdirat(folder.Get(), name.c_str(), 0777) == 0)
      ++made;
    else if (errno != EEXIST)
      return std::nullopt;
    // The walk followed the links already: a link found here now leads nowhere.
    Descriptor next(
        ::openat(folder.Get(), name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (next.Get() < 0)
      return std::nullopt;
    folder = std::move(next);
  }
  return made;
}

bool DiskFileSystem::CreateOwnFolder(const fs::path& folder) const {
  std::error_code error;
  fs::create_directories(folder, error);
  return fs::is_directory(folder, error);
}

uint64_t DiskFileSystem::HostUsage(const fs::path& folder) const {
  uint64_t used = 0;
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    std::error_code kindError;
    const fs::file_status status = it->symlink_status(kindError);
    if (fs::is_regular_file(status))
      used += OverlayCharge(it->file_size(kindError));
    else
      used += OverlayCharge(0);
  }
  return used;
}

}  // namespace qlm
