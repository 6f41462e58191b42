#pragma once

#include <cstdint>

#include "graphics/Canvas.h"
#include "graphics/Geometry.h"

namespace qlm {

// The vertical scroll bar of a paragraph or list box whose content does not fit: an arrow
// button at each end and the track between them, with a thumb whose length and place show
// which part of the content is in view. Content, page and position are in the control's own
// units (rows of a list, pixels of a paragraph).
class ScrollBar {
 public:
  static constexpr int kWidth = 15;
  enum class Part { kNone, kUp, kDown, kPageUp, kPageDown, kThumb };

  ScrollBar() = default;
  // `bar`: where the bar goes. `page`: how much of the content is in view from `position`.
  ScrollBar(const IntRect& bar, int64_t content, int64_t page, int64_t position);

  // Whether the content overflows, so that the bar is shown.
  bool Shown() const { return content_ > page_ && !bar_.Empty(); }
  const IntRect& Bar() const { return bar_; }
  const IntRect& Thumb() const { return thumb_; }
  int64_t Page() const { return page_; }
  int64_t MaxPosition() const { return content_ > page_ ? content_ - page_ : 0; }

  Part PartAt(int x, int y) const;
  // The position that puts the thumb's top at `thumbTop` (the thumb dragged), kept inside.
  int64_t PositionForThumbAt(int thumbTop) const;

  void Draw(Canvas& canvas) const;

 private:
  IntRect bar_, up_, down_, track_, thumb_;
  int64_t content_ = 0, page_ = 0, position_ = 0;
};

}  // namespace qlm
