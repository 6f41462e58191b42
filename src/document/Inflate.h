#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace qlm {

struct InflateResult {
  std::vector<uint8_t> bytes;  // what the stream produced, at most the expected size
  bool ok = false;             // the stream ended cleanly with exactly the expected size
};

// One-shot inflate of a zlib stream that should produce exactly expectedSize bytes.
// libdeflate does the work; when it fails, zlib runs again to recover the partial output.
// Memory grows only with output the stream can really produce.
InflateResult InflateZlib(std::span<const uint8_t> packed, uint64_t expectedSize);

// A zlib stream of the bytes (for writers, tools and tests).
std::vector<uint8_t> DeflateZlib(std::span<const uint8_t> raw, int level = 6);

}  // namespace qlm
