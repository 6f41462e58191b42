#pragma once

#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <vector>

#include "platform/FileSystem.h"

namespace qlm {

// What a presentation may reach on the host. Pure logic on host paths: the caller resolves a
// script's path (`host`, absolute and lexically normal, as named) and the same with every
// symbolic link followed (`real`, what the access will act on), and the policy says whether the
// access may use it, or the overlay copy.
//
// By default a presentation reads its own folder tree (the real path must stay inside, so a
// symbolic link cannot lead out), the readable roots (mounted drives, the player's drive C, its
// temporary folders, fonts) and writes the writable roots (drive C, the temporary folders, drives
// mounted writable). A write into its own folder lands in the overlay folder at the same relative
// path, never on the original; reads of the folder see the overlay first. The player's own files
// (profile, overlays) are out of reach unless everything is trusted; the sealed files (the trust
// store) are out of reach always.
class TrustPolicy {
 public:
  struct Decision {
    // The host path the access uses as it is; nullopt when the access is refused.
    std::optional<std::filesystem::path> direct;
    // The overlay copy: a read uses it when it exists, a write goes there instead of `direct`.
    std::optional<std::filesystem::path> overlay;
    bool Allowed() const { return direct || overlay; }
  };

  // Everything goes (the original player's behaviour), except the sealed paths.
  void SetTrustAll(bool trustAll) { trustAll_ = trustAll; }
  bool TrustAll() const { return trustAll_; }

  // The presentation's folder: `folder` as named, `realFolder` with symbolic links followed.
  void SetPresentationFolder(const std::filesystem::path& folder,
                             const std::filesystem::path& realFolder);
  // Where writes into the presentation's folder go; empty: they are refused.
  void SetOverlay(const std::filesystem::path& overlayFolder) { overlay_ = overlayFolder; }
  const std::filesystem::path& Overlay() const { return overlay_; }
  // How many bytes the overlay may hold (see FileSystem::OverlayCharge); a write past it fails
  // as on a full disc.
  void SetOverlayQuota(uint64_t bytes) { overlayQuota_ = bytes; }
  uint64_t OverlayQuota() const { return overlayQuota_; }
  void AddReadable(const std::filesystem::path& root) { readable_.push_back(root); }
  // The files directly in `folder` are readable, not those of its sub-folders.
  void AddReadableFiles(const std::filesystem::path& folder) { readableFiles_.push_back(folder); }
  // Writable roots are readable too.
  void AddWritable(const std::filesystem::path& root) { writable_.push_back(root); }
  void AddProtected(const std::filesystem::path& path) { protected_.push_back(path); }
  void AddSealed(const std::filesystem::path& path) { sealed_.push_back(path); }

  Decision Decide(FileAccess access, const std::filesystem::path& host,
                  const std::filesystem::path& real) const;

  // True when the real path lies in the presentation's folder tree.
  bool InPresentationFolder(const std::filesystem::path& real) const;

  // True when `path` is `root` or lies below it, compared component by component.
  static bool Within(const std::filesystem::path& path, const std::filesystem::path& root);

 private:
  static bool WithinAny(const std::filesystem::path& path,
                        const std::vector<std::filesystem::path>& roots);
  std::optional<std::filesystem::path> OverlayFor(const std::filesystem::path& host,
                                                  const std::filesystem::path& real) const;

  bool trustAll_ = false;
  std::filesystem::path folder_;
  std::filesystem::path realFolder_;
  std::filesystem::path overlay_;
  uint64_t overlayQuota_ = std::numeric_limits<uint64_t>::max();
  std::vector<std::filesystem::path> readable_;
  std::vector<std::filesystem::path> readableFiles_;
  std::vector<std::filesystem::path> writable_;
  std::vector<std::filesystem::path> protected_;
  std::vector<std::filesystem::path> sealed_;
};

}  // namespace qlm
