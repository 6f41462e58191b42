#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "document/ArchiveError.h"
#include "document/ArchiveReader.h"
#include "document/ArchiveWriter.h"
#include "document/Inflate.h"
#include "document/WideText.h"
#include "platform/ReadableFile.h"

namespace qlm {
namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> list) {
  std::vector<uint8_t> out;
  for (int b : list)
    out.push_back(static_cast<uint8_t>(b));
  return out;
}

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::string& tail) {
  a.insert(a.end(), tail.begin(), tail.end());
  return a;
}

struct StringCase {
  const char* what;
  std::vector<uint8_t> stream;
  std::string expected;
};

TEST(ArchiveReaderStrings, DecodesEveryLengthPrefix) {
  const std::vector<StringCase> cases = {
      {"short", Concat(Bytes({5}), "hello"), "hello"},
      {"empty", Bytes({0}), ""},
      {"u16 length", Concat(Bytes({0xFF, 0x05, 0x00}), "hello"), "hello"},
      {"u32 length", Concat(Bytes({0xFF, 0xFF, 0xFF, 0x05, 0x00, 0x00, 0x00}), "hello"), "hello"},
      {"wide", Bytes({0xFF, 0xFE, 0xFF, 0x03, 'a', 0, 0xE9, 0, 0xAC, 0x20}), "a\xE9\x80"},
      {"wide, u16 length", Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0x01, 0x00, 'Z', 0}), "Z"},
      {"wide, unmappable", Bytes({0xFF, 0xFE, 0xFF, 0x02, 0x2D, 0x4E, 'x', 0}), "?x"},
      {"wide, surrogate pair is one character",
       Bytes({0xFF, 0xFE, 0xFF, 0x03, 0x3D, 0xD8, 0x00, 0xDE, '!', 0}), "?!"},
      {"wide, lone surrogate", Bytes({0xFF, 0xFE, 0xFF, 0x01, 0x00, 0xDC}), "?"},
  };
  for (const StringCase& c : cases) {
    ArchiveReader reader(c.stream);
    EXPECT_EQ(reader.ReadString(), c.expected) << c.what;
    EXPECT_EQ(reader.Remaining(), 0u) << c.what;
  }
}

TEST(ArchiveReaderStrings, TwoWideMarkersAreDamage) {
  const auto stream = Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF, 0x00});
  ArchiveReader reader(stream);
  EXPECT_THROW(reader.ReadString(), ArchiveDamaged);
}

TEST(ArchiveWriterStrings, ChoosesTheShortestPrefix) {
  struct Case {
    size_t length;
    std::vector<uint8_t> prefix;
  };
  const std::vector<Case> cases = {
      {0, Bytes({0x00})},
      {254, Bytes({0xFE})},
      {255, Bytes({0xFF, 0xFF, 0x00})},
      {0xFFFD, Bytes({0xFF, 0xFD, 0xFF})},
      {0xFFFE, Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
      {70000, Bytes({0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00})},
  };
  for (const Case& c : cases) {
    ArchiveWriter writer;
    const std::string text(c.length, 'q');
    writer.WriteString(text);
    const auto& out = writer.Bytes();
    ASSERT_EQ(out.size(), c.prefix.size() + c.length) << c.length;
    EXPECT_TRUE(std::equal(c.prefix.begin(), c.prefix.end(), out.begin())) << c.length;
    ArchiveReader reader(out);
    EXPECT_EQ(reader.ReadString(), text) << c.length;
  }
}

TEST(ArchiveWriterStrings, WideStringReadsBackInTheCodePage) {
  ArchiveWriter writer;
  writer.WriteWideString(Windows1252ToUtf16("Caf\xE9 \x80 \x9F"));
  writer.WriteWideString(u"\u4E2D");
  EXPECT_EQ(std::vector<uint8_t>(writer.Bytes().begin(), writer.Bytes().begin() + 4),
            Bytes({0xFF, 0xFE, 0xFF, 8}));
  ArchiveReader reader(writer.Bytes());
  EXPECT_EQ(reader.ReadString(), "Caf\xE9 \x80 \x9F");
  EXPECT_EQ(reader.ReadString(), "?");
}

TEST(ArchiveReader, PrimitivesAreLittleEndian) {
  ArchiveWriter writer;
  writer.WriteU8(0xAB);
  writer.WriteU32(0x01020304);
  writer.WriteI32(-2);
  writer.WriteF64(-1.25);
  const auto& b = writer.Bytes();
  EXPECT_EQ(std::vector<uint8_t>(b.begin(), b.begin() + 9),
            Bytes({0xAB, 4, 3, 2, 1, 0xFE, 0xFF, 0xFF, 0xFF}));
  ArchiveReader reader(b);
  EXPECT_EQ(reader.ReadU8(), 0xAB);
  EXPECT_EQ(reader.ReadU32(), 0x01020304u);
  EXPECT_EQ(reader.ReadI32(), -2);
  EXPECT_EQ(reader.ReadF64(), -1.25);
  EXPECT_EQ(reader.Remaining(), 0u);
}

TEST(ArchiveReader, ShortReadsThrowWithoutConsuming) {
  const auto stream = Bytes({1, 2, 3});
  ArchiveReader reader(stream);
  EXPECT_THROW(reader.ReadU32(), ArchiveEndOfData);
  EXPECT_THROW(reader.ReadF64(), ArchiveEndOfData);
  EXPECT_THROW(reader.ReadBytes(4), ArchiveEndOfData);
  EXPECT_THROW(reader.Skip(4), ArchiveEndOfData);
  EXPECT_EQ(reader.Remaining(), 3u);
  EXPECT_EQ(reader.ReadU8(), 1);
}

TEST(ArchiveReader, HugeLengthsFailBeforeAnythingIsReserved) {
  // A 4 GB string, a 4 GB block and a count of 4 billion records in a tiny source.
  const auto stream = Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b'});
  ArchiveReader reader(stream);
  EXPECT_THROW(reader.ReadString(), ArchiveEndOfData);
  EXPECT_THROW(reader.ReadBytes(0xFFFFFFFFull), ArchiveEndOfData);
  EXPECT_THROW(reader.RequireCount(0xFFFFFFFFull, 1), ArchiveEndOfData);
  const auto wide = Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F});
  ArchiveReader wideReader(wide);
  EXPECT_THROW(wideReader.ReadString(), ArchiveEndOfData);
}

// An open file held in memory; it can shrink after it was opened, as a file on disk can.
class MemoryFile : public ReadableFile {
 public:
  explicit MemoryFile(std::vector<uint8_t> bytes)
      : bytes_(std::move(bytes)), size_(bytes_.size()) {}
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t offset, std::span<uint8_t> out) override {
    if (offset > bytes_.size() || out.size() > bytes_.size() - offset)
      return false;
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
    return true;
  }
  void Shrink(size_t size) { bytes_.resize(size); }

 private:
  std::vector<uint8_t> bytes_;
  uint64_t size_;
};

TEST(ArchiveReader, FileReaderMatchesMemoryAcrossBlockBoundaries) {
  std::vector<uint8_t> data(3 * ArchiveReader::kBlockSize + 123);
  std::mt19937 rng(7);
  for (auto& b : data)
    b = static_cast<uint8_t>(rng());
  MemoryFile source(data);
  ArchiveReader file(source);
  ArchiveReader memory(data);
  // Mixed read sizes: small ones straddle the 4096-byte blocks, a large one bypasses them.
  const std::vector<size_t> sizes = {1, 4, 4090, 8, 5000, 3, 1, 2000, 7};
  for (size_t n : sizes) {
    if (n == 4) {
      EXPECT_EQ(file.ReadU32(), memory.ReadU32());
    } else if (n == 3) {
      file.Skip(3);
      memory.Skip(3);
    } else {
      EXPECT_EQ(file.ReadBytes(n), memory.ReadBytes(n)) << n;
    }
    EXPECT_EQ(file.Position(), memory.Position());
  }
  EXPECT_EQ(file.Remaining(), memory.Remaining());
  EXPECT_EQ(file.ReadBytes(file.Remaining()), memory.ReadBytes(memory.Remaining()));
  EXPECT_THROW(file.ReadU8(), ArchiveEndOfData);
}

TEST(ArchiveReader, FileThatShrinksWhileReadEndsTheData) {
  MemoryFile source(std::vector<uint8_t>(3 * ArchiveReader::kBlockSize, 1));
  ArchiveReader reader(source);
  EXPECT_EQ(reader.ReadBytes(10).size(), 10u);
  source.Shrink(ArchiveReader::kBlockSize + 5);
  EXPECT_THROW(reader.ReadBytes(2 * ArchiveReader::kBlockSize), ArchiveEndOfData);
}

TEST(Inflate, ExactStreamsSucceedAndFailuresKeepThePartialOutput) {
  std::vector<uint8_t> raw(100000);
  for (size_t i = 0; i < raw.size(); ++i)
    raw[i] = static_cast<uint8_t>(i / 100);
  const std::vector<uint8_t> packed = DeflateZlib(raw);

  InflateResult ok = InflateZlib(packed, raw.size());
  EXPECT_TRUE(ok.ok);
  EXPECT_EQ(ok.bytes, raw);

  // More expected than the stream holds: all of it, flagged.
  InflateResult shortStream = InflateZlib(packed, raw.size() + 10);
  EXPECT_FALSE(shortStream.ok);
  EXPECT_EQ(shortStream.bytes, raw);

  // Less expected than the stream holds: the expected amount, flagged.
  InflateResult longStream = InflateZlib(packed, 1000);
  EXPECT_FALSE(longStream.ok);
  EXPECT_EQ(longStream.bytes, std::vector<uint8_t>(raw.begin(), raw.begin() + 1000));

  // A cut stream: a prefix of the output, flagged.
  std::vector<uint8_t> cut(packed.begin(), packed.begin() + packed.size() / 2);
  InflateResult partial = InflateZlib(cut, raw.size());
  EXPECT_FALSE(partial.ok);
  ASSERT_LT(partial.bytes.size(), raw.size());
  EXPECT_TRUE(std::equal(partial.bytes.begin(), partial.bytes.end(), raw.begin()));

  // A 4 GB claim backed by a few bytes: refused without reserving the claim.
  InflateResult bogus = InflateZlib(cut, 0xFFFFFFFFull);
  EXPECT_FALSE(bogus.ok);
  EXPECT_LT(bogus.bytes.capacity(), 64u * 1024 * 1024);

  const auto garbage = Bytes({1, 2, 3, 4, 5});
  EXPECT_FALSE(InflateZlib(garbage, 10).ok);
}

}  // namespace
}  // namespace qlm
