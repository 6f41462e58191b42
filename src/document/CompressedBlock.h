#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qlm {

class ArchiveReader;
class ArchiveWriter;
struct LoadContext;

// The shared size-prefixed block: u32 unpacked size N (0: nothing more), u32 packed size K
// (0: N raw bytes follow, otherwise K bytes of a zlib stream that inflates to N).
struct CompressedBlock {
  std::vector<uint8_t> bytes;
  bool packed = false;  // stored as a zlib stream

  bool operator==(const CompressedBlock&) const = default;
};

// Reads the two sizes and the data behind them. A failed inflate shows failMessage and keeps
// what the stream produced.
CompressedBlock ReadCompressedBlock(ArchiveReader& reader, LoadContext& ctx,
                                    const std::string& failMessage);
// The same after the two sizes were read by the caller.
CompressedBlock ReadCompressedPayload(ArchiveReader& reader, LoadContext& ctx, uint32_t unpacked,
                                      uint32_t packedSize, const std::string& failMessage);
// Steps over a block without inflating it.
void SkipCompressedBlock(ArchiveReader& reader);
void WriteCompressedBlock(ArchiveWriter& writer, const CompressedBlock& block);
void WriteCompressedBlock(ArchiveWriter& writer, std::span<const uint8_t> bytes, bool pack);

}  // namespace qlm
