#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qlm {

// Writes the primitives of a project stream into a growable byte vector; the mirror of
// ArchiveReader. Strings get the shortest length prefix.
class ArchiveWriter {
 public:
  void WriteU8(uint8_t v) { bytes_.push_back(v); }
  void WriteU16(uint16_t v);
  void WriteU32(uint32_t v);
  void WriteI32(int32_t v) { WriteU32(static_cast<uint32_t>(v)); }
  void WriteF64(double v);
  void WriteBytes(std::span<const uint8_t> bytes);
  void WriteString(std::string_view text);
  // The 0xFFFE form: UTF-16 code units written little-endian.
  void WriteWideString(std::u16string_view units);

  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  std::vector<uint8_t> Take() { return std::move(bytes_); }
  size_t Size() const { return bytes_.size(); }

 private:
  void WriteLength(uint64_t length);

  std::vector<uint8_t> bytes_;
};

}  // namespace qlm
