#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "graphics/Canvas.h"
#include "graphics/Font.h"
#include "graphics/Geometry.h"
#include "graphics/Surface.h"

namespace qlm {

// Draws a dialog laid out in its own pixels onto a picture `scale` times as large: positions,
// sizes, pens and edges are multiplied, and text is drawn with fonts made at the larger size
// (from `scaledFonts`), so a dialog over a scaled player window is as sharp as the desktop's
// own. At scale 1 it draws exactly as a Canvas does.
class DialogCanvas {
 public:
  // scaledFonts: the fonts for text at scale 2 and more (may be null at scale 1).
  DialogCanvas(Surface& target, int scale, FontCache* scaledFonts);

  int Scale() const { return scale_; }
  // The picture's size in dialog pixels.
  int Width() const { return width_ / scale_; }
  int Height() const { return height_ / scale_; }

  // Narrows the clip (in dialog pixels) for its lifetime.
  class ClipScope {
   public:
    ClipScope(DialogCanvas& canvas, const IntRect& rect)
        : scope_(canvas.canvas_, canvas.ToPixels(rect)) {}

   private:
    Canvas::ClipScope scope_;
  };

  void FillRect(const IntRect& rect, uint32_t color);
  void FrameRect(const IntRect& rect, uint32_t color, int pen = 1);
  void Line(IntPoint from, IntPoint to, uint32_t color, int pen = 1);
  void Ellipse(const IntRect& rect, std::optional<uint32_t> fill, std::optional<uint32_t> outline,
               int pen = 1);
  void Edge(const IntRect& rect, EdgeStyle style);
  void FocusRect(const IntRect& rect);
  // `font` is the dialog-sized font the layout measured with.
  void DrawText(const Font& font, std::string_view utf8, int x, int top, uint32_t color);

  IntRect ToPixels(const IntRect& r) const {
    return {r.left * scale_, r.top * scale_, r.right * scale_, r.bottom * scale_};
  }

 private:
  IntPoint ToPixels(IntPoint p) const { return {p.x * scale_, p.y * scale_}; }

  Canvas canvas_;
  int width_, height_;
  int scale_;
  FontCache* scaledFonts_;
};

}  // namespace qlm
