#include "app/GatedLibraries.h"

#include <fstream>
#include <system_error>

#include "platform/Sha256.h"
#include "platform/TrustPolicy.h"
#include "platform/host/HostFiles.h"

namespace qlm {

namespace fs = std::filesystem;

std::unique_ptr<LoadedLibrary> GatedLibraries::Load(const fs::path& path, std::string& error) {
  const fs::path real = RealPath(path);
  const bool trusted =
      TrustPolicy::Within(real, trusted_) && !TrustPolicy::Within(real, presentation_);
  if (!trusted) {
    std::ifstream in(real, std::ios::binary);
    Sha256 hash;
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0)
      hash.Add(std::string_view(chunk, static_cast<size_t>(in.gcount())));
    if (!in.eof() || !gate_.PermitPlugin(path.string(), hash.HexDigest())) {
      error = "not allowed to load";
      return nullptr;
    }
  }
  return inner_.Load(path, error);
}

}  // namespace qlm
