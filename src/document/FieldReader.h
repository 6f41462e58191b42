#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "document/ArchiveReader.h"
#include "document/CompressedBlock.h"
#include "document/LoadContext.h"
#include "document/StoredImage.h"
#include "graphics/Geometry.h"

namespace qlm {

// How much of a record a reader keeps.
enum class ReadDepth : uint8_t {
  kWhole,  // every field, into the record
  // Only what decides the layout (counts, flags, type codes, sizes), with every check that can
  // abandon a load: texts, byte blocks and compressed blocks are stepped over, list items are
  // read into one scratch item in turn, and pictures are kept packed. Finds where a record ends
  // and whether it is sound, at a fraction of the cost of reading it.
  kSkim,
};

// The reading side of a record layout (see RecordLayout.h): each call reads one stored field
// into the record's member it is given.
class FieldReader {
 public:
  static constexpr bool kReading = true;

  FieldReader(ArchiveReader& archive, LoadContext& ctx, ReadDepth depth = ReadDepth::kWhole)
      : archive_(archive), ctx_(ctx), skim_(depth == ReadDepth::kSkim) {}

  int32_t Version() const { return ctx_.version; }
  ArchiveReader& Archive() { return archive_; }
  LoadContext& Context() { return ctx_; }

  void U8(uint8_t& v) { v = archive_.ReadU8(); }
  void U32(uint32_t& v) { v = archive_.ReadU32(); }
  void I32(int32_t& v) { v = archive_.ReadI32(); }
  void F64(double& v) { v = archive_.ReadF64(); }
  void Text(std::string& v) {
    if (skim_)
      archive_.SkipString();
    else
      v = archive_.ReadString();
  }
  // A flag stored as one byte or as four: any value but 0 is set.
  void Flag8(bool& v) { v = archive_.ReadU8() != 0; }
  void Flag32(bool& v) { v = archive_.ReadU32() != 0; }
  void Point(IntPoint& p) {
    p.x = archive_.ReadI32();
    p.y = archive_.ReadI32();
  }
  void Bytes(std::span<uint8_t> fixed) { archive_.ReadInto(fixed); }
  // A u32 length, then that many bytes.
  void SizedBytes(std::vector<uint8_t>& v) {
    const uint32_t n = archive_.ReadU32();
    if (skim_)
      archive_.Skip(n);
    else
      v = archive_.ReadBytes(n);
  }

  // Fields nobody keeps: read past them. The writer stores `written` in each.
  void UnusedU32(int count = 1, uint32_t /*written*/ = 0) {
    for (int i = 0; i < count; ++i)
      archive_.ReadU32();
  }
  void UnusedText(int count = 1) {
    for (int i = 0; i < count; ++i)
      archive_.ReadString();
  }
  // A counted list of u32 values; the writer stores an empty one.
  void UnusedU32List() {
    const uint32_t n = archive_.ReadU32();
    archive_.RequireCount(n, 4);
    archive_.Skip(uint64_t(n) * 4);
  }

  // A count of type Count, then the items, each visited by each(item). The count is checked
  // against what the source still holds (minBytesEach per item) before anything is made; a
  // signed count below 1 reads as no items.
  template <class Count = uint32_t, class T, class Each>
  void List(std::vector<T>& items, uint64_t minBytesEach, Each&& each) {
    Count count{};
    if constexpr (std::is_signed_v<Count>)
      count = static_cast<Count>(archive_.ReadI32());
    else
      count = archive_.ReadU32();
    items.clear();
    if (count <= 0)
      return;
    const uint64_t n = static_cast<uint64_t>(count);
    archive_.RequireCount(n, minBytesEach);
    if (skim_) {
      T scratch{};
      for (uint64_t i = 0; i < n; ++i)
        each(scratch);
      return;
    }
    if (sizeof(T) <= minBytesEach)  // only as much memory as the source backs
      items.reserve(n);
    for (uint64_t i = 0; i < n; ++i)
      each(items.emplace_back());
  }

  // Leaf formats with their own codecs.
  void PageImage(StoredImage& image) { image = ReadPageImage(archive_, ctx_); }
  void ObjectImage(ObjectImageData& image, uint32_t width, uint32_t height) {
    image = ReadObjectImageData(archive_, ctx_, width, height);
  }
  void RawImage(StoredImage& image, uint32_t width, uint32_t height) {
    image = ReadRawStoredImage(archive_, ctx_, width, height);
  }
  // Decodes a picture kept packed, for a conversion that needs its pixels while reading.
  void DecodeNow(StoredImage& image) {
    if (!skim_)
      qlm::DecodeNow(image, ctx_);
  }
  // A failed inflate shows failMessage and keeps what the stream produced.
  void Compressed(CompressedBlock& block, std::string_view failMessage) {
    if (skim_)
      SkipCompressedBlock(archive_);
    else
      block = ReadCompressedBlock(archive_, ctx_, std::string(failMessage));
  }

 private:
  ArchiveReader& archive_;
  LoadContext& ctx_;
  bool skim_;
};

}  // namespace qlm
