#include "platform/sdl/DialogCanvas.h"

#include <algorithm>

namespace qlm {

DialogCanvas::DialogCanvas(Surface& target, int scale, FontCache* scaledFonts)
    : canvas_(target),
      width_(target.Width()),
      height_(target.Height()),
      scale_(scaledFonts ? std::max(1, scale) : 1),
      scaledFonts_(scaledFonts) {}

void DialogCanvas::FillRect(const IntRect& rect, uint32_t color) {
  canvas_.FillRect(ToPixels(rect), color);
}

void DialogCanvas::FrameRect(const IntRect& rect, uint32_t color, int pen) {
  canvas_.FrameRect(ToPixels(rect), color, pen * scale_);
}

void DialogCanvas::Line(IntPoint from, IntPoint to, uint32_t color, int pen) {
  canvas_.Line(ToPixels(from), ToPixels(to), color, pen * scale_);
}

void DialogCanvas::Ellipse(const IntRect& rect, std::optional<uint32_t> fill,
                           std::optional<uint32_t> outline, int pen) {
  canvas_.Ellipse(ToPixels(rect), fill, outline, pen * scale_);
}

void DialogCanvas::Edge(const IntRect& rect, EdgeStyle style) {
  canvas_.Edge(ToPixels(rect), style, scale_);
}

void DialogCanvas::FocusRect(const IntRect& rect) {
  // A dotted line `scale` pixels thick: nested dotted rings.
  const IntRect r = ToPixels(rect);
  for (int i = 0; i < scale_; ++i)
    canvas_.FocusRect(r.Inflate(-i));
}

void DialogCanvas::DrawText(const Font& font, std::string_view utf8, int x, int top,
                            uint32_t color) {
  if (scale_ == 1) {
    canvas_.DrawText(font, utf8, x, top, color);
    return;
  }
  FontSpec spec = font.Spec();
  spec.height *= scale_;
  spec.width *= scale_;
  canvas_.DrawText(scaledFonts_->Get(spec), utf8, x * scale_, top * scale_, color);
}

}  // namespace qlm
