#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/ObjectRecord.h"
#include "document/PageRecord.h"
#include "graphics/Geometry.h"
#include "graphics/Image24.h"
#include "graphics/MetafileRenderer.h"
#include "platform/VideoDecoder.h"

namespace qlm {

class Canvas;
class GifCanvas;
class ListBoxControl;
class ImageView;

// Highlight states of an object: the mouse-over step sets Hover, the press step Pressed.
enum class Highlight : int { Normal = 0, Hover = 1, Pressed = 2 };

// An input field with the keyboard focus: byte offsets of the caret and of the selection in
// its text, and how many pixels the text is scrolled to the left to keep the caret in view.
struct FieldView {
  size_t caret = 0;
  size_t selectionStart = 0;
  size_t selectionEnd = 0;
  int scrollX = 0;
  // Text an input method is composing at the caret (UTF-8), shown underlined over the field.
  std::string composition;
  bool operator==(const FieldView&) const = default;
};

// What drawing needs to know about an object beyond its stored record.
struct ObjectPaintState {
  int32_t offsetX = 0;  // added to the rectangle whenever the object is drawn
  int32_t offsetY = 0;
  Highlight highlight = Highlight::Normal;
  // Paragraphs: scroll position in pixels; without it the stored object value 2 is used.
  std::optional<int32_t> scroll;
  // Video objects: a player that is running covers the object, so nothing is drawn.
  bool videoPlaying = false;
  // Video objects: the picture of the video, at the object's size; drawn instead of the still
  // image.
  const VideoPicture* videoPicture = nullptr;
  // Windowed kinds (3, 12, 24, 25, 27, 29): the object holds a child window.
  bool holdsChildWindow = false;
  // Grids: columns x rows cell bytes, row after row (0 empty, 1 to 3 state image A to C).
  const std::vector<uint8_t>* gridCells = nullptr;
  // Animated GIFs and replaced images: the picture to show instead of state image A.
  const Image24* picture = nullptr;
  // List boxes: rows, selection, first visible row and colours at run time; without it the
  // stored string list is shown.
  const ListBoxControl* listBox = nullptr;
  // Image objects: the view scripts changed; without it the stored picture is stretched to the
  // rectangle.
  const ImageView* imageView = nullptr;
  // Browser objects: the page at the object's size, or, without one, the address the frame
  // shows.
  const ArgbImage* webPage = nullptr;
  std::string webAddress;
  // Input fields: the caret and selection of the field that has the focus; null for the others.
  const FieldView* field = nullptr;
};

// The player's side of drawing: run-time state and the parts that live outside the renderer.
// Every hook has a default, so a page can be drawn with nothing but its records.
class PaintRuntime {
 public:
  virtual ~PaintRuntime() = default;

  virtual ObjectPaintState StateOf(const ObjectRecord& /*object*/) { return {}; }

  // A number that changes whenever an object of any page may have been added, removed,
  // reordered, moved or resized, or what StateOf says of its offset or child window changed.
  // With it the painter keeps an index of where objects draw; without it (nullopt) every paint
  // asks every object.
  virtual std::optional<uint64_t> LayoutRevision() { return std::nullopt; }

  // The object an alias on `page` shows, named by the alias's text. The default looks on the
  // same page by exact name (after a "Page::" prefix); the player answers with its qualified
  // lookup across pages.
  virtual const ObjectRecord* FindAliasSource(const PageRecord& page, const std::string& name);

  // Plug-in objects: true when the plug-in drew the object into `canvas` at `rect`.
  virtual bool DrawPlugIn(const ObjectRecord& /*object*/, Canvas& /*canvas*/,
                          const IntRect& /*rect*/) {
    return false;
  }
  // The file name shown after "Can't find " when a plug-in did not load (path macros
  // expanded by the player); the default is the object's text.
  virtual std::string PlugInFileName(const ObjectRecord& object) { return object.text; }

  // Animated GIF objects (kind 16) that hold GIF bytes: the screen to draw now, or null when the
  // bytes do not decode. nullopt leaves it to the painter, which draws the first frame.
  virtual std::optional<const GifCanvas*> GifScreen(const ObjectRecord& /*object*/) {
    return std::nullopt;
  }
  // A video playing in full-screen mode, drawn over the whole page area at width x height.
  virtual const VideoPicture* FullScreenVideo(int /*width*/, int /*height*/) { return nullptr; }

  // After a windowed object that holds a child window is drawn: the child window should show
  // `rect` less the rectangles of the objects drawn above it, so that those stay visible.
  virtual void SetChildWindowRegion(const ObjectRecord& /*object*/, const IntRect& /*rect*/,
                                    const std::vector<IntRect>& /*covered*/) {}
};

}  // namespace qlm
