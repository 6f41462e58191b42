#include "document/CompressedBlock.h"

#include <stdexcept>

#include "document/ArchiveReader.h"
#include "document/ArchiveWriter.h"
#include "document/Inflate.h"
#include "document/LoadContext.h"

namespace qlm {

CompressedBlock ReadCompressedPayload(ArchiveReader& reader, LoadContext& ctx, uint32_t unpacked,
                                      uint32_t packedSize, const std::string& failMessage) {
  CompressedBlock block;
  if (packedSize == 0) {
    block.bytes = reader.ReadBytes(unpacked);
    return block;
  }
  block.packed = true;
  std::vector<uint8_t> scratch;
  InflateResult inflated = InflateZlib(reader.ReadView(packedSize, scratch), unpacked);
  if (!inflated.ok)
    ctx.dialogs.Message(failMessage);
  block.bytes = std::move(inflated.bytes);
  return block;
}

CompressedBlock ReadCompressedBlock(ArchiveReader& reader, LoadContext& ctx,
                                    const std::string& failMessage) {
  const uint32_t unpacked = reader.ReadU32();
  if (unpacked == 0)
    return {};
  const uint32_t packedSize = reader.ReadU32();
  return ReadCompressedPayload(reader, ctx, unpacked, packedSize, failMessage);
}

void SkipCompressedBlock(ArchiveReader& reader) {
  const uint32_t unpacked = reader.ReadU32();
  if (unpacked == 0)
    return;
  const uint32_t packedSize = reader.ReadU32();
  reader.Skip(packedSize == 0 ? unpacked : packedSize);
}

void WriteCompressedBlock(ArchiveWriter& writer, std::span<const uint8_t> bytes, bool pack) {
  if (bytes.size() > UINT32_MAX)
    throw std::length_error("block too large for a project stream");
  writer.WriteU32(static_cast<uint32_t>(bytes.size()));
  if (bytes.empty())
    return;
  if (!pack) {
    writer.WriteU32(0);
    writer.WriteBytes(bytes);
    return;
  }
  const std::vector<uint8_t> packed = DeflateZlib(bytes);
  writer.WriteU32(static_cast<uint32_t>(packed.size()));
  writer.WriteBytes(packed);
}

void WriteCompressedBlock(ArchiveWriter& writer, const CompressedBlock& block) {
  WriteCompressedBlock(writer, block.bytes, block.packed);
}

}  // namespace qlm
