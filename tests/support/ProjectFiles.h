#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/LoadContext.h"
#include "document/ProjectReader.h"
#include "document/ProjectWriter.h"
#include "platform/host/HostFiles.h"

namespace qlm::test {

// Writes a project document to a host path; false when it cannot be written.
inline bool WriteProjectFile(const std::filesystem::path& path, const Project& project,
                             int32_t version, SecureLayer secure = SecureLayer::None) {
  const std::vector<uint8_t> bytes = WriteProject(project, version, secure);
  return WriteFileAtomically(
      path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// Reads a project document from a host path, named by that path in messages.
inline LoadResult LoadProjectFile(const std::filesystem::path& path, LoadContext& ctx) {
  std::string error;
  const std::unique_ptr<ReadableFile> file = OpenReadableFile(path, error);
  return qlm::LoadProjectFile(file.get(), path.string(), ctx);
}

}  // namespace qlm::test
