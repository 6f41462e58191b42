#include "document/Inflate.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace qlm {

namespace {

// Deflate cannot expand data by more than about 1032:1; a larger expected size cannot be met.
constexpr uint64_t kMaxRatio = 1032;
constexpr uint64_t kSlack = 1024;
// Above this the output is reserved only as the stream really delivers it, so a small hostile
// block cannot make us commit gigabytes before the inflate fails.
constexpr uint64_t kMaxOneShot = 256ull * 1024 * 1024;

struct DecompressorFree {
  void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

// zlib's stream inflate, producing at most expectedSize bytes and growing the output as the
// stream delivers.
InflateResult InflateWithZlib(std::span<const uint8_t> packed, uint64_t expectedSize) {
  InflateResult result;
  z_stream zs{};
  if (inflateInit(&zs) != Z_OK)
    return result;
  zs.next_in = const_cast<Bytef*>(packed.data());
  zs.avail_in = static_cast<uInt>(std::min<uint64_t>(packed.size(), UINT32_MAX));
  int rc = Z_OK;
  size_t produced = 0;
  while (produced < expectedSize) {
    if (result.bytes.size() == produced) {
      const uint64_t grow = std::clamp<uint64_t>(produced, 64 * 1024, 64 * 1024 * 1024);
      result.bytes.resize(static_cast<size_t>(std::min<uint64_t>(expectedSize, produced + grow)));
    }
    zs.next_out = result.bytes.data() + produced;
    zs.avail_out =
        static_cast<uInt>(std::min<uint64_t>(result.bytes.size() - produced, UINT32_MAX));
    rc = inflate(&zs, Z_NO_FLUSH);
    produced = result.bytes.size() - zs.avail_out;
    if (rc != Z_OK)
      break;
  }
  // Output full: the stream must end right here, without more output.
  if (produced == expectedSize && rc == Z_OK) {
    uint8_t probe;
    zs.next_out = &probe;
    zs.avail_out = 1;
    rc = inflate(&zs, Z_NO_FLUSH);
    if (zs.avail_out == 0)
      rc = Z_BUF_ERROR;
  }
  inflateEnd(&zs);
  result.bytes.resize(produced);
  result.ok = (rc == Z_STREAM_END) && produced == expectedSize;
  return result;
}

}  // namespace

InflateResult InflateZlib(std::span<const uint8_t> packed, uint64_t expectedSize) {
  if (expectedSize > packed.size() * kMaxRatio + kSlack || expectedSize > kMaxOneShot) {
    return InflateWithZlib(packed, expectedSize);
  }
  std::unique_ptr<libdeflate_decompressor, DecompressorFree> d(libdeflate_alloc_decompressor());
  if (!d)
    throw std::bad_alloc();
  InflateResult result;
  result.bytes.resize(static_cast<size_t>(expectedSize));
  size_t actual = 0;
  const libdeflate_result rc = libdeflate_zlib_decompress(
      d.get(), packed.data(), packed.size(), result.bytes.data(), result.bytes.size(), &actual);
  if (rc == LIBDEFLATE_SUCCESS && actual == expectedSize) {
    result.ok = true;
    return result;
  }
  result.bytes = {};
  return InflateWithZlib(packed, expectedSize);
}

std::vector<uint8_t> DeflateZlib(std::span<const uint8_t> raw, int level) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::vector<uint8_t> out(size);
  if (compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), level) != Z_OK) {
    throw std::runtime_error("zlib compression failed");
  }
  out.resize(size);
  return out;
}

}  // namespace qlm
