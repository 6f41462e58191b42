#include "platform/FileSystem.h"

#include <algorithm>

namespace qlm {

namespace fs = std::filesystem;

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..")
    return false;
  for (char c : name) {
    if (c == '/' || c == '\\' || c == ':' || c == '\0')
      return false;
  }
  return true;
}

std::string InFolder(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty() && path.back() != '\\' && path.back() != '/')
    path += '\\';
  path += name;
  return path;
}

std::optional<fs::path> FileSystem::Pass(FileAccess /*access*/, const std::string& path) const {
  fs::path host = ToHost(path);
  if (host.empty())
    return std::nullopt;
  return host;
}

FileSystem::Opened FileSystem::OpenRead(const std::string& path) const {
  Opened opened;
  const std::optional<fs::path> host = Pass(FileAccess::kRead, path);
  if (!host) {
    opened.error = "No such file or directory";
    return opened;
  }
  opened.hostPath = *host;
  opened.file = OpenHostFile(*host, opened.error);
  return opened;
}

std::optional<std::string> FileSystem::ReadFile(const std::string& path, uint64_t maxBytes) const {
  const Opened opened = OpenRead(path);
  if (!opened.file)
    return std::nullopt;
  std::string bytes(static_cast<size_t>(std::min(opened.file->Size(), maxBytes)), '\0');
  if (!opened.file->ReadAt(0, std::span(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size())))
    return std::nullopt;
  return bytes;
}

std::optional<FileInfo> FileSystem::Stat(const std::string& path) const {
  const std::optional<fs::path> host = Pass(FileAccess::kRead, path);
  return host ? StatHost(*host) : std::nullopt;
}

bool FileSystem::IsFile(const std::string& path) const {
  const std::optional<FileInfo> info = Stat(path);
  return info && info->kind == FileKind::kFile;
}

std::optional<std::vector<FolderEntry>> FileSystem::ListFolder(const std::string& path) const {
  const std::optional<fs::path> host = Pass(FileAccess::kList, path);
  if (!host)
    return std::nullopt;
  std::optional<std::vector<HostEntry>> names = ListHostFolder(*host);
  if (!names)
    return std::nullopt;
  std::vector<FolderEntry> entries;
  entries.reserve(names->size());
  for (const HostEntry& name : *names) {
    FolderEntry entry;
    entry.path = ToWindows(*host / name.name);
    const size_t slash = entry.path.rfind('\\');
    entry.name = slash == std::string::npos ? entry.path : entry.path.substr(slash + 1);
    entry.kind = name.kind;
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::optional<fs::path> FileSystem::HostFileToRead(const std::string& path) const {
  const std::optional<fs::path> host = Pass(FileAccess::kRead, path);
  if (!host)
    return std::nullopt;
  const std::optional<FileInfo> info = StatHost(*host);
  if (!info || info->kind != FileKind::kFile)
    return std::nullopt;
  return host;
}

bool FileSystem::WriteFile(const std::string& path, std::string_view bytes) const {
  const std::optional<fs::path> host = Pass(FileAccess::kWrite, path);
  return host && WriteHostFile(*host, bytes, false);
}

bool FileSystem::AppendFile(const std::string& path, std::string_view bytes) const {
  const std::optional<fs::path> host = Pass(FileAccess::kWrite, path);
  return host && WriteHostFile(*host, bytes, true);
}

bool FileSystem::Copy(const std::string& from, const std::string& to) const {
  const std::optional<fs::path> source = Pass(FileAccess::kRead, from);
  if (!source)
    return false;
  const std::optional<fs::path> target = Pass(FileAccess::kWrite, to);
  return target && CopyHostFile(*source, *target);
}

bool FileSystem::Rename(const std::string& from, const std::string& to) const {
  const std::optional<fs::path> source = Pass(FileAccess::kWrite, from);
  if (!source)
    return false;
  const std::optional<fs::path> target = Pass(FileAccess::kWrite, to);
  return target && RenameHost(*source, *target);
}

bool FileSystem::Remove(const std::string& path) const {
  const std::optional<fs::path> host = Pass(FileAccess::kWrite, path);
  return host && RemoveHost(*host);
}

bool FileSystem::CreateFolder(const std::string& path) const {
  const std::optional<fs::path> host = Pass(FileAccess::kWrite, path);
  return host && CreateHostFolder(*host);
}

}  // namespace qlm
