#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "document/PageManager.h"
#include "player/HitTest.h"
#include "player/ObjectPainter.h"
#include "player/ObjectStates.h"

namespace qlm {

class ListBoxControl;

// Scrolling objects under the mouse: a paragraph dragged with the left button scrolls its text
// with the pointer, and the wheel scrolls the paragraph or list box under the pointer by three
// lines a notch, as the desktop does. The wheel over anything else does nothing. Paragraphs and
// list boxes whose content overflows have a scroll bar: its arrows scroll a line, a press on
// its track a page, and its thumb follows a drag.
class ObjectScrolling {
 public:
  static constexpr int kLinesPerNotch = 3;

  using ListBoxOf = std::function<ListBoxControl*(ObjectRecord&)>;
  ObjectScrolling(CPageManager& pages, ObjectStates& states, ObjectPainter& painter,
                  ListBoxOf listBoxOf, std::function<void(const IntRect&)> repaint);

  // A left press on `hit` at (x, y): on a scroll bar it scrolls or takes the thumb; elsewhere on
  // a paragraph it starts a drag of its text. True when it was on a scroll bar.
  bool Press(const ObjectHit& hit, int x, int y);
  // A move with the button held: true while a paragraph or a thumb is dragged (the move is
  // theirs; no object counts as under the pointer).
  bool Drag(int y);
  void Release() { drag_ = {}; }
  // The wheel turned `notches` (positive away from the user: up) at (x, y). True when an
  // object scrolled.
  bool Wheel(int x, int y, int notches);
  // The project is replaced.
  void Forget() { drag_ = {}; }

  // A paragraph's scroll position in pixels: where a drag or the wheel left it, else the stored
  // one.
  int32_t ScrollOf(const ObjectRecord& paragraph) const;

 private:
  // Moves the paragraph's text to `scroll`, kept between the top and the end of the text.
  bool ScrollParagraph(ObjectRecord& paragraph, int64_t scroll);
  // The scroll bar of a paragraph or list box as drawn now.
  ScrollBar BarOf(ObjectRecord& object);
  // Scrolls a paragraph (pixels) or list box (rows) to `position`, kept inside. True when it
  // moved.
  bool ScrollTo(ObjectRecord& object, int64_t position);
  int64_t PositionOf(ObjectRecord& object);
  // What one line is in the object's scroll units.
  int64_t LineOf(const ObjectRecord& object);

  CPageManager& pages_;
  ObjectStates& states_;
  ObjectPainter& painter_;
  ListBoxOf listBoxOf_;
  std::function<void(const IntRect&)> repaint_;
  struct Drag {
    PageRecord* page = nullptr;
    size_t index = 0;
    std::string name;
    int startY = 0;
    int32_t startScroll = 0;
    bool thumb = false;  // the scroll bar's thumb, held `grab` pixels below its top
    int grab = 0;
  } drag_;
  // The object the drag holds, if it is still there.
  ObjectRecord* Dragged();
};

}  // namespace qlm
