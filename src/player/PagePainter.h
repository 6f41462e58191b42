#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "document/PageManager.h"
#include "graphics/Canvas.h"
#include "graphics/Geometry.h"
#include "graphics/Surface.h"
#include "player/ObjectPainter.h"
#include "player/PageIndexes.h"
#include "player/PaintRuntime.h"

namespace qlm {

// Window settings that change how a frame is composed.
struct FrameSettings {
  int clientWidth = 0;  // the page area
  int clientHeight = 0;
  bool noBackground = false;  // neither the colour fill nor the background image
  bool frameBorder = false;   // a 1-pixel black frame along the inside of the client area
};

// Composes frames: the background page, then the objects of each layer in drawing order, then
// the frame border. Only the update box is drawn, so partial repaints cost what they cover.
class PagePainter {
 public:
  explicit PagePainter(ObjectPainter& objects) : objects_(objects) {}

  // Draws the box (client coordinates) of the frame into `target`, whose top-left pixel shows
  // the client point `origin`: a box-sized off-screen surface has origin = the box's top-left,
  // a whole frame has origin (0, 0). `page` is the current page's background colour source;
  // nothing is drawn without a current page.
  void Paint(Surface& target, IntPoint origin, const IntRect& box, const PageRecord* current,
             const PageComposition& layers, const FrameSettings& settings, PaintRuntime& runtime);

  // The background of a page: its colour over the page area, then its image at the top-left
  // corner or tiled.
  void DrawBackground(Canvas& canvas, const PageRecord& page, const IntRect& area);

  // The objects of one page in list order; aliases show their source at their own position.
  // Those before `first` lie under a cover and are left out, but plug-ins are still asked to
  // draw themselves and child windows still learn what covers them. When the runtime tells its
  // layout revision, a small clip asks only the objects near it.
  void DrawObjects(Canvas& canvas, const PageRecord& page, PaintRuntime& runtime, size_t first = 0);

 private:
  struct LayerObject {
    size_t layer = 0;
    size_t index = 0;
  };
  // The topmost object that hides everything beneath it over the whole box.
  static std::optional<LayerObject> TopCover(const IntRect& box, const PageComposition& layers,
                                             PaintRuntime& runtime);
  void DrawObjectAt(Canvas& canvas, const PageRecord& page, size_t index, PaintRuntime& runtime,
                    bool covered);
  void UpdateChildWindow(const PageRecord& page, size_t index, const IntRect& rect,
                         PaintRuntime& runtime);

  ObjectPainter& objects_;
  PageIndexes indexes_;
};

}  // namespace qlm
