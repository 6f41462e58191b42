#include "platform/TrustPolicy.h"

namespace qlm {

namespace fs = std::filesystem;

bool TrustPolicy::Within(const fs::path& path, const fs::path& root) {
  if (root.empty() || path.empty())
    return false;
  auto p = path.begin();
  for (auto r = root.begin(); r != root.end(); ++r) {
    if (r->empty())
      continue;  // the trailing separator of a folder name
    if (p == path.end() || *p != *r)
      return false;
    ++p;
  }
  return true;
}

bool TrustPolicy::WithinAny(const fs::path& path, const std::vector<fs::path>& roots) {
  for (const fs::path& root : roots) {
    if (Within(path, root))
      return true;
  }
  return false;
}

void TrustPolicy::SetPresentationFolder(const fs::path& folder, const fs::path& realFolder) {
  folder_ = folder;
  realFolder_ = realFolder;
}

bool TrustPolicy::InPresentationFolder(const fs::path& real) const {
  return Within(real, realFolder_);
}

std::optional<fs::path> TrustPolicy::OverlayFor(const fs::path& host, const fs::path& real) const {
  if (overlay_.empty())
    return std::nullopt;
  // The path as the script named it decides where the copy goes, so a symbolic link in the
  // folder is never followed by a write: the overlay holds a plain file of that name.
  for (const auto& [path, folder] : {std::pair{&host, &folder_}, std::pair{&real, &realFolder_}}) {
    if (Within(*path, *folder)) {
      const fs::path rel = path->lexically_relative(*folder);
      return rel == "." ? overlay_ : overlay_ / rel;
    }
  }
  return std::nullopt;
}

TrustPolicy::Decision TrustPolicy::Decide(FileAccess access, const fs::path& host,
                                          const fs::path& real) const {
  Decision d;
  if (WithinAny(host, sealed_) || WithinAny(real, sealed_))
    return d;
  if (trustAll_) {
    d.direct = host;
    return d;
  }
  if (WithinAny(host, protected_) || WithinAny(real, protected_))
    return d;
  if (access == FileAccess::kWrite) {
    if (WithinAny(real, writable_) && WithinAny(host, writable_))
      d.direct = host;
    else
      d.overlay = OverlayFor(host, real);
    return d;
  }
  const auto inReadableFolder = [&] {
    for (const fs::path& folder : readableFiles_) {
      if (real.parent_path() == folder)
        return true;
    }
    return false;
  };
  if (WithinAny(real, writable_) || WithinAny(real, readable_) || InPresentationFolder(real) ||
      inReadableFolder())
    d.direct = host;
  // A file saved earlier into the presentation's folder is read from the overlay.
  if (Within(host, folder_) || InPresentationFolder(real))
    d.overlay = OverlayFor(host, real);
  return d;
}

}  // namespace qlm
