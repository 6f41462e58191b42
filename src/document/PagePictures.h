#pragma once

#include <functional>

#include "document/PageRecord.h"

namespace qlm {

class PictureStore;

// Calls `visit` with every picture of the page: the background, then each object's state
// images and mask. Stops when `visit` returns false.
void VisitPagePictures(const PageRecord& page,
                       const std::function<bool(const StoredImage&)>& visit);

// Decodes the packed pictures of a page that is about to be shown, in drawing order, as long
// as they fit the store's budget beside what it holds.
void DecodePageAhead(const PageRecord& page, PictureStore& store);

}  // namespace qlm
