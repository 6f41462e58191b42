#include "tools/StandaloneFile.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/host/HostFiles.h"

namespace qlm {

StandaloneReadResult ReadStandaloneContainer(const std::filesystem::path& path) {
  std::string error;
  const std::unique_ptr<ReadableFile> file = OpenReadableFile(path, error);
  return ReadStandaloneContainer(file.get(), path.string(), error);
}

bool IsStandaloneFile(const std::filesystem::path& path) {
  std::string error;
  const std::unique_ptr<ReadableFile> file = OpenReadableFile(path, error);
  return file && IsStandaloneFile(*file);
}

void WriteStandalone(const std::filesystem::path& playerPath, std::span<const uint8_t> document,
                     bool oneInstance, std::string_view identifier,
                     const std::filesystem::path& outputPath) {
  const std::vector<uint8_t> appendix = StandaloneAppendix(document, oneInstance, identifier);
  std::string error;
  const std::unique_ptr<ReadableFile> player = OpenReadableFile(playerPath, error);
  if (!player)
    throw std::runtime_error("cannot open the player " + playerPath.string() + ": " + error);
  auto bytes = [](std::span<const uint8_t> span) {
    return std::string_view(reinterpret_cast<const char*>(span.data()), span.size());
  };
  const bool written = ReplaceFile(
      outputPath, std::nullopt,
      [&](int fd) {
        std::vector<uint8_t> buffer(1 << 20);
        for (uint64_t at = 0; at < player->Size();) {
          const size_t n =
              static_cast<size_t>(std::min<uint64_t>(buffer.size(), player->Size() - at));
          const std::span<uint8_t> chunk(buffer.data(), n);
          if (!player->ReadAt(at, chunk) || !WriteAllBytes(fd, bytes(chunk)))
            return false;
          at += n;
        }
        return WriteAllBytes(fd, bytes(appendix));
      },
      error);
  if (!written)
    throw std::runtime_error(error);
}

}  // namespace qlm
