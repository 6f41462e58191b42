#include "graphics/SurfacePng.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

#include "graphics/ImageCodec.h"

namespace qlm {

bool WriteSurfacePng(const Surface& frame, const std::filesystem::path& path, std::string& error) {
  const std::vector<uint8_t> png = EncodePng(frame.ToImage24());
  if (png.empty()) {
    error = "cannot encode a screenshot of " + std::to_string(frame.Width()) + " x " +
            std::to_string(frame.Height()) + " pixels";
    return false;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (out)
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  if (out)
    out.close();
  if (!out) {
    error = "cannot write " + path.string() + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace qlm
