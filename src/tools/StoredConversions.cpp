#include "tools/StoredConversions.h"

#include <algorithm>
#include <tuple>

namespace qlm {

namespace {

int32_t Shift(int32_t v, int32_t by) {  // wraps the way the reader's adjustment wraps
  return static_cast<int32_t>(static_cast<uint32_t>(v) + static_cast<uint32_t>(by));
}

// The reader widens an 8-bit mask of old video objects to 24 bits (each byte 255 - mask) from
// the last pixel backwards; store the mask bytes that widen to these pixels.
void NarrowMask(Image24& image) {
  const size_t count =
      std::min<uint64_t>(uint64_t(image.width) * image.height, image.pixels.size() / 3);
  for (size_t i = 0; i < count; ++i) {
    image.pixels[i] = static_cast<uint8_t>(255 - image.pixels[3 * i]);
  }
}

void UndoObject(ObjectRecord& o, int32_t v) {
  if (o.typeCode == kObjLine) {
    if (v < 26) {
      o.rect.right = Shift(o.rect.right, -1);
      o.rect.bottom = Shift(o.rect.bottom, -1);
    }
    if (v < 25) {
      o.rect = {Shift(o.rect.left, -4), Shift(o.rect.top, -4), Shift(o.rect.right, 4),
                Shift(o.rect.bottom, 4)};
    }
  }
  if (o.typeCode == kObjVideo) {
    if (v < 22) {
      // The reader moves value 1 to 16, value 19 to 14 and script 2 to 4.
      o.values[1] = o.values[16];
      o.values[19] = o.values[14];
      o.scripts[2] = o.scripts[4];
    }
    if (v < 23 && o.stateImages[3].present) {
      NarrowMask(o.stateImages[3].stored.data.image);
    }
  }
}

void UndoPage(PageRecord& page, int32_t v) {
  for (ObjectRecord& o : page.objects) {
    UndoObject(o, v);
  }
}

std::string Quoted(const std::string& name) {
  return "\"" + name + "\"";
}

std::string PageDifference(const PageRecord& a, const PageRecord& b, const std::string& label) {
  if (a == b) {
    return "";
  }
  const size_t n = std::min(a.objects.size(), b.objects.size());
  for (size_t i = 0; i < n; ++i) {
    if (!(a.objects[i] == b.objects[i])) {
      return label + ", object " + std::to_string(i + 1) + " " + Quoted(a.objects[i].name);
    }
  }
  return label;
}

}  // namespace

Project UndoReadConversions(const Project& project, int32_t version) {
  Project out = project;
  for (PageRecord& page : out.pages) {
    UndoPage(page, version);
  }
  UndoPage(out.masterPage, version);
  UndoPage(out.masterLayer, version);
  return out;
}

std::string FirstDifference(const Project& a, const Project& b) {
  if (!(a.settings == b.settings)) {
    return "the settings";
  }
  if (a.pages.size() != b.pages.size()) {
    return "the number of pages";
  }
  for (size_t i = 0; i < a.pages.size(); ++i) {
    std::string d = PageDifference(a.pages[i], b.pages[i],
                                   "page " + std::to_string(i + 1) + " " + Quoted(a.pages[i].name));
    if (!d.empty()) {
      return d;
    }
  }
  for (const auto& [pa, pb, label] :
       {std::tuple{&a.masterPage, &b.masterPage, "the Master Page"},
        std::tuple{&a.masterLayer, &b.masterLayer, "the Master Layer"}}) {
    std::string d = PageDifference(*pa, *pb, label);
    if (!d.empty()) {
      return d;
    }
  }
  if (!(a.sounds == b.sounds)) {
    return "the embedded sounds";
  }
  if (!(a == b)) {
    return "the window shape";
  }
  return "";
}

}  // namespace qlm
