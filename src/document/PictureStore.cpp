#include "document/PictureStore.h"

#include <string>

#include "document/PackedPicture.h"
#include "platform/Dialogs.h"

namespace qlm {

namespace {

uint64_t Footprint(const Image24& image) {
  return image.pixels.capacity();
}

uint64_t DecodedSize(const PictureLayout& layout) {
  if (layout.coding == PictureCoding::Zlib)
    return layout.unpackedSize;
  return uint64_t{layout.width} * layout.height * 3;
}

}  // namespace

bool PictureStore::Holds(const PackedPicture& picture) const {
  return index_.contains(picture.Id());
}

PictureStore::Entries::iterator PictureStore::Decode(const PackedPicture& picture,
                                                     Entries::iterator where) {
  DecodedPicture decoded = picture.Decode();
  picture.LetGoOfStored();
  const auto entry = entries_.insert(where, Entry{picture.Id(), std::move(decoded.image)});
  index_.emplace(picture.Id(), entry);
  held_ += Footprint(entry->image);
  if (!decoded.message.empty() && reported_.insert(picture.Id()).second && dialogs_)
    dialogs_->Message(std::string(decoded.message));
  return entry;
}

const Image24& PictureStore::Pixels(const PackedPicture& picture) {
  const auto found = index_.find(picture.Id());
  if (found == index_.end())
    return Decode(picture, entries_.begin())->image;
  entries_.splice(entries_.begin(), entries_, found->second);
  return found->second->image;
}

bool PictureStore::DecodeAhead(const PackedPicture& picture) {
  if (Holds(picture))
    return true;
  if (held_ + DecodedSize(picture.Layout()) > budget_)
    return false;
  // Not drawn yet: it is the first to go should the budget run short.
  Decode(picture, entries_.end());
  return true;
}

void PictureStore::Trim() {
  while (held_ > budget_ && !entries_.empty()) {
    const Entry& last = entries_.back();
    held_ -= Footprint(last.image);
    index_.erase(last.id);
    entries_.pop_back();
  }
}

void PictureStore::Forget(uint64_t id) {
  reported_.erase(id);
  const auto found = index_.find(id);
  if (found == index_.end())
    return;
  held_ -= Footprint(found->second->image);
  entries_.erase(found->second);
  index_.erase(found);
}

}  // namespace qlm
