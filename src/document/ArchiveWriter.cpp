#include "document/ArchiveWriter.h"

#include <cstring>
#include <stdexcept>

namespace qlm {

void ArchiveWriter::WriteU16(uint16_t v) {
  bytes_.push_back(static_cast<uint8_t>(v));
  bytes_.push_back(static_cast<uint8_t>(v >> 8));
}

void ArchiveWriter::WriteU32(uint32_t v) {
  for (int i = 0; i < 4; ++i)
    bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void ArchiveWriter::WriteF64(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  for (int i = 0; i < 8; ++i)
    bytes_.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}

void ArchiveWriter::WriteBytes(std::span<const uint8_t> bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

void ArchiveWriter::WriteLength(uint64_t length) {
  if (length > UINT32_MAX)
    throw std::length_error("string too long for a project stream");
  if (length < 0xFF) {
    WriteU8(static_cast<uint8_t>(length));
  } else if (length < 0xFFFE) {
    WriteU8(0xFF);
    WriteU16(static_cast<uint16_t>(length));
  } else {
    WriteU8(0xFF);
    WriteU16(0xFFFF);
    WriteU32(static_cast<uint32_t>(length));
  }
}

void ArchiveWriter::WriteString(std::string_view text) {
  WriteLength(text.size());
  bytes_.insert(bytes_.end(), text.begin(), text.end());
}

void ArchiveWriter::WriteWideString(std::u16string_view units) {
  WriteU8(0xFF);
  WriteU16(0xFFFE);
  WriteLength(units.size());
  for (char16_t u : units)
    WriteU16(static_cast<uint16_t>(u));
}

}  // namespace qlm
