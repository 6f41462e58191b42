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

FileSystem::Route FileSystem::RouteOf(FileAccess access, const std::string& path,
                                      LastLink last) const {
  Route route;
  fs::path host = ToHost(path);
  if (!host.empty()) {
    if (!host.is_absolute()) {
      std::error_code ec;
      host = fs::absolute(host, ec);
    }
    route.named = host.lexically_normal();
    route.found = ResolveHost(host, last);
  }
  if (policy_ == nullptr) {
    route.direct = route.found != nullptr;
    return route;
  }
  if (route.found) {
    // Judged: the path as named, and what the resolution found, which is what is acted on.
    const TrustPolicy::Decision decision =
        policy_->Decide(access, route.named, route.found->Real());
    route.direct = decision.direct.has_value();
    if (decision.overlay) {
      route.overlayRelative = decision.overlay->lexically_relative(policy_->Overlay());
      route.overlay = ResolveBelow(policy_->Overlay(), route.overlayRelative);
    }
  }
  // Refusals are reported; a path with no host form (a drive nobody mapped) counts as outside
  // the reach unless everything is trusted, when it is merely missing. A read that finds a saved
  // copy in the overlay is no refusal.
  const bool outside = !route.direct && (!route.overlay || access != FileAccess::kWrite);
  const bool overlayCopy = route.overlay && access != FileAccess::kWrite && route.overlay->Info();
  if (outside && !overlayCopy && blocked_ && !(host.empty() && policy_->TrustAll()))
    blocked_(access == FileAccess::kWrite ? "write" : "read", path);
  return route;
}

std::unique_ptr<HostTarget> FileSystem::ReadTarget(const std::string& path) const {
  Route route = RouteOf(FileAccess::kRead, path, LastLink::kFollow);
  if (route.overlay && route.overlay->Info())
    return std::move(route.overlay);
  return route.direct ? std::move(route.found) : nullptr;
}

std::unique_ptr<HostTarget> FileSystem::WriteTarget(const std::string& path, LastLink last,
                                                    bool& overlay) const {
  Route route = RouteOf(FileAccess::kWrite, path, last);
  overlay = route.overlay != nullptr;
  if (!overlay)
    return route.direct ? std::move(route.found) : nullptr;
  if (route.overlay->HasFolder())
    return std::move(route.overlay);
  // The overlay mirrors the folders of the disc: one that exists there is made on the way, one
  // that exists nowhere makes the write fail as it would on the disc.
  if (!route.found || !route.found->HasFolder() || !CreateOwnFolder(policy_->Overlay()))
    return nullptr;
  const std::optional<int> made =
      CreateHostFolder(*ResolveBelow(policy_->Overlay(), route.overlayRelative.parent_path()));
  if (!made)
    return nullptr;
  ChargeOverlay(path, static_cast<uint64_t>(*made) * OverlayCharge(0), 0, true);
  return ResolveBelow(policy_->Overlay(), route.overlayRelative);
}

uint64_t FileSystem::Charged(const HostTarget& target) {
  const std::optional<FileInfo> info = target.Info();
  return info ? OverlayCharge(info->size) : 0;
}

bool FileSystem::ChargeOverlay(const std::string& path, uint64_t growth, uint64_t shrink,
                               bool force) const {
  std::lock_guard lock(overlayMutex_);
  if (!overlayUsed_)
    overlayUsed_ = HostUsage(policy_->Overlay());
  const uint64_t kept = *overlayUsed_ - std::min(shrink, *overlayUsed_);
  if (!force && growth > shrink && kept + growth > policy_->OverlayQuota()) {
    if (!quotaReported_ && blocked_)
      blocked_("quota", path);
    quotaReported_ = true;
    return false;
  }
  overlayUsed_ = kept + growth;
  return true;
}

FileSystem::Opened FileSystem::OpenRead(const std::string& path) const {
  Opened opened;
  const std::unique_ptr<HostTarget> target = ReadTarget(path);
  if (!target) {
    opened.error = "No such file or directory";
    return opened;
  }
  opened.hostPath = target->Real();
  opened.resolved = opened.hostPath;
  opened.file = OpenHostFile(*target, opened.error);
  return opened;
}

FileSystem::Opened FileSystem::OpenForLibrary(const std::string& path) const {
  Opened opened = OpenRead(path);
  if (opened.file && opened.file->HostDescriptor() >= 0)
    opened.hostPath = "/proc/self/fd/" + std::to_string(opened.file->HostDescriptor());
  return opened;
}

void FileSystem::ReportRefusedRead(const std::string& name) const {
  if (blocked_)
    blocked_("read", name);
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
  const std::unique_ptr<HostTarget> target = ReadTarget(path);
  return target ? target->Info() : std::nullopt;
}

bool FileSystem::IsFile(const std::string& path) const {
  const std::optional<FileInfo> info = Stat(path);
  return info && info->kind == FileKind::kFile;
}

std::optional<std::vector<FolderEntry>> FileSystem::ListFolder(const std::string& path) const {
  const Route route = RouteOf(FileAccess::kList, path, LastLink::kFollow);
  // A folder of the presentation lists its own names and those saved into its overlay; the
  // overlay's entry wins where both have one.
  std::map<std::string, HostEntry> names;
  bool listedAny = false;
  for (const HostTarget* folder : {route.overlay.get(), route.Host()}) {
    if (!folder)
      continue;
    std::optional<std::vector<HostEntry>> listed = ListHostFolder(*folder);
    if (!listed)
      continue;
    listedAny = true;
    for (HostEntry& entry : *listed)
      names.emplace(entry.name, std::move(entry));
  }
  if (!listedAny)
    return std::nullopt;
  std::vector<FolderEntry> entries;
  entries.reserve(names.size());
  for (const auto& [name, hostEntry] : names) {
    FolderEntry entry;
    // Entries are named in the folder the script asked for: the overlay stays invisible to it.
    entry.path = route.direct ? ToWindows(route.named / name) : InFolder(path, name);
    const size_t slash = entry.path.rfind('\\');
    entry.name = slash == std::string::npos ? entry.path : entry.path.substr(slash + 1);
    entry.kind = hostEntry.kind;
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::optional<fs::path> FileSystem::HostFileToRead(const std::string& path) const {
  const std::unique_ptr<HostTarget> target = ReadTarget(path);
  if (!target)
    return std::nullopt;
  const std::optional<FileInfo> info = target->Info();
  if (!info || info->kind != FileKind::kFile)
    return std::nullopt;
  return target->Real();
}

bool FileSystem::WithinQuota(const std::string& path, bool overlay, uint64_t growth,
                             uint64_t shrink, const std::function<bool()>& change) const {
  if (overlay && !ChargeOverlay(path, growth, shrink))
    return false;
  const bool changed = change();
  if (!changed && overlay)
    ChargeOverlay(path, shrink, growth, true);
  return changed;
}

bool FileSystem::WriteFile(const std::string& path, std::string_view bytes) const {
  bool overlay = false;
  const std::unique_ptr<HostTarget> target = WriteTarget(path, LastLink::kFollow, overlay);
  return target && WithinQuota(path, overlay, OverlayCharge(bytes.size()), Charged(*target),
                               [&] { return WriteHostFile(*target, bytes, false); });
}

bool FileSystem::AppendFile(const std::string& path, std::string_view bytes) const {
  bool overlay = false;
  const std::unique_ptr<HostTarget> target = WriteTarget(path, LastLink::kFollow, overlay);
  if (!target)
    return false;
  const std::optional<FileInfo> info = target->Info();
  const uint64_t size = info && info->kind == FileKind::kFile ? info->size : 0;
  return WithinQuota(path, overlay, OverlayCharge(size + bytes.size()), Charged(*target),
                     [&] { return WriteHostFile(*target, bytes, true); });
}

bool FileSystem::Copy(const std::string& from, const std::string& to) const {
  const std::unique_ptr<HostTarget> source = ReadTarget(from);
  if (!source)
    return false;
  bool overlay = false;
  const std::unique_ptr<HostTarget> target = WriteTarget(to, LastLink::kFollow, overlay);
  return target && WithinQuota(to, overlay, Charged(*source), Charged(*target),
                               [&] { return CopyHostFile(*source, *target); });
}

bool FileSystem::Rename(const std::string& from, const std::string& to) const {
  bool fromOverlay = false, toOverlay = false;
  const std::unique_ptr<HostTarget> source = WriteTarget(from, LastLink::kKeep, fromOverlay);
  if (!source)
    return false;
  const std::unique_ptr<HostTarget> target = WriteTarget(to, LastLink::kKeep, toOverlay);
  if (!target)
    return false;
  // What the overlay gains (the moved file, when it moves in) and loses (a file it replaces,
  // the moved file when it moves out).
  const uint64_t moved = Charged(*source);
  const uint64_t growth = toOverlay && !fromOverlay ? moved : 0;
  const uint64_t shrink =
      (toOverlay ? Charged(*target) : 0) + (fromOverlay && !toOverlay ? moved : 0);
  return WithinQuota(to, fromOverlay || toOverlay, growth, shrink,
                     [&] { return RenameHost(*source, *target); });
}

bool FileSystem::Remove(const std::string& path) const {
  bool overlay = false;
  const std::unique_ptr<HostTarget> target = WriteTarget(path, LastLink::kKeep, overlay);
  if (!target)
    return false;
  const uint64_t freed = Charged(*target);
  const bool removed = RemoveHost(*target);
  if (removed && overlay)
    ChargeOverlay(path, 0, freed, true);
  return removed;
}

bool FileSystem::CreateFolder(const std::string& path) const {
  Route route = RouteOf(FileAccess::kWrite, path, LastLink::kFollow);
  if (!route.overlay)
    return route.direct && route.found && CreateHostFolder(*route.found).has_value();
  // Folders made in the overlay count against its quota like files.
  if (!ChargeOverlay(path, OverlayCharge(0), 0) || !CreateOwnFolder(policy_->Overlay()))
    return false;
  const std::optional<int> made = CreateHostFolder(*route.overlay);
  ChargeOverlay(path, static_cast<uint64_t>(made.value_or(0)) * OverlayCharge(0), OverlayCharge(0),
                true);
  return made.has_value();
}

}  // namespace qlm
