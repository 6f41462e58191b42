#include "platform/host/DiskFileSystem.h"

#include <sys/stat.h>

#include <algorithm>
#include <system_error>

#include "platform/host/HostFiles.h"

namespace qlm {

namespace fs = std::filesystem;

namespace {

FileKind KindOf(fs::file_type type) {
  switch (type) {
    case fs::file_type::regular:
      return FileKind::kFile;
    case fs::file_type::directory:
      return FileKind::kFolder;
    default:
      return FileKind::kOther;
  }
}

}  // namespace

std::unique_ptr<ReadableFile> DiskFileSystem::OpenHostFile(const fs::path& host,
                                                           std::string& error) const {
  return OpenReadableFile(host, error);
}

std::optional<FileInfo> DiskFileSystem::StatHost(const fs::path& host) const {
  struct stat st {};
  if (::stat(host.c_str(), &st) != 0)
    return std::nullopt;
  FileInfo info;
  info.kind = S_ISREG(st.st_mode)   ? FileKind::kFile
              : S_ISDIR(st.st_mode) ? FileKind::kFolder
                                    : FileKind::kOther;
  info.size = info.kind == FileKind::kFile ? static_cast<uint64_t>(st.st_size) : 0;
  return info;
}

std::optional<std::vector<FileSystem::HostEntry>> DiskFileSystem::ListHostFolder(
    const fs::path& host) const {
  std::vector<HostEntry> entries;
  std::error_code error;
  for (fs::directory_iterator it(host, error), end; !error && it != end; it.increment(error)) {
    std::error_code typeError;
    entries.push_back({it->path().filename().string(), KindOf(it->status(typeError).type())});
  }
  if (error)
    return std::nullopt;
  std::sort(entries.begin(), entries.end(),
            [](const HostEntry& a, const HostEntry& b) { return a.name < b.name; });
  return entries;
}

bool DiskFileSystem::WriteHostFile(const fs::path& host, std::string_view bytes,
                                   bool append) const {
  return append ? AppendToFile(host, bytes) : WriteFileAtomically(host, bytes);
}

bool DiskFileSystem::CopyHostFile(const fs::path& from, const fs::path& to) const {
  return CopyRegularFile(from, to);
}

bool DiskFileSystem::RenameHost(const fs::path& from, const fs::path& to) const {
  std::error_code error;
  fs::rename(from, to, error);
  return !error;
}

bool DiskFileSystem::RemoveHost(const fs::path& host) const {
  std::error_code error;
  return fs::remove(host, error);
}

bool DiskFileSystem::CreateHostFolder(const fs::path& host) const {
  std::error_code error;
  fs::create_directories(host, error);
  return fs::is_directory(host, error);
}

fs::path DiskFileSystem::RealHost(const fs::path& host) const {
  return RealPath(host);
}

}  // namespace qlm
