#include "player/PagePainter.h"

#include "document/ObjectFields.h"
#include "graphics/SaturatingRect.h"

namespace qlm {

void PagePainter::Paint(Surface& target, IntPoint origin, const IntRect& box,
                        const PageRecord* current, const PageComposition& layers,
                        const FrameSettings& settings, PaintRuntime& runtime) {
  if (!current)
    return;
  Canvas canvas(target, origin);
  canvas.SetClip(box);
  if (canvas.Clip().Empty())
    return;
  const IntRect client{0, 0, settings.clientWidth, settings.clientHeight};
  // What lies under an opaque object over the whole box never shows: drawing starts with it.
  const std::optional<LayerObject> cover = TopCover(canvas.Clip(), layers, runtime);
  if (!settings.noBackground && !cover) {
    canvas.FillRect(canvas.Clip(), current->backgroundColour & 0xFFFFFF);
    if (layers.background)
      DrawBackground(canvas, *layers.background, client);
  }
  for (size_t layer = 0; layer < layers.objectLayers.size(); ++layer) {
    if (const PageRecord* page = layers.objectLayers[layer]) {
      size_t first = 0;
      if (cover)
        first = layer < cover->layer    ? page->objects.size()
                : layer == cover->layer ? cover->index
                                        : 0;
      DrawObjects(canvas, *page, runtime, first);
    }
  }
  if (settings.frameBorder)
    canvas.FrameRect(client, 0x000000);
}

void PagePainter::DrawBackground(Canvas& canvas, const PageRecord& page, const IntRect& area) {
  const Image24& image = page.image.Pixels();
  // A tiled picture with all its pixels covers the whole area: the colour beneath never shows.
  const bool covered = page.hasImage && !image.Empty() && page.tileImage &&
                       image.pixels.size() / 3 >= uint64_t{image.width} * image.height;
  if (!covered)
    canvas.FillRect(area, page.backgroundColour & 0xFFFFFF);
  if (!page.hasImage || image.Empty())
    return;
  if (page.tileImage) {
    canvas.TileImage(image, area);
  } else {
    canvas.DrawImage(image,
                     IntRect::FromSize(area.left, area.top,
                                       static_cast<int32_t>(std::min(image.width, 1u << 28)),
                                       static_cast<int32_t>(std::min(image.height, 1u << 28))));
  }
}

std::optional<PagePainter::LayerObject> PagePainter::TopCover(const IntRect& box,
                                                              const PageComposition& layers,
                                                              PaintRuntime& runtime) {
  for (size_t layer = layers.objectLayers.size(); layer-- > 0;) {
    const PageRecord* page = layers.objectLayers[layer];
    if (!page)
      continue;
    for (size_t i = page->objects.size(); i-- > 0;) {
      const ObjectRecord& object = page->objects[i];
      // Only videos cover: their state is worth asking for.
      if (object.noImages == 0 && object.typeCode == kObjVideo &&
          ObjectPainter::CoversOpaquely(object, runtime.StateOf(object), box))
        return LayerObject{layer, i};
    }
  }
  return std::nullopt;
}

void PagePainter::DrawObjects(Canvas& canvas, const PageRecord& page, PaintRuntime& runtime,
                              size_t first) {
  if (const std::vector<uint32_t>* near = indexes_.ObjectsIn(page, canvas.Clip(), runtime)) {
    for (uint32_t i : *near)
      DrawObjectAt(canvas, page, i, runtime, i < first);
    return;
  }
  for (size_t i = 0; i < page.objects.size(); ++i)
    DrawObjectAt(canvas, page, i, runtime, i < first);
}

void PagePainter::DrawObjectAt(Canvas& canvas, const PageRecord& page, size_t i,
                               PaintRuntime& runtime, bool covered) {
  const ObjectRecord& object = page.objects[i];
  if (object.noImages == 0) {
    const ObjectPaintState state = runtime.StateOf(object);
    if (!covered || object.typeCode == kObjPlugIn)
      objects_.DrawObject(canvas, object, state, runtime);
    if (state.holdsChildWindow && ObjectPainter::IsWindowedKind(object.typeCode))
      UpdateChildWindow(page, i, ObjectPainter::ObjectRect(object, state), runtime);
    return;
  }
  // An alias: the source is drawn at the alias's position, even when the source is hidden.
  if (IsHidden(object))
    return;
  const ObjectRecord* source = runtime.FindAliasSource(page, object.text);
  if (!source || source == &object || (covered && source->typeCode != kObjPlugIn))
    return;
  ObjectPaintState state = runtime.StateOf(*source);
  state.offsetX = SaturateToInt32(int64_t{object.rect.left} - source->rect.left);
  state.offsetY = SaturateToInt32(int64_t{object.rect.top} - source->rect.top);
  objects_.DrawObject(canvas, *source, state, runtime, {.ignoreHidden = true});
}

void PagePainter::UpdateChildWindow(const PageRecord& page, size_t index, const IntRect& rect,
                                    PaintRuntime& runtime) {
  std::vector<IntRect> covered;
  for (size_t j = index + 1; j < page.objects.size(); ++j) {
    const ObjectRecord& above = page.objects[j];
    if (!ObjectPainter::IsShown(above))
      continue;
    const IntRect r = ObjectPainter::ObjectRect(above, runtime.StateOf(above));
    if (r.Intersects(rect))
      covered.push_back(r.Intersect(rect));
  }
  runtime.SetChildWindowRegion(page.objects[index], rect, covered);
}

}  // namespace qlm
