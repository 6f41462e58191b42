// Decodes arbitrary bytes with each image decoder; the first byte picks it. A decoded image must
// hold at most width x height pixels of 3 bytes (fewer when the data came up short).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "graphics/ImageCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  const std::span<const uint8_t> file(data + 1, size - 1);
  std::optional<qlm::Image24> image;
  switch (data[0] % 4) {
    case 0:
      image = qlm::DecodeJpeg(file);
      break;
    case 1:
      image = qlm::DecodePng(file);
      break;
    case 2:
      image = qlm::DecodeTiff(file);
      break;
    default:
      image = qlm::DecodeImageFile(file);
      break;
  }
  if (image && image->pixels.size() > uint64_t{image->width} * image->height * 3)
    __builtin_trap();
  return 0;
}
