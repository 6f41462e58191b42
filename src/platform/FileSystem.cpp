#include "platform/FileSystem.h"

#include <algorithm>
#include <map>

#include "platform/TrustPolicy.h"

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

void FileSystem::SetTrustPolicy(const TrustPolicy* policy, BlockedSink blocked) {
  policy_ = policy;
  blocked_ = std::move(blocked);
}

FileSystem::Route FileSystem::RouteOf(FileAccess access, const std::string& path) const {
  Route route;
  const fs::path host = ToHost(path);
  if (policy_ == nullptr) {
    if (!host.empty())
      route.host = host;
    return route;
  }
  if (!host.empty()) {
    const fs::path normal = host.lexically_normal();
    const TrustPolicy::Decision decision = policy_->Decide(access, normal, RealHost(host));
    route.host = decision.direct;
    route.overlay = decision.overlay;
  }
  // Refusals are reported; a path with no host form (a drive nobody mapped) counts as outside
  // the reach unless everything is trusted, when it is merely missing. A read that finds a saved
  // copy in the overlay is no refusal.
  const bool outside = !route.host && (!route.overlay || access != FileAccess::kWrite);
  const bool overlayCopy =
      route.overlay && access != FileAccess::kWrite && StatHost(*route.overlay);
  if (outside && !overlayCopy && blocked_ && !(host.empty() && policy_->TrustAll()))
    blocked_(access == FileAccess::kWrite ? "write" : "read", path);
  return route;
}

std::optional<fs::path> FileSystem::Pass(FileAccess access, const std::string& path) const {
  const Route route = RouteOf(access, path);
  if (!route.overlay)
    return route.host;
  if (access == FileAccess::kWrite) {
    // The overlay mirrors the folder tree: the folders above a saved file are made on the way.
    CreateHostFolder(route.overlay->parent_path());
    return route.overlay;
  }
  if (StatHost(*route.overlay))
    return route.overlay;
  return route.host;
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
  const Route route = RouteOf(FileAccess::kList, path);
  // A folder of the presentation lists its own names and those saved into its overlay; the
  // overlay's entry wins where both have one.
  std::map<std::string, HostEntry> names;
  std::optional<fs::path> base;
  for (const std::optional<fs::path>& folder : {route.overlay, route.host}) {
    if (!folder)
      continue;
    std::optional<std::vector<HostEntry>> listed = ListHostFolder(*folder);
    if (!listed)
      continue;
    if (!base)
      base = folder;
    for (HostEntry& entry : *listed)
      names.emplace(entry.name, std::move(entry));
  }
  if (!base)
    return std::nullopt;
  std::vector<FolderEntry> entries;
  entries.reserve(names.size());
  for (const auto& [name, hostEntry] : names) {
    FolderEntry entry;
    // Entries are named in the folder the script asked for: the overlay stays invisible to it.
    entry.path = route.host ? ToWindows(*route.host / name) : InFolder(path, name);
    const size_t slash = entry.path.rfind('\\');
    entry.name = slash == std::string::npos ? entry.path : entry.path.substr(slash + 1);
    entry.kind = hostEntry.kind;
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
