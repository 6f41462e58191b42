#include "document/PagePictures.h"

#include "document/PictureStore.h"

namespace qlm {

void VisitPagePictures(const PageRecord& page,
                       const std::function<bool(const StoredImage&)>& visit) {
  if (page.hasImage != 0 && !visit(page.image))
    return;
  for (const ObjectRecord& object : page.objects) {
    for (const ObjectImage& image : object.stateImages) {
      if (image.present && !visit(image.stored.data))
        return;
    }
    if (object.mask.present && !visit(object.mask.stored.data))
      return;
  }
}

void DecodePageAhead(const PageRecord& page, PictureStore& store) {
  VisitPagePictures(page, [&store](const StoredImage& image) {
    return !image.packed || store.DecodeAhead(*image.packed);
  });
}

}  // namespace qlm
