#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "document/ArchiveWriter.h"
#include "document/CompressedBlock.h"
#include "document/StoredImage.h"
#include "graphics/Geometry.h"

namespace qlm {

// The writing side of a record layout (see RecordLayout.h): each call stores the value of the
// record's member it is given, in the form a reader of the version reads.
class FieldWriter {
 public:
  static constexpr bool kReading = false;

  FieldWriter(ArchiveWriter& archive, int32_t version) : archive_(archive), version_(version) {}

  int32_t Version() const { return version_; }
  ArchiveWriter& Archive() { return archive_; }

  void U8(const uint8_t& v) { archive_.WriteU8(v); }
  void U32(const uint32_t& v) { archive_.WriteU32(v); }
  void I32(const int32_t& v) { archive_.WriteI32(v); }
  void F64(const double& v) { archive_.WriteF64(v); }
  void Text(const std::string& v) { archive_.WriteString(v); }
  void Flag8(const bool& v) { archive_.WriteU8(v ? 1 : 0); }
  void Flag32(const bool& v) { archive_.WriteU32(v ? 1 : 0); }
  void Point(const IntPoint& p) {
    archive_.WriteI32(p.x);
    archive_.WriteI32(p.y);
  }
  void Bytes(std::span<const uint8_t> fixed) { archive_.WriteBytes(fixed); }
  void SizedBytes(const std::vector<uint8_t>& v) {
    archive_.WriteU32(static_cast<uint32_t>(v.size()));
    archive_.WriteBytes(v);
  }

  void UnusedU32(int count = 1, uint32_t written = 0) {
    for (int i = 0; i < count; ++i)
      archive_.WriteU32(written);
  }
  void UnusedText(int count = 1) {
    for (int i = 0; i < count; ++i)
      archive_.WriteString("");
  }
  void UnusedU32List() { archive_.WriteU32(0); }

  template <class Count = uint32_t, class T, class Each>
  void List(const std::vector<T>& items, uint64_t /*minBytesEach*/, Each&& each) {
    archive_.WriteU32(static_cast<uint32_t>(static_cast<Count>(items.size())));
    for (const T& item : items)
      each(item);
  }

  void PageImage(const StoredImage& image) { WritePageImage(archive_, image); }
  void ObjectImage(const ObjectImageData& image, uint32_t /*width*/, uint32_t /*height*/) {
    WriteObjectImageData(archive_, image);
  }
  void RawImage(const StoredImage& image, uint32_t /*width*/, uint32_t /*height*/) {
    WriteRawPixels(archive_, image);
  }
  void Compressed(const CompressedBlock& block, std::string_view /*failMessage*/) {
    WriteCompressedBlock(archive_, block);
  }

 private:
  ArchiveWriter& archive_;
  int32_t version_;
};

}  // namespace qlm
