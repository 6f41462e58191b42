#include "document/ArchiveReader.h"

#include <cstring>

#include "document/ArchiveError.h"
#include "document/WideText.h"
#include "platform/ReadableFile.h"

namespace qlm {

ArchiveReader::ArchiveReader(std::span<const uint8_t> memory)
    : cur_(memory.data()), end_(memory.data() + memory.size()), total_(memory.size()) {}

ArchiveReader::ArchiveReader(const SharedBytes& memory) : ArchiveReader(memory.Span()) {
  shared_ = memory;
}

ArchiveReader::ArchiveReader(ReadableFile& file)
    : total_(file.Size()), fileLeft_(total_), file_(&file), block_(kBlockSize) {
  cur_ = end_ = block_.data();
}

ArchiveReader::ArchiveReader(ReadableFile& file, const SharedBytes& whole) : ArchiveReader(file) {
  if (whole.size() == total_)
    shared_ = whole;
}

void ArchiveReader::Require(uint64_t n) const {
  if (n > Remaining())
    throw ArchiveEndOfData();
}

void ArchiveReader::RequireCount(uint64_t count, uint64_t minBytesEach) const {
  if (minBytesEach != 0 && count > Remaining() / minBytesEach)
    throw ArchiveEndOfData();
}

void ArchiveReader::Refill() {
  const size_t want = static_cast<size_t>(std::min<uint64_t>(kBlockSize, fileLeft_));
  if (!file_->ReadAt(filePos_, std::span(block_.data(), want))) {  // the file shrank meanwhile
    fileLeft_ = 0;
    cur_ = end_ = block_.data();
    throw ArchiveEndOfData();
  }
  filePos_ += want;
  fileLeft_ -= want;
  cur_ = block_.data();
  end_ = cur_ + want;
}

void ArchiveReader::ReadInto(std::span<uint8_t> out) {
  Require(out.size());
  uint8_t* dst = out.data();
  size_t n = out.size();
  while (n > 0) {
    if (cur_ == end_) {
      if (n >= kBlockSize) {  // large blocks bypass the buffer
        if (!file_->ReadAt(filePos_, std::span(dst, n))) {
          fileLeft_ = 0;
          throw ArchiveEndOfData();
        }
        filePos_ += n;
        fileLeft_ -= n;
        return;
      }
      Refill();
    }
    const size_t take = std::min<size_t>(n, static_cast<size_t>(end_ - cur_));
    std::memcpy(dst, cur_, take);
    cur_ += take;
    dst += take;
    n -= take;
  }
}

void ArchiveReader::Skip(uint64_t n) {
  Require(n);
  const uint64_t inBuffer = std::min<uint64_t>(n, static_cast<uint64_t>(end_ - cur_));
  cur_ += inBuffer;
  n -= inBuffer;
  filePos_ += n;
  fileLeft_ -= n;
}

uint8_t ArchiveReader::ReadU8() {
  if (cur_ != end_)
    return *cur_++;
  uint8_t b;
  ReadInto({&b, 1});
  return b;
}

uint16_t ArchiveReader::ReadU16() {
  uint8_t b[2];
  ReadInto(b);
  return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t ArchiveReader::ReadU32() {
  uint8_t b[4];
  if (end_ - cur_ >= 4) {
    std::memcpy(b, cur_, 4);
    cur_ += 4;
  } else {
    ReadInto(b);
  }
  return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
}

double ArchiveReader::ReadF64() {
  uint8_t b[8];
  ReadInto(b);
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i)
    bits = (bits << 8) | b[i];
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

std::vector<uint8_t> ArchiveReader::ReadBytes(uint64_t n) {
  Require(n);
  std::vector<uint8_t> out(static_cast<size_t>(n));
  ReadInto(out);
  return out;
}

std::span<const uint8_t> ArchiveReader::ReadView(uint64_t n, std::vector<uint8_t>& scratch) {
  Require(n);
  if (!file_) {
    const std::span<const uint8_t> view(cur_, static_cast<size_t>(n));
    cur_ += n;
    return view;
  }
  scratch.resize(static_cast<size_t>(n));
  ReadInto(scratch);
  return scratch;
}

SharedBytes ArchiveReader::ReadShared(uint64_t n) {
  Require(n);
  if (!shared_.empty()) {
    const uint64_t offset = Position();
    Skip(n);
    return shared_.Piece(static_cast<size_t>(offset), static_cast<size_t>(n));
  }
  if (file_)
    return SharedBytes::Adopt(ReadBytes(n));
  std::vector<uint8_t> unused;
  return SharedBytes::CopyOf(ReadView(n, unused));
}

uint64_t ArchiveReader::ReadLength() {
  const uint8_t l = ReadU8();
  if (l < 0xFF)
    return l;
  const uint16_t w = ReadU16();
  if (w < 0xFFFE)
    return w;
  if (w == 0xFFFF)
    return ReadU32();
  return UINT64_MAX;  // the wide marker
}

uint64_t ArchiveReader::ReadStringBytes(bool& wide) {
  uint64_t length = ReadLength();
  wide = length == UINT64_MAX;
  if (wide) {
    length = ReadLength();
    if (length == UINT64_MAX)
      throw ArchiveDamaged("a string holds two wide markers");
    length *= 2;
  }
  Require(length);
  return length;
}

std::string ArchiveReader::ReadString() {
  bool wide = false;
  const uint64_t length = ReadStringBytes(wide);
  if (wide)
    return WideToCodePage(ReadBytes(length), codePage_);
  std::string s(static_cast<size_t>(length), '\0');
  ReadInto({reinterpret_cast<uint8_t*>(s.data()), s.size()});
  return s;
}

void ArchiveReader::SkipString() {
  bool wide = false;
  Skip(ReadStringBytes(wide));
}

SharedBytes ArchiveReader::SharedSince(uint64_t start) const {
  const uint64_t at = Position();
  if (shared_.empty() || start > at || at > shared_.size())
    return {};
  return shared_.Piece(static_cast<size_t>(start), static_cast<size_t>(at - start));
}

}  // namespace qlm
