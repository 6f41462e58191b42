#include "platform/host/SurfacePng.h"

#include <cerrno>
#include <cstring>
#include <string_view>
#include <vector>

#include "graphics/ImageCodec.h"
#include "platform/host/HostFiles.h"

namespace qlm {

bool WriteSurfacePng(const Surface& frame, const std::filesystem::path& path, std::string& error) {
  const std::vector<uint8_t> png = EncodePng(frame.ToImage24());
  if (png.empty()) {
    error = "cannot encode a screenshot of " + std::to_string(frame.Width()) + " x " +
            std::to_string(frame.Height()) + " pixels";
    return false;
  }
  // Through the host's atomic replace: a failed write leaves no half-written picture.
  errno = 0;
  if (!WriteFileAtomically(
          path, std::string_view(reinterpret_cast<const char*>(png.data()), png.size()))) {
    error = "cannot write " + path.string() + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace qlm
