#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"

namespace qlm {

// A FileSystem whose operations act on the host's disk. Paths are resolved by walking them
// (ResolvedPath) and every operation acts through the folder the walk holds open. What is left to
// a derived class is the naming: how a Windows-style path maps to a host path and back.
class DiskFileSystem : public FileSystem {
 protected:
  std::unique_ptr<HostTarget> ResolveHost(const std::filesystem::path& host,
                                          LastLink last) const override;
  std::unique_ptr<HostTarget> ResolveBelow(const std::filesystem::path& root,
                                           const std::filesystem::path& relative) const override;
  std::unique_ptr<ReadableFile> OpenHostFile(const HostTarget& target,
                                             std::string& error) const override;
  std::optional<std::vector<HostEntry>> ListHostFolder(const HostTarget& folder) const override;
  bool WriteHostFile(const HostTarget& target, std::string_view bytes, bool append) const override;
  bool CopyHostFile(const HostTarget& from, const HostTarget& to) const override;
  bool RenameHost(const HostTarget& from, const HostTarget& to) const override;
  bool RemoveHost(const HostTarget& target) const override;
  std::optional<int> CreateHostFolder(const HostTarget& target) const override;
  bool CreateOwnFolder(const std::filesystem::path& folder) const override;
  uint64_t HostUsage(const std::filesystem::path& folder) const override;
};

}  // namespace qlm
