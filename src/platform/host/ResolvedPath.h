#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/host/HostFiles.h"

namespace qlm {

// A host path resolved once, one component at a time, with the folders on the way held open:
// each name is opened below the folder before it without following a link, a link is read and
// its target walked in its place, and ".." steps back along what was resolved (never lexically
// across a link, never above the root). What the walk found is what the caller judges (Real())
// and what it then acts on (Folder() and Name()), so no second lookup by name can lead
// elsewhere, whatever is swapped on the disk meanwhile.
class ResolvedPath : public HostTarget {
 public:
  enum class Links {
    kFollow,    // every link, the last one too
    kKeepLast,  // every link but one in the last place, which is the target itself
    kRefuse,    // none: a link anywhere makes the path lead nowhere
  };

  // The absolute host path `path`, walked from the host's root.
  static ResolvedPath Walk(const std::filesystem::path& path, Links links);
  // `relative` below the existing folder `root` (which is opened as named); no link is
  // followed and ".." cannot leave `root`.
  static ResolvedPath Below(const std::filesystem::path& root,
                            const std::filesystem::path& relative);

  // The folder holding the target, open (O_PATH); -1 when the walk failed.
  int Folder() const { return folder_.Get(); }
  // The target's name in Folder(); "." when the target is that folder itself.
  const std::string& Name() const { return name_; }
  // The folders between Folder() and the target that do not exist, outermost first.
  const std::vector<std::string>& MissingFolders() const { return missing_; }

  const std::filesystem::path& Real() const override { return real_; }
  std::optional<FileInfo> Info() const override;
  bool HasFolder() const override { return folder_.Get() >= 0 && missing_.empty(); }

  // The target's own status (a link in its place is not followed); nullopt when nothing is
  // there or the folder holding it is missing.
  std::optional<struct stat> Status() const;

 private:
  friend struct ResolvedPathBuilder;

  Descriptor folder_;
  std::string name_;
  std::vector<std::string> missing_;
  std::filesystem::path real_;
};

}  // namespace qlm
