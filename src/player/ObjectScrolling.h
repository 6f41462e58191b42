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
// lines a notch, as the desktop does. The wheel over anything else does nothing.
class ObjectScrolling {
 public:
  static constexpr int kLinesPerNotch = 3;

  using ListBoxOf = std::function<ListBoxControl*(ObjectRecord&)>;
  ObjectScrolling(CPageManager& pages, ObjectStates& states, ObjectPainter& painter,
                  ListBoxOf listBoxOf, std::function<void(const IntRect&)> repaint);

  // A left press on `hit`: a paragraph starts a drag at y.
  void Press(const ObjectHit& hit, int y);
  // A move with the button held: true while a paragraph is dragged (the move is the
  // paragraph's; no object counts as under the pointer).
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
  bool ScrollListBox(ObjectRecord& list, int notches);

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
  } drag_;
};

}  // namespace qlm
