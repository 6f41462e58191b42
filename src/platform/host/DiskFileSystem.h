#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"

namespace qlm {

// A FileSystem whose operations act on the host's disk. What is left to a derived class is the
// naming: how a Windows-style path maps to a host path and back.
class DiskFileSystem : public FileSystem {
 protected:
  std::unique_ptr<ReadableFile> OpenHostFile(const std::filesystem::path& host,
                                             std::string& error) const override;
  std::optional<FileInfo> StatHost(const std::filesystem::path& host) const override;
  std::optional<std::vector<HostEntry>> ListHostFolder(
      const std::filesystem::path& host) const override;
  bool WriteHostFile(const std::filesystem::path& host, std::string_view bytes,
                     bool append) const override;
  bool CopyHostFile(const std::filesystem::path& from,
                    const std::filesystem::path& to) const override;
  bool RenameHost(const std::filesystem::path& from,
                  const std::filesystem::path& to) const override;
  bool RemoveHost(const std::filesystem::path& host) const override;
  bool CreateHostFolder(const std::filesystem::path& host) const override;
  std::filesystem::path RealHost(const std::filesystem::path& host) const override;
};

}  // namespace qlm
