#include "document/PackedPicture.h"

#include <utility>

#include "document/DocumentMessages.h"
#include "document/Inflate.h"
#include "document/PictureStore.h"
#include "graphics/ImageCodec.h"

namespace qlm {

DecodedPicture DecodePicture(const PictureLayout& layout, std::span<const uint8_t> stored) {
  DecodedPicture out;
  switch (layout.coding) {
    case PictureCoding::Raw:
      out.image = {layout.width, layout.height, std::vector<uint8_t>(stored.begin(), stored.end())};
      break;
    case PictureCoding::Zlib: {
      InflateResult inflated = InflateZlib(stored, layout.unpackedSize);
      if (!inflated.ok)
        out.message = msg::kUncompressFailed;
      if (inflated.ok || layout.keepPartial)
        out.image = {layout.width, layout.height, std::move(inflated.bytes)};
      break;
    }
    case PictureCoding::ImageFile:
      if (auto decoded = DecodeImageFile(stored))
        out.image = std::move(*decoded);
      break;
    case PictureCoding::Jpeg:
      if (auto decoded = DecodeJpeg(stored))
        out.image = std::move(*decoded);
      break;
  }
  return out;
}

PackedPicture::PackedPicture(std::shared_ptr<PictureStore> store, const PictureLayout& layout,
                             SharedBytes stored)
    : store_(std::move(store)), layout_(layout), stored_(std::move(stored)), id_(store_->NewId()) {}

PackedPicture::~PackedPicture() {
  store_->Forget(id_);
}

DecodedPicture PackedPicture::Decode() const {
  if (!stored_.StillBacked())
    return {Image24{}, msg::kCorrupted};
  return DecodePicture(layout_, stored_.Span());
}

const Image24& PackedPicture::Pixels() const {
  return store_->Pixels(*this);
}

}  // namespace qlm
