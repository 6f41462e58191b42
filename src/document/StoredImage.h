#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "document/PackedPicture.h"
#include "graphics/Image24.h"

namespace qlm {

class ArchiveReader;
class ArchiveWriter;
struct LoadContext;

inline constexpr uint64_t kMaxImageBytes =
    75'000'000;  // larger images and packed blocks are refused
inline constexpr uint32_t kPackedImageMarker = 600000;        // stands where a width would be
inline constexpr uint32_t kZlibImageMarker = 4'000'000'000u;  // stands where a length would be

// How an image's pixels are stored.
enum class ImageForm : uint8_t {
  Raw,      // width x height x 3 bytes as they are
  Packed,   // page images: the packed form with length 0, then raw bytes
  Zlib,     // a zlib stream of the raw bytes
  Encoded,  // an encoded image file (JPEG, PNG or TIFF)
};

// An image as a record stores it: the pixels and the form they were stored in. A document
// read for showing keeps the stored bytes instead (`packed`), decoded when first drawn.
struct StoredImage {
  ImageForm form = ImageForm::Raw;
  Image24 image;                 // the pixels; empty while `packed` holds them undecoded
  std::vector<uint8_t> encoded;  // the file of the Encoded form as stored; empty: encode on write
  std::shared_ptr<const PackedPicture> packed;

  // The pixels, decoding a packed picture (valid until its store's next Trim).
  const Image24& Pixels() const { return packed ? packed->Pixels() : image; }
  // The size the record gives, without decoding.
  uint32_t Width() const { return packed ? packed->Layout().width : image.width; }
  uint32_t Height() const { return packed ? packed->Layout().height : image.height; }
  // The image file of the Encoded form as stored.
  std::span<const uint8_t> EncodedFile() const {
    return packed && form == ImageForm::Encoded ? packed->Stored() : std::span(encoded);
  }
  bool operator==(const StoredImage&) const = default;
};

// width x height x 3 in 64 bits, saturating instead of wrapping.
uint64_t PixelBytes(uint32_t width, uint32_t height);

// The background image of a page record (raw, or the packed form after the 600000 marker).
StoredImage ReadPageImage(ArchiveReader& reader, LoadContext& ctx);
void WritePageImage(ArchiveWriter& writer, const StoredImage& image);

// One image in the object image format: u32 method, then its data. width and height come
// from the image header and are replaced by those of an encoded file.
struct ObjectImageData {
  uint32_t method = 2;
  StoredImage data;

  bool operator==(const ObjectImageData&) const = default;
};
ObjectImageData ReadObjectImageData(ArchiveReader& reader, LoadContext& ctx, uint32_t width,
                                    uint32_t height);
void WriteObjectImageData(ArchiveWriter& writer, const ObjectImageData& image);

// Raw pixels: exactly width x height x 3 bytes.
Image24 ReadRawImage(ArchiveReader& reader, uint32_t width, uint32_t height);
// The same kept packed when the context reads pictures for showing.
StoredImage ReadRawStoredImage(ArchiveReader& reader, LoadContext& ctx, uint32_t width,
                               uint32_t height);
void WriteRawPixels(ArchiveWriter& writer, const Image24& image);
void WriteRawPixels(ArchiveWriter& writer, const StoredImage& image);

// Decodes a packed picture now (a reader that changes the pixels needs them); damage is shown
// through the context.
void DecodeNow(StoredImage& image, LoadContext& ctx);

}  // namespace qlm
