#pragma once

#include "document/PageManager.h"
#include "graphics/Font.h"
#include "graphics/Geometry.h"
#include "graphics/Surface.h"
#include "platform/CodePage.h"
#include "player/AnimatedGifs.h"
#include "player/FieldMenu.h"
#include "player/ObjectPainter.h"
#include "player/ObjectStates.h"
#include "player/PagePainter.h"
#include "player/PaintRuntime.h"

namespace qlm {

class CBubble;

// The player's side of drawing: run-time object state, and aliases found by qualified name
// across the pages.
class PlayerPaintRuntime : public PaintRuntime {
 public:
  PlayerPaintRuntime(CPageManager& pages, const ObjectStates& states)
      : pages_(pages), states_(states) {}

  ObjectPaintState StateOf(const ObjectRecord& object) override;
  std::optional<uint64_t> LayoutRevision() override { return states_.LayoutRevision(); }
  const ObjectRecord* FindAliasSource(const PageRecord& page, const std::string& name) override;

  // Plug-in objects are drawn by whoever hosts their libraries (the window).
  void SetPlugInPainter(PaintRuntime* painter) { plugIns_ = painter; }
  bool DrawPlugIn(const ObjectRecord& object, Canvas& canvas, const IntRect& rect) override {
    return plugIns_ && plugIns_->DrawPlugIn(object, canvas, rect);
  }
  std::string PlugInFileName(const ObjectRecord& object) override {
    return plugIns_ ? plugIns_->PlugInFileName(object) : object.text;
  }
  // Animated GIFs show the frame their playback is at.
  void SetAnimations(AnimatedGifs* gifs) { gifs_ = gifs; }
  std::optional<const GifCanvas*> GifScreen(const ObjectRecord& object) override;
  // Video objects show the pictures of whoever plays them (the window).
  void SetVideoPainter(PaintRuntime* painter) { videos_ = painter; }
  const VideoPicture* FullScreenVideo(int width, int height) override {
    return videos_ ? videos_->FullScreenVideo(width, height) : nullptr;
  }
  // Browser objects show the pages of whoever holds their views (the window).
  void SetBrowserPainter(PaintRuntime* painter) { browsers_ = painter; }
  // Program objects hold the windows of whoever started their programs (the window).
  void SetProgramPainter(PaintRuntime* painter) { programs_ = painter; }
  void SetChildWindowRegion(const ObjectRecord& object, const IntRect& rect,
                            const std::vector<IntRect>& covered) override {
    if (object.typeCode == kObjProgram && programs_)
      programs_->SetChildWindowRegion(object, rect, covered);
  }

 private:
  CPageManager& pages_;
  const ObjectStates& states_;
  PaintRuntime* plugIns_ = nullptr;
  AnimatedGifs* gifs_ = nullptr;
  PaintRuntime* videos_ = nullptr;
  PaintRuntime* browsers_ = nullptr;
  PaintRuntime* programs_ = nullptr;
};

// Composes the update box of a frame in place, touching nothing outside it: the page
// background, the objects of the three layers, the frame border, and the tool-tip bubble and an
// input field's pop-up menu above all. Without a background, the box keeps what the frame held
// beneath the objects.
class FrameComposer {
 public:
  explicit FrameComposer(CodePage codePage);

  // Composes `box` (clipped to the frame) and returns what was composed; an empty box when
  // nothing was (no current page, nothing to update).
  IntRect Compose(Surface& frame, const IntRect& box, CPageManager& pages,
                  const FrameSettings& settings, PaintRuntime& runtime, CBubble* bubble,
                  FieldMenu* menu = nullptr);

  FontCache& Fonts() { return fonts_; }
  ObjectPainter& Objects() { return objects_; }

 private:
  FontCache fonts_;
  ObjectPainter objects_;
  PagePainter painter_;
};

}  // namespace qlm
