#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "graphics/Image24.h"
#include "platform/SharedBytes.h"

namespace qlm {

class PictureStore;

// How the stored bytes of a picture become pixels.
enum class PictureCoding : uint8_t {
  Raw,        // the pixels as they are
  Zlib,       // a zlib stream of the pixels
  ImageFile,  // a JPEG, PNG or TIFF file
  Jpeg,       // a JPEG file
};

struct PictureLayout {
  PictureCoding coding = PictureCoding::Raw;
  uint32_t width = 0;  // as the record gives them; an image file brings its own
  uint32_t height = 0;
  uint64_t unpackedSize = 0;  // what a zlib stream must inflate to
  bool keepPartial = false;   // a zlib stream that fails keeps what it produced
};

// A picture turned into pixels, and the message its damage calls for (empty: none).
struct DecodedPicture {
  Image24 image;
  std::string_view message;
};

// Decodes the stored bytes of a picture. Damage gives the image the player shows for it
// (empty, or what a broken stream produced) and the message to show.
DecodedPicture DecodePicture(const PictureLayout& layout, std::span<const uint8_t> stored);

// A picture as the document stores it, pointing into the document's bytes: decoded when its
// pixels are first asked for, into the store's memory-bounded cache. Shared by the copies of a
// record, so an object and its aliases decode it once.
class PackedPicture {
 public:
  PackedPicture(std::shared_ptr<PictureStore> store, const PictureLayout& layout,
                SharedBytes stored);
  ~PackedPicture();
  PackedPicture(const PackedPicture&) = delete;
  PackedPicture& operator=(const PackedPicture&) = delete;

  const PictureLayout& Layout() const { return layout_; }
  // The bytes as stored, for writers that copy them unchanged.
  std::span<const uint8_t> Stored() const { return stored_.Span(); }
  // The pixels decoded from the stored bytes, or the damaged picture when the document no longer
  // holds them (a mapped file cut short since it was read).
  DecodedPicture Decode() const;
  // Done with the stored bytes for now (they have been decoded).
  void LetGoOfStored() const { stored_.LetGo(); }
  uint64_t Id() const { return id_; }
  // The pixels, decoded now if the store does not hold them. Valid until the store's next
  // Trim.
  const Image24& Pixels() const;
  PictureStore& Store() const { return *store_; }

 private:
  std::shared_ptr<PictureStore> store_;
  PictureLayout layout_;
  SharedBytes stored_;
  uint64_t id_;
};

}  // namespace qlm
