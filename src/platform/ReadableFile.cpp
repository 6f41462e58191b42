#include "platform/ReadableFile.h"

#include <memory>
#include <new>

namespace qlm {

std::optional<SharedBytes> ReadableFile::ViewWhole() {
  const uint64_t size = Size();
  if (size > SIZE_MAX)
    return std::nullopt;
  // Written whole by the read below: no need to clear it first.
  std::shared_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[size == 0 ? 1 : size]);
  if (!buffer)
    return std::nullopt;
  const std::span<uint8_t> bytes(buffer.get(), static_cast<size_t>(size));
  if (!ReadAt(0, bytes))
    return std::nullopt;
  return SharedBytes(std::move(buffer), bytes);
}

}  // namespace qlm
