#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/SharedBytes.h"

namespace qlm {

class CodePage;
class ReadableFile;

// Reads the little-endian primitives of a project stream from a memory block or an open file
// (read in blocks of 4096 bytes). Every read either fills its result completely or
// throws ArchiveEndOfData; sizes and counts are checked against what the source still holds
// before anything is reserved.
class ArchiveReader {
 public:
  static constexpr size_t kBlockSize = 4096;

  // The memory (or the file) must outlive the reader.
  explicit ArchiveReader(std::span<const uint8_t> memory);
  explicit ArchiveReader(ReadableFile& file);
  // Memory that the pieces ReadShared cuts from it keep alive.
  explicit ArchiveReader(const SharedBytes& memory);
  // A file read in blocks, whose pieces are cut from `whole`, a view of the same file: what is
  // only stepped over is never touched in the view.
  ArchiveReader(ReadableFile& file, const SharedBytes& whole);

  ArchiveReader(ArchiveReader&&) noexcept = default;
  ArchiveReader& operator=(ArchiveReader&&) noexcept = default;

  // Wide strings are converted with this code page (Windows-1252 when none is set).
  void SetCodePage(const CodePage* codePage) { codePage_ = codePage; }

  uint8_t ReadU8();
  uint16_t ReadU16();
  uint32_t ReadU32();
  int32_t ReadI32() { return static_cast<int32_t>(ReadU32()); }
  double ReadF64();
  std::vector<uint8_t> ReadBytes(uint64_t n);
  // n bytes without copying them when the source is memory; a file's bytes land in scratch.
  // The view is valid until the next read (and as long as scratch lives).
  std::span<const uint8_t> ReadView(uint64_t n, std::vector<uint8_t>& scratch);
  // n bytes that stay valid on their own: a piece of shared memory, else a copy.
  SharedBytes ReadShared(uint64_t n);
  void ReadInto(std::span<uint8_t> out);
  void Skip(uint64_t n);
  // Counted string: 0xFF / 0xFFFF / 0xFFFFFFFF length prefixes, 0xFFFE introduces UTF-16LE.
  std::string ReadString();
  // Steps over a counted string without converting it.
  void SkipString();

  uint64_t Position() const { return total_ - Remaining(); }
  // The bytes from `start` up to the read position, sharing the memory read; empty when the
  // source is not shared.
  SharedBytes SharedSince(uint64_t start) const;
  bool KeepsBytes() const { return !shared_.empty(); }
  uint64_t Remaining() const { return static_cast<uint64_t>(end_ - cur_) + fileLeft_; }
  // Throws ArchiveEndOfData unless count records of at least minBytesEach can still follow.
  void RequireCount(uint64_t count, uint64_t minBytesEach) const;

 private:
  uint64_t ReadLength();
  // The length prefix of a counted string: its text's size in bytes, checked against what the
  // source holds; wide says the text is UTF-16LE.
  uint64_t ReadStringBytes(bool& wide);
  void Require(uint64_t n) const;
  void Refill();

  const uint8_t* cur_ = nullptr;
  const uint8_t* end_ = nullptr;
  uint64_t total_ = 0;
  uint64_t fileLeft_ = 0;  // bytes of the file not yet in the buffer
  uint64_t filePos_ = 0;   // where they start
  ReadableFile* file_ = nullptr;
  std::vector<uint8_t> block_;
  const CodePage* codePage_ = nullptr;
  SharedBytes shared_;  // the memory read, when it is shared
};

}  // namespace qlm
