#pragma once

#include <filesystem>
#include <string>

namespace qlm {

// Scripts see Windows paths ("C:\Show\pic.bmp", "<SrcDir>\x.txt" after macro expansion). Every
// path crosses into the host here: backslashes become slashes, drive letters map to host folders,
// components match without regard to case, 8.3 short names are a fallback.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The host path for a Windows-style (or already host-style) path. Existing components are
  // matched case-insensitively; components that do not exist are kept as written, so a file
  // that is about to be created resolves to a path inside the right folder.
  virtual std::filesystem::path ToHost(const std::string& windowsPath) const = 0;

  // The Windows-style path scripts see for a host path (for example the presentation folder).
  virtual std::string ToWindows(const std::filesystem::path& hostPath) const = 0;
};

}  // namespace qlm
