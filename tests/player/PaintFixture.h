#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "document/ObjectRecord.h"
#include "document/PageManager.h"
#include "document/PageRecord.h"
#include "graphics/Font.h"
#include "graphics/Surface.h"
#include "player/ObjectPainter.h"
#include "player/PagePainter.h"
#include "player/PaintRuntime.h"

namespace qlm::test {

// Run-time state given by object name; records what the painters report back.
class TestPaintRuntime : public PaintRuntime {
 public:
  std::map<std::string, ObjectPaintState> states;
  std::map<std::string, std::vector<uint8_t>> grids;
  std::map<std::string, std::pair<IntRect, std::vector<IntRect>>> childRegions;
  std::vector<std::string> plugInsAsked;
  bool plugInDraws = false;

  ObjectPaintState StateOf(const ObjectRecord& object) override {
    ObjectPaintState s;
    if (auto it = states.find(object.name); it != states.end())
      s = it->second;
    if (auto it = grids.find(object.name); it != grids.end())
      s.gridCells = &it->second;
    return s;
  }
  bool DrawPlugIn(const ObjectRecord& object, Canvas& canvas, const IntRect& rect) override {
    plugInsAsked.push_back(object.name);
    if (plugInDraws)
      canvas.FillRect(rect, 0x00FF00);
    return plugInDraws;
  }
  void SetChildWindowRegion(const ObjectRecord& object, const IntRect& rect,
                            const std::vector<IntRect>& covered) override {
    childRegions[object.name] = {rect, covered};
  }
};

inline ObjectRecord MakeObject(int32_t kind, IntRect rect, std::string name) {
  ObjectRecord o = ObjectRecord::Fresh();
  o.typeCode = kind;
  o.rect = rect;
  o.name = std::move(name);
  return o;
}

inline ObjectRecord Box(IntRect rect, uint32_t fill, std::string name = "Box") {
  ObjectRecord o = MakeObject(kObjRectangle, rect, std::move(name));
  o.colours[1] = fill;
  o.values[1] = 3;  // no border
  return o;
}

// w x h pixels of one colour (0x00BBGGRR), or a checkerboard of two.
inline Image24 Picture(uint32_t w, uint32_t h, uint32_t a, uint32_t b = 0xFFFFFFFF,
                       uint32_t cell = 4) {
  Image24 image{w, h, {}};
  for (uint32_t y = 0; y < h; ++y) {
    for (uint32_t x = 0; x < w; ++x) {
      const uint32_t c = (b != 0xFFFFFFFF && ((x / cell + y / cell) & 1)) ? b : a;
      image.pixels.insert(
          image.pixels.end(),
          {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c)});
    }
  }
  return image;
}

inline void SetImage(ObjectRecord& o, int n, Image24 image) {
  ObjectImage& slot = n == 0 ? o.mask : o.stateImages[static_cast<size_t>(n)];
  slot.present = true;
  slot.stored.data.image = std::move(image);
}

// Painters over one font cache, and helpers to paint a page.
class PaintFixture {
 public:
  PaintFixture() : objects_(fonts_, CodePage("WINDOWS-1252")), pages_(objects_) {}

  ObjectPainter& Objects() { return objects_; }
  PagePainter& Pages() { return pages_; }

  // The whole w x h frame of a page without masters.
  Surface Paint(const PageRecord& page, int w, int h, PaintRuntime& runtime) {
    PageComposition layers{&page, {&page}};
    return Paint(page, layers, w, h, runtime);
  }
  Surface Paint(const PageRecord& current, const PageComposition& layers, int w, int h,
                PaintRuntime& runtime, FrameSettings settings = {}) {
    Surface frame(w, h, 0x123456);
    settings.clientWidth = w;
    settings.clientHeight = h;
    pages_.Paint(frame, {0, 0}, {0, 0, w, h}, &current, layers, settings, runtime);
    return frame;
  }

 private:
  FontCache fonts_;
  ObjectPainter objects_;
  PagePainter pages_;
};

}  // namespace qlm::test
