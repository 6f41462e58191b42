#include "player/FrameComposer.h"

#include "player/CBubble.h"

namespace qlm {

ObjectPaintState PlayerPaintRuntime::StateOf(const ObjectRecord& object) {
  ObjectPaintState paint;
  if (const ObjectRunState* s = states_.Find(object)) {
    paint.offsetX = s->offsetX;
    paint.offsetY = s->offsetY;
    paint.highlight = s->highlight;
    if (s->listBox)
      paint.listBox = &*s->listBox;
    if (s->gridCells)
      paint.gridCells = &s->gridCells->Bytes();
    if (s->imageView)
      paint.imageView = &*s->imageView;
    paint.scroll = s->scroll;
    if (s->field)
      paint.field = &*s->field;
  }
  if (object.typeCode == kObjVideo && videos_)
    paint.videoPicture = videos_->StateOf(object).videoPicture;
  if (object.typeCode == kObjProgram && programs_)
    paint.holdsChildWindow = programs_->StateOf(object).holdsChildWindow;
  if (object.typeCode == kObjBrowser && browsers_) {
    ObjectPaintState page = browsers_->StateOf(object);
    paint.webPage = page.webPage;
    paint.webAddress = std::move(page.webAddress);
  }
  return paint;
}

const ObjectRecord* PlayerPaintRuntime::FindAliasSource(const PageRecord& /*page*/,
                                                        const std::string& name) {
  return pages_.FindObjectByQualifiedName(name);
}

std::optional<const GifCanvas*> PlayerPaintRuntime::GifScreen(const ObjectRecord& object) {
  if (!gifs_)
    return std::nullopt;
  const GifPlayback* playback = gifs_->PlaybackOf(object);
  return playback && playback->canvas ? &*playback->canvas : nullptr;
}

FrameComposer::FrameComposer(CodePage codePage)
    : objects_(fonts_, std::move(codePage)), painter_(objects_) {}

IntRect FrameComposer::Compose(Surface& frame, const IntRect& boxIn, CPageManager& pages,
                               const FrameSettings& settings, PaintRuntime& runtime,
                               CBubble* bubble, FieldMenu* menu) {
  const IntRect box = boxIn.Intersect({0, 0, frame.Width(), frame.Height()});
  const PageRecord* current = pages.CurrentPage();
  if (box.Empty() || !current)
    return {};
  const PageComposition layers = pages.Compose(true, settings.noBackground);
  painter_.Paint(frame, {0, 0}, box, current, layers, settings, runtime);
  // What lies above the page, each drawn over the box.
  const auto over = [&](auto draw) {
    Canvas canvas(frame);
    canvas.SetClip(box);
    draw(canvas);
  };
  if (const VideoPicture* video =
          runtime.FullScreenVideo(settings.clientWidth, settings.clientHeight)) {
    over([&](Canvas& canvas) {
      ObjectPainter::DrawVideoPicture(canvas, *video,
                                      {0, 0, settings.clientWidth, settings.clientHeight});
    });
  }
  if (bubble && bubble->Visible())
    over([&](Canvas& canvas) { bubble->Draw(canvas); });
  if (menu && menu->Visible())
    over([&](Canvas& canvas) { menu->Draw(canvas); });
  return box;
}

}  // namespace qlm
