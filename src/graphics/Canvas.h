#pragma once

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "graphics/Font.h"
#include "graphics/Geometry.h"
#include "graphics/Image24.h"
#include "graphics/ImagePlacement.h"
#include "graphics/MetafileRenderer.h"
#include "graphics/Surface.h"

namespace qlm {

// How a stored image is put on the canvas.
struct ImageDrawOptions {
  // Pixels of this colour (0x00BBGGRR) are left out.
  std::optional<uint32_t> keyColor;
  // 1 copies, 0 draws nothing, values between blend with what is beneath.
  double opacity = 1.0;
  // A 24-bit mask stretched like the image: black shows the image, white what is beneath, greys
  // blend.
  const Image24* mask = nullptr;
};

// The 3-D edges of Windows controls, drawn 2 pixels wide with the four greys 0xFFFFFF,
// 0xE0E0E0, 0x808080 and 0x404040.
enum class EdgeStyle {
  Raised,
  Sunken,
  ButtonUp,    // a push button at rest: the white line outside, the light grey inside
  ButtonDown,  // a push button held down
};

// Draws onto a Surface. Coordinates are drawing coordinates: the surface's top-left pixel is
// `origin`, so a surface that covers only an update box is drawn with window coordinates.
// Colours are 0x00BBGGRR as stored. Shapes are not antialiased; nothing is drawn outside the
// clip rectangle or the surface.
class Canvas {
 public:
  explicit Canvas(Surface& target, IntPoint origin = {});
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  Surface& Target() { return target_; }
  IntPoint Origin() const { return origin_; }
  // The surface's area in drawing coordinates.
  IntRect Bounds() const;
  const IntRect& Clip() const { return clip_; }
  // Sets the clip rectangle, limited to the surface.
  void SetClip(const IntRect& clip);

  // Narrows the clip for its lifetime and restores the previous one afterwards.
  class ClipScope {
   public:
    ClipScope(Canvas& canvas, const IntRect& rect) : canvas_(canvas), saved_(canvas.Clip()) {
      canvas.SetClip(saved_.Intersect(rect));
    }
    ~ClipScope() { canvas_.SetClip(saved_); }
    ClipScope(const ClipScope&) = delete;
    ClipScope& operator=(const ClipScope&) = delete;

   private:
    Canvas& canvas_;
    IntRect saved_;
  };

  void FillRect(const IntRect& rect, uint32_t color);
  // Lines of `pen` pixels along the inside of the rectangle.
  void FrameRect(const IntRect& rect, uint32_t color, int pen = 1);
  // A line from `from` towards `to`; with pen 1 the last point is not drawn, as Windows draws.
  void Line(IntPoint from, IntPoint to, uint32_t color, int pen = 1);
  // The ellipse inscribed in the rectangle; the outline lies inside it.
  void Ellipse(const IntRect& rect, std::optional<uint32_t> fill, std::optional<uint32_t> outline,
               int pen = 1);
  // A closed polygon filled with the even-odd rule.
  void Polygon(std::span<const IntPoint> points, std::optional<uint32_t> fill,
               std::optional<uint32_t> outline, int pen = 1);
  // ringWidth: the width of each of the two rings (1 as Windows draws them; more for a picture
  // drawn at a larger scale).
  void Edge(const IntRect& rect, EdgeStyle style, int ringWidth = 1);
  // The dotted focus rectangle: every other pixel of the outline is inverted.
  void FocusRect(const IntRect& rect);

  // The image stretched (nearest pixel) to `dst`. Images with fewer pixel bytes than their size
  // asks for draw what they have.
  void DrawImage(const Image24& image, const IntRect& dst, const ImageDrawOptions& options = {});
  // The image scaled and turned as `placement` says, smoothly filtered, with smooth edges, and
  // blended with `opacity` (0 to 1); nothing outside the clip.
  void DrawImagePlaced(const Image24& image, const ImagePlacement& placement, double opacity = 1.0);
  // A picture with coverage (premultiplied ARGB), unscaled, with its top-left at `at`: drawn
  // over what is beneath.
  void DrawArgb(const ArgbImage& image, IntPoint at);
  // A w x h block of 32-bit pixels (the layout of Surface; their top byte is ignored)
  // stretched (nearest pixel) to `dst`; copied row by row when the sizes agree.
  void DrawPixels(const uint32_t* pixels, int w, int h, const IntRect& dst);
  // The pixels of `rect` in the surface, for a caller that writes them itself: its top-left
  // pixel and the distance from one row to the next, in pixels. Nullopt unless the clip covers
  // the whole rectangle.
  struct Rows {
    uint32_t* first = nullptr;
    ptrdiff_t stride = 0;
  };
  std::optional<Rows> RowsOf(const IntRect& rect);
  // Copies of the image side by side from the area's top-left corner, cut at its edges.
  void TileImage(const Image24& image, const IntRect& area);

  // One line of text with its cell's top-left at (x, top). Underline and strike-out follow the
  // font. Malformed UTF-8 shows replacement characters.
  void DrawText(const Font& font, std::string_view utf8, int x, int top, uint32_t color);

 private:
  cairo_t* Cairo();
  // After cairo drew inside `bounds`.
  void EndCairo(const IntRect& bounds);
  void SetSource(uint32_t color);
  // The clip in surface pixels.
  IntRect SurfaceClip() const { return clip_.Offset(-origin_.x, -origin_.y); }

  Surface& target_;
  IntPoint origin_;
  IntRect clip_;
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
  bool cairoClipStale_ = true;
  // Scratch rows of the image blits, kept for the canvas's life so that blits do not allocate.
  std::vector<uint32_t> columns_, maskColumns_, row_;
  std::vector<uint16_t> alphas_;
  // The picture of DrawImagePlaced as cairo reads it.
  std::vector<uint32_t> placed_;
  // The glyphs of DrawText.
  std::vector<PlacedGlyph> placedGlyphs_;
  std::vector<cairo_glyph_t> glyphs_;
};

}  // namespace qlm
