#include "player/ScrollBar.h"

#include <algorithm>
#include <array>

namespace qlm {
namespace {

constexpr uint32_t kFace = 0xC0C0C0;   // the buttons' and the thumb's face
constexpr uint32_t kTrack = 0xE0E0E0;  // the track between the buttons
constexpr uint32_t kArrow = 0x000000;
constexpr int kMinThumb = 8;

// A button of the bar with a small triangle pointing up or down in its middle.
void ArrowButton(Canvas& canvas, const IntRect& r, bool up) {
  canvas.FillRect(r, kFace);
  canvas.Edge(r, EdgeStyle::ButtonUp);
  const int cx = r.left + r.Width() / 2, cy = r.top + r.Height() / 2;
  const int half = std::max(1, std::min(r.Width(), r.Height()) / 4);
  const int tip = up ? cy - half / 2 - 1 : cy + half / 2 + 1;
  const int base = up ? tip + half : tip - half;
  const std::array<IntPoint, 3> points{IntPoint{cx - half, base}, IntPoint{cx + half, base},
                                       IntPoint{cx, tip}};
  canvas.Polygon(points, kArrow, kArrow);
}

}  // namespace

ScrollBar::ScrollBar(const IntRect& bar, int64_t content, int64_t page, int64_t position)
    : bar_(bar),
      content_(std::max<int64_t>(0, content)),
      page_(std::max<int64_t>(1, page)),
      position_(std::clamp<int64_t>(position, 0, MaxPosition())) {
  // Arrow buttons are square, or share a bar too short for two squares.
  const int arrow = std::min(bar.Width(), bar.Height() / 2);
  up_ = {bar.left, bar.top, bar.right, bar.top + arrow};
  down_ = {bar.left, bar.bottom - arrow, bar.right, bar.bottom};
  track_ = {bar.left, up_.bottom, bar.right, down_.top};
  if (!Shown() || track_.Height() < kMinThumb)
    return;
  const int64_t length = std::max<int64_t>(kMinThumb, track_.Height() * page_ / content_);
  const int64_t room = track_.Height() - length;
  const int64_t top = track_.top + (MaxPosition() > 0 ? room * position_ / MaxPosition() : 0);
  thumb_ = {bar.left, static_cast<int32_t>(top), bar.right, static_cast<int32_t>(top + length)};
}

ScrollBar::Part ScrollBar::PartAt(int x, int y) const {
  if (!Shown() || !bar_.Contains(x, y))
    return Part::kNone;
  if (up_.Contains(x, y))
    return Part::kUp;
  if (down_.Contains(x, y))
    return Part::kDown;
  if (thumb_.Contains(x, y))
    return Part::kThumb;
  if (thumb_.Empty())
    return Part::kNone;
  return y < thumb_.top ? Part::kPageUp : Part::kPageDown;
}

int64_t ScrollBar::PositionForThumbAt(int thumbTop) const {
  const int64_t room = track_.Height() - thumb_.Height();
  if (room <= 0 || thumb_.Empty())
    return position_;
  const int64_t offset = std::clamp<int64_t>(int64_t{thumbTop} - track_.top, 0, room);
  // Rounded to the nearest position, so the thumb lands where it was let go.
  return (offset * MaxPosition() + room / 2) / room;
}

void ScrollBar::Draw(Canvas& canvas) const {
  if (!Shown())
    return;
  canvas.FillRect(track_, kTrack);
  ArrowButton(canvas, up_, true);
  ArrowButton(canvas, down_, false);
  if (!thumb_.Empty()) {
    canvas.FillRect(thumb_, kFace);
    canvas.Edge(thumb_, EdgeStyle::ButtonUp);
  }
}

}  // namespace qlm
