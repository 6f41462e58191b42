#include "graphics/Canvas.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "graphics/Font.h"
#include "graphics/PixelRows.h"
#include "graphics/TurnedExtent.h"
#include "graphics/Utf8.h"

namespace qlm {
namespace {

// out[i] = (first + i) * from / to for i < count, by steps instead of divisions.
void StretchColumns(uint64_t first, uint64_t from, uint64_t to, size_t count,
                    std::vector<uint32_t>& out) {
  out.resize(count);
  uint64_t q = first * from / to, r = first * from % to;
  const uint64_t stepQ = from / to, stepR = from % to;
  for (size_t i = 0; i < count; ++i) {
    out[i] = static_cast<uint32_t>(q);
    q += stepQ;
    r += stepR;
    if (r >= to) {
      ++q;
      r -= to;
    }
  }
}

// Drawing coordinates are kept well inside 32 bits so that sums and widths cannot overflow.
constexpr int32_t kCoordLimit = 1 << 28;

int32_t ClampCoord(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, -kCoordLimit, kCoordLimit));
}

IntRect ClampRect(const IntRect& r) {
  return {ClampCoord(r.left), ClampCoord(r.top), ClampCoord(r.right), ClampCoord(r.bottom)};
}

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kLight = 0xE0E0E0;
constexpr uint32_t kShadow = 0x808080;
constexpr uint32_t kDarkShadow = 0x404040;

}  // namespace

Canvas::Canvas(Surface& target, IntPoint origin) : target_(target), origin_(origin) {
  clip_ = Bounds();
}

Canvas::~Canvas() {
  if (cr_)
    cairo_destroy(cr_);
  if (surface_) {
    cairo_surface_flush(surface_);
    cairo_surface_destroy(surface_);
  }
}

IntRect Canvas::Bounds() const {
  return IntRect::FromSize(origin_.x, origin_.y, target_.Width(), target_.Height());
}

void Canvas::SetClip(const IntRect& clip) {
  clip_ = ClampRect(clip).Intersect(Bounds());
  cairoClipStale_ = true;
}

cairo_t* Canvas::Cairo() {
  if (target_.Empty())
    return nullptr;
  if (!cr_) {
    surface_ = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(target_.Row(0)),
                                                   CAIRO_FORMAT_RGB24, target_.Width(),
                                                   target_.Height(), target_.Width() * 4);
    cr_ = cairo_create(surface_);
    cairo_translate(cr_, -origin_.x, -origin_.y);
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_MITER);
  } else {
    // Pixels may have been written directly since cairo last drew.
    cairo_surface_mark_dirty(surface_);
  }
  if (cairoClipStale_) {
    cairo_reset_clip(cr_);
    cairo_rectangle(cr_, clip_.left, clip_.top, clip_.Width(), clip_.Height());
    cairo_clip(cr_);
    cairoClipStale_ = false;
  }
  return cr_;
}

void Canvas::EndCairo(const IntRect& bounds) {
  cairo_surface_flush(surface_);
  // cairo fills the unused top byte of RGB24 pixels; frames keep it 0.
  const IntRect r = bounds.Intersect(clip_);
  for (int32_t y = r.top; y < r.bottom; ++y) {
    uint32_t* p = target_.Row(y - origin_.y) + (r.left - origin_.x);
    PixelRows::CopyOpaque(p, static_cast<size_t>(r.Width()), p);
  }
}

void Canvas::SetSource(uint32_t color) {
  cairo_set_source_rgb(cr_, (color & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0,
                       ((color >> 16) & 0xFF) / 255.0);
}

void Canvas::FillRect(const IntRect& rect, uint32_t color) {
  const IntRect r = ClampRect(rect).Intersect(clip_);
  if (r.Empty())
    return;
  target_.Fill(r.left - origin_.x, r.top - origin_.y, r.Width(), r.Height(),
               Surface::FromColorRef(color));
}

void Canvas::FrameRect(const IntRect& rect, uint32_t color, int pen) {
  const IntRect r = ClampRect(rect);
  if (r.Empty() || pen < 1)
    return;
  const int p = std::min({pen, r.Width(), r.Height()});
  FillRect({r.left, r.top, r.right, r.top + p}, color);
  FillRect({r.left, r.bottom - p, r.right, r.bottom}, color);
  FillRect({r.left, r.top + p, r.left + p, r.bottom - p}, color);
  FillRect({r.right - p, r.top + p, r.right, r.bottom - p}, color);
}

void Canvas::Line(IntPoint from, IntPoint to, uint32_t color, int pen) {
  if (pen < 1)
    pen = 1;
  const int32_t x0 = ClampCoord(from.x), y0 = ClampCoord(from.y);
  const int32_t x1 = ClampCoord(to.x), y1 = ClampCoord(to.y);
  if (pen > 1) {
    cairo_t* cr = Cairo();
    if (!cr)
      return;
    SetSource(color);
    cairo_set_line_width(cr, pen);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, x0 + 0.5, y0 + 0.5);
    cairo_line_to(cr, x1 + 0.5, y1 + 0.5);
    cairo_stroke(cr);
    EndCairo(IntRect{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1) + 1, std::max(y0, y1) + 1}
                 .Inflate(pen));
    return;
  }
  // Walk the major axis one pixel at a time, the end point left out, as Windows draws. Only the
  // steps whose major coordinate lies inside the clip are visited, so a line of any length costs
  // at most the clip's size.
  const IntRect box =
      IntRect{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1) + 1, std::max(y0, y1) + 1};
  if (!box.Intersects(clip_))
    return;
  const uint32_t rgb = Surface::FromColorRef(color);
  const bool xMajor = std::abs(int64_t{x1} - x0) >= std::abs(int64_t{y1} - y0);
  const int64_t a0 = xMajor ? x0 : y0, a1 = xMajor ? x1 : y1;  // major axis
  const int64_t b0 = xMajor ? y0 : x0, b1 = xMajor ? y1 : x1;  // minor axis
  const int64_t steps = std::abs(a1 - a0);
  const int64_t da = a1 >= a0 ? 1 : -1;
  const int64_t db = std::abs(b1 - b0), sb = b1 >= b0 ? 1 : -1;
  const int64_t clipLo = xMajor ? clip_.left : clip_.top;
  const int64_t clipHi = (xMajor ? clip_.right : clip_.bottom) - 1;
  // Steps k with a0 + da * k inside [clipLo, clipHi].
  int64_t kFrom = da > 0 ? clipLo - a0 : a0 - clipHi;
  int64_t kTo = da > 0 ? clipHi - a0 : a0 - clipLo;
  kFrom = std::max<int64_t>(kFrom, 0);
  kTo = std::min<int64_t>(kTo, steps - 1);
  for (int64_t k = kFrom; k <= kTo; ++k) {
    const int64_t a = a0 + da * k;
    // The minor coordinate rounded to the nearest pixel, halves away from the start.
    const int64_t b = b0 + sb * ((2 * k * db + steps) / (2 * steps));
    const int64_t x = xMajor ? a : b, y = xMajor ? b : a;
    if (clip_.Contains(static_cast<int32_t>(x), static_cast<int32_t>(y)))
      target_.Row(static_cast<int>(y - origin_.y))[x - origin_.x] = rgb;
  }
}

void Canvas::Ellipse(const IntRect& rect, std::optional<uint32_t> fill,
                     std::optional<uint32_t> outline, int pen) {
  // Scanlines by pixel centres: the result does not depend on the clip, so a repaint of part of
  // an ellipse matches the whole one pixel for pixel.
  const IntRect r = ClampRect(rect);
  const IntRect rows = r.Intersect(clip_);
  if (rows.Empty())
    return;
  const double cx = (static_cast<double>(r.left) + r.right) / 2;
  const double cy = (static_cast<double>(r.top) + r.bottom) / 2;
  const double rx = r.Width() / 2.0, ry = r.Height() / 2.0;
  const bool outlined = outline && pen > 0;
  const double irx = outlined ? rx - pen : rx, iry = outlined ? ry - pen : ry;
  // Pixels of row y whose centres lie inside the ellipse of radii (ax, ay): [x0, x1).
  auto span = [&](double ax, double ay, double dy, int64_t& x0, int64_t& x1) {
    if (ax <= 0 || ay <= 0 || std::abs(dy) >= ay) {
      x0 = x1 = 0;
      return;
    }
    const double hw = ax * std::sqrt(1.0 - (dy * dy) / (ay * ay));
    x0 = static_cast<int64_t>(std::ceil(cx - hw - 0.5));
    x1 = static_cast<int64_t>(std::floor(cx + hw - 0.5)) + 1;
    if (x1 < x0)
      x1 = x0;
  };
  auto fillSpan = [&](int32_t y, int64_t x0, int64_t x1, uint32_t color) {
    if (x1 > x0)
      FillRect({ClampCoord(x0), y, ClampCoord(x1), y + 1}, color);
  };
  for (int32_t y = rows.top; y < rows.bottom; ++y) {
    const double dy = y + 0.5 - cy;
    int64_t o0, o1, i0, i1;
    span(rx, ry, dy, o0, o1);
    span(irx, iry, dy, i0, i1);
    if (fill)
      fillSpan(y, outlined ? i0 : o0, outlined ? i1 : o1, *fill);
    if (outlined) {
      if (i1 <= i0) {
        fillSpan(y, o0, o1, *outline);
      } else {
        fillSpan(y, o0, i0, *outline);
        fillSpan(y, i1, o1, *outline);
      }
    }
  }
}

void Canvas::Polygon(std::span<const IntPoint> points, std::optional<uint32_t> fill,
                     std::optional<uint32_t> outline, int pen) {
  if (points.size() < 2)
    return;
  cairo_t* cr = Cairo();
  if (!cr)
    return;
  IntRect bounds{kCoordLimit, kCoordLimit, -kCoordLimit, -kCoordLimit};
  for (const IntPoint& p : points) {
    bounds = {std::min(bounds.left, ClampCoord(p.x)), std::min(bounds.top, ClampCoord(p.y)),
              std::max(bounds.right, ClampCoord(p.x)), std::max(bounds.bottom, ClampCoord(p.y))};
  }
  auto path = [&](double shift) {
    cairo_new_path(cr);
    for (const IntPoint& p : points)
      cairo_line_to(cr, ClampCoord(p.x) + shift, ClampCoord(p.y) + shift);
    cairo_close_path(cr);
  };
  if (fill) {
    path(0.0);
    SetSource(*fill);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_fill(cr);
  }
  if (outline && pen == 1) {
    for (size_t i = 0; i < points.size(); ++i)
      Line(points[i], points[(i + 1) % points.size()], *outline);
  } else if (outline && pen > 1) {
    path(0.5);
    SetSource(*outline);
    cairo_set_line_width(cr, pen);
    cairo_stroke(cr);
  }
  cairo_new_path(cr);
  EndCairo(bounds.Inflate(std::max(pen, 1)));
}

void Canvas::Edge(const IntRect& rect, EdgeStyle style, int ringWidth) {
  struct Ring {
    uint32_t topLeft, bottomRight;
  };
  Ring outer{}, inner{};
  switch (style) {
    case EdgeStyle::Raised:
      outer = {kLight, kDarkShadow};
      inner = {kWhite, kShadow};
      break;
    case EdgeStyle::Sunken:
      outer = {kShadow, kWhite};
      inner = {kDarkShadow, kLight};
      break;
    case EdgeStyle::ButtonUp:
      outer = {kWhite, kDarkShadow};
      inner = {kLight, kShadow};
      break;
    case EdgeStyle::ButtonDown:
      outer = {kDarkShadow, kWhite};
      inner = {kShadow, kLight};
      break;
  }
  // The bottom and right lines own the corners they share with the top and left lines.
  auto ring = [&](const IntRect& r, const Ring& c) {
    if (r.Empty())
      return;
    FillRect({r.left, r.top, r.right - 1, r.top + 1}, c.topLeft);
    FillRect({r.left, r.top, r.left + 1, r.bottom - 1}, c.topLeft);
    FillRect({r.left, r.bottom - 1, r.right, r.bottom}, c.bottomRight);
    FillRect({r.right - 1, r.top, r.right, r.bottom}, c.bottomRight);
  };
  const IntRect r = ClampRect(rect);
  const int w = std::max(1, ringWidth);
  for (int i = 0; i < w; ++i) {
    ring(r.Inflate(-i), outer);
    ring(r.Inflate(-w - i), inner);
  }
}

void Canvas::FocusRect(const IntRect& rect) {
  const IntRect r = ClampRect(rect);
  if (r.Empty())
    return;
  auto invert = [&](int32_t x, int32_t y) {
    if (((x + y) & 1) == 0 && clip_.Contains(x, y))
      target_.Row(y - origin_.y)[x - origin_.x] ^= 0xFFFFFF;
  };
  const IntRect c = r.Intersect(clip_.Inflate(1));
  for (int32_t x = c.left; x < c.right; ++x) {
    invert(x, r.top);
    if (r.bottom - 1 != r.top)
      invert(x, r.bottom - 1);
  }
  for (int32_t y = std::max(c.top, r.top + 1); y < std::min(c.bottom, r.bottom - 1); ++y) {
    invert(r.left, y);
    if (r.right - 1 != r.left)
      invert(r.right - 1, y);
  }
}

void Canvas::DrawPixels(const uint32_t* pixels, int w, int h, const IntRect& dstRect) {
  const IntRect dst = ClampRect(dstRect);
  const IntRect area = dst.Intersect(clip_);
  if (!pixels || w <= 0 || h <= 0 || area.Empty())
    return;
  const int64_t dw = dst.Width(), dh = dst.Height();
  const bool same = dw == w && dh == h;
  const size_t count = static_cast<size_t>(area.Width());
  if (!same) {
    StretchColumns(static_cast<uint64_t>(area.left - dst.left), static_cast<uint64_t>(w),
                   static_cast<uint64_t>(dw), count, columns_);
  }
  for (int32_t y = area.top; y < area.bottom; ++y) {
    const int64_t sy = same ? y - dst.top : (y - dst.top) * int64_t{h} / dh;
    const uint32_t* from = pixels + sy * w;
    uint32_t* to = target_.Row(y - origin_.y) + (area.left - origin_.x);
    if (same) {
      PixelRows::CopyOpaque(from + (area.left - dst.left), count, to);
    } else {
      for (size_t i = 0; i < count; ++i)
        to[i] = from[columns_[i]] & 0x00FFFFFF;
    }
  }
}

std::optional<Canvas::Rows> Canvas::RowsOf(const IntRect& rect) {
  if (!clip_.Covers(rect))
    return std::nullopt;
  return Rows{target_.Row(rect.top - origin_.y) + (rect.left - origin_.x), target_.Width()};
}

void Canvas::DrawImage(const Image24& image, const IntRect& dstRect, const ImageDrawOptions& o) {
  const IntRect dst = ClampRect(dstRect);
  const IntRect area = dst.Intersect(clip_);
  if (image.Empty() || area.Empty())
    return;
  double opacity = std::isnan(o.opacity) ? 1.0 : std::clamp(o.opacity, 0.0, 1.0);
  const int alpha = static_cast<int>(std::lround(opacity * 256));
  if (alpha == 0)
    return;
  const uint64_t sw = image.width, sh = image.height;
  const uint64_t dw = static_cast<uint64_t>(dst.Width()), dh = static_cast<uint64_t>(dst.Height());
  const size_t available = image.pixels.size() / 3;
  const Image24* mask = o.mask && !o.mask->Empty() ? o.mask : nullptr;
  const size_t maskAvailable = mask ? mask->pixels.size() / 3 : 0;

  // Source column of every destination column in the clipped area (never decreasing); an
  // unscaled row reads one run of source pixels.
  const size_t count = static_cast<size_t>(area.Width());
  const uint64_t firstDx = static_cast<uint64_t>(area.left - dst.left);
  const bool unscaledRow = sw == dw;
  StretchColumns(firstDx, sw, dw, count, columns_);
  if (mask)
    StretchColumns(firstDx, mask->width, dw, count, maskColumns_);
  const bool keyed = o.keyColor.has_value();
  const uint32_t key = Surface::FromColorRef(o.keyColor.value_or(0) & 0xFFFFFF);
  // Opaque pixels without key or mask are converted straight into the target.
  const bool copies = !mask && !keyed && alpha >= 256;
  row_.resize(copies ? 0 : count);
  alphas_.resize(keyed || mask ? count : 0);

  // The source rows are fetched from memory ahead, all at once: small pictures spread over
  // memory otherwise wait for each row in turn.
  if (!unscaledRow && count > 0) {
    const size_t firstByte = size_t{columns_[0]} * 3, lastByte = size_t{columns_[count - 1]} * 3;
    uint64_t previous = UINT64_MAX;
    for (int32_t y = area.top; y < area.bottom; ++y) {
      const uint64_t sy = static_cast<uint64_t>(y - dst.top) * sh / dh;
      if (sy == previous)
        continue;
      previous = sy;
      const size_t rowStart = static_cast<size_t>(sy * sw) * 3;
      if (rowStart + lastByte + 3 > image.pixels.size())
        break;
      const uintptr_t from =
          reinterpret_cast<uintptr_t>(image.pixels.data() + rowStart + firstByte);
      const uintptr_t to =
          reinterpret_cast<uintptr_t>(image.pixels.data() + rowStart + lastByte + 2);
      for (uintptr_t line = from & ~uintptr_t{63}; line <= to; line += 64)
        __builtin_prefetch(reinterpret_cast<const void*>(line));
    }
  }
  uint64_t convertedRow = UINT64_MAX;
  const uint32_t* converted = nullptr;
  size_t drawn = 0;
  for (int32_t y = area.top; y < area.bottom; ++y) {
    const uint64_t dy = static_cast<uint64_t>(y - dst.top);
    const uint64_t sy = dy * sh / dh;
    const size_t rowStart = static_cast<size_t>(sy * sw);
    if (rowStart >= available)
      break;
    uint32_t* out = target_.Row(y - origin_.y) + (area.left - origin_.x);
    if (sy == convertedRow && copies) {
      std::memcpy(out, converted, drawn * sizeof(uint32_t));
      continue;
    }
    // The source row as pixels, once for all the destination rows that show it. A row the
    // image lacks bytes for ends early: columns past its end are left out.
    if (sy != convertedRow) {
      const uint8_t* srcRow = image.pixels.data() + rowStart * 3;
      const size_t rowAvailable = std::min<size_t>(sw, available - rowStart);
      drawn = rowAvailable >= sw
                  ? count
                  : static_cast<size_t>(
                        std::lower_bound(columns_.begin(), columns_.end(), rowAvailable) -
                        columns_.begin());
      uint32_t* to = copies ? out : row_.data();
      if (unscaledRow)
        PixelRows::FromBgr(srcRow + size_t{columns_[0]} * 3, drawn, to);
      else
        PixelRows::GatherBgr(srcRow, image.pixels.size() - rowStart * 3, columns_.data(), drawn,
                             to);
      convertedRow = sy;
      converted = to;
      if (copies)
        continue;
    }
    if (!mask && !keyed) {
      PixelRows::Blend(row_.data(), drawn, alpha, out);
      continue;
    }
    if (!mask && alpha >= 256) {
      PixelRows::CopyUnlessKey(row_.data(), drawn, key, out);
      continue;
    }
    // Each pixel's own alpha: left out when keyed, scaled by the mask's coverage.
    const size_t maskRowStart =
        mask ? static_cast<size_t>(dy * mask->height / dh) * mask->width : 0;
    for (size_t i = 0; i < drawn; ++i) {
      int a = keyed && row_[i] == key ? 0 : alpha;
      if (mask && a != 0) {
        const size_t m = maskRowStart + maskColumns_[i];
        if (m < maskAvailable) {
          const uint8_t* mp = mask->pixels.data() + m * 3;
          const int coverage = 255 - (mp[0] + mp[1] + mp[2]) / 3;
          a = a * (coverage + (coverage >> 7)) >> 8;
        }
      }
      alphas_[i] = static_cast<uint16_t>(a);
    }
    PixelRows::BlendEach(row_.data(), alphas_.data(), drawn, out);
  }
}

// The picture is converted into the canvas's scratch pixels on each call: views are drawn on
// repaints only, and the stored bytes stay the one copy the object keeps.
void Canvas::DrawImagePlaced(const Image24& image, const ImagePlacement& p, double opacityIn) {
  const double opacity = std::isnan(opacityIn) ? 1.0 : std::clamp(opacityIn, 0.0, 1.0);
  const bool finite = std::isfinite(p.centreX) && std::isfinite(p.centreY) &&
                      std::isfinite(p.width) && std::isfinite(p.height) &&
                      std::isfinite(p.angleDegrees);
  if (image.Empty() || opacity <= 0 || !finite || p.width <= 0 || p.height <= 0 || clip_.Empty())
    return;
  // The turned picture's bounding box; nothing to do when it misses the clip.
  const double radians = p.angleDegrees * (std::numbers::pi / 180.0);
  const TurnedExtent extent(p.width, p.height, p.angleDegrees);
  const double halfW = extent.width / 2, halfH = extent.height / 2;
  const IntRect box{ClampCoord(static_cast<int64_t>(std::floor(p.centreX - halfW)) - 1),
                    ClampCoord(static_cast<int64_t>(std::floor(p.centreY - halfH)) - 1),
                    ClampCoord(static_cast<int64_t>(std::ceil(p.centreX + halfW)) + 1),
                    ClampCoord(static_cast<int64_t>(std::ceil(p.centreY + halfH)) + 1)};
  if (!box.Intersects(clip_))
    return;
  const int w = static_cast<int>(std::min<uint32_t>(image.width, kCoordLimit));
  const int h = static_cast<int>(std::min<uint32_t>(image.height, kCoordLimit));
  // cairo takes image sides up to 32767 pixels.
  if (w > 32767 || h > 32767)
    return;
  // Pixels the image lacks bytes for are black.
  const size_t pixelCount = static_cast<size_t>(w) * static_cast<size_t>(h);
  placed_.assign(pixelCount, 0);
  const size_t available = image.pixels.size() / 3;
  for (int y = 0; y < h; ++y) {
    const size_t start = static_cast<size_t>(y) * image.width;
    if (start >= available)
      break;
    PixelRows::FromBgr(image.pixels.data() + start * 3,
                       std::min<size_t>(static_cast<size_t>(w), available - start),
                       placed_.data() + static_cast<size_t>(y) * static_cast<size_t>(w));
  }
  cairo_surface_t* picture = cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(placed_.data()), CAIRO_FORMAT_RGB24, w, h, w * 4);
  if (cairo_surface_status(picture) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(picture);
    return;
  }
  cairo_t* cr = Cairo();
  if (!cr) {
    cairo_surface_destroy(picture);
    return;
  }
  cairo_save(cr);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
  cairo_translate(cr, p.centreX, p.centreY);
  cairo_rotate(cr, radians);
  cairo_scale(cr, p.width / w, p.height / h);
  cairo_translate(cr, -w / 2.0, -h / 2.0);
  cairo_set_source_surface(cr, picture, 0, 0);
  cairo_pattern_t* pattern = cairo_get_source(cr);
  cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
  // The edge pixels are repeated outward so that filtering does not darken the border; the
  // rectangle below is the picture's true edge.
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
  cairo_rectangle(cr, 0, 0, w, h);
  cairo_clip(cr);
  cairo_paint_with_alpha(cr, opacity);
  cairo_restore(cr);
  cairo_surface_destroy(picture);
  EndCairo(box);
}

void Canvas::DrawArgb(const ArgbImage& image, IntPoint at) {
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() < size_t(image.width) * size_t(image.height))
    return;
  const IntRect area =
      ClampRect(IntRect::FromSize(at.x, at.y, image.width, image.height)).Intersect(clip_);
  for (int32_t y = area.top; y < area.bottom; ++y) {
    const uint32_t* src = image.pixels.data() + size_t(y - at.y) * size_t(image.width);
    uint32_t* out = target_.Row(y - origin_.y) + (area.left - origin_.x);
    for (int32_t x = area.left; x < area.right; ++x, ++out) {
      const uint32_t s = src[x - at.x];
      const uint32_t a = s >> 24;
      if (a == 0)
        continue;
      if (a == 255) {
        *out = s & 0xFFFFFF;
        continue;
      }
      // Premultiplied: the source's colour plus what shows through it (no channel carries
      // over, as a premultiplied channel is at most its alpha).
      const uint32_t d = *out, keep = 255 - a;
      const uint32_t rb = (s & 0xFF00FF) + ((((d & 0xFF00FF) * keep) >> 8) & 0xFF00FF);
      const uint32_t g = (s & 0x00FF00) + ((((d & 0x00FF00) * keep) >> 8) & 0x00FF00);
      *out = (rb & 0xFF00FF) | (g & 0x00FF00);
    }
  }
}

void Canvas::TileImage(const Image24& image, const IntRect& areaRect) {
  const IntRect area = ClampRect(areaRect);
  const IntRect visible = area.Intersect(clip_);
  if (image.Empty() || visible.Empty())
    return;
  const int32_t w = static_cast<int32_t>(std::min<uint32_t>(image.width, kCoordLimit));
  const int32_t h = static_cast<int32_t>(std::min<uint32_t>(image.height, kCoordLimit));
  // A picture with all its pixels, whose tiles stay inside the coordinate range: each row is
  // converted once and repeated along the visible span.
  const bool complete = image.width <= uint32_t{kCoordLimit} &&
                        image.height <= uint32_t{kCoordLimit} &&
                        image.pixels.size() / 3 >= uint64_t{image.width} * image.height;
  if (complete && int64_t{visible.right} + w <= kCoordLimit &&
      int64_t{visible.bottom} + h <= kCoordLimit) {
    row_.resize(static_cast<size_t>(w));
    const size_t count = static_cast<size_t>(visible.Width());
    const size_t startColumn = static_cast<size_t>((visible.left - area.left) % w);
    int64_t converted = -1;
    for (int32_t y = visible.top; y < visible.bottom; ++y) {
      const int64_t sy = (int64_t{y} - area.top) % h;
      if (sy != converted) {
        PixelRows::FromBgr(image.pixels.data() + static_cast<size_t>(sy) * image.width * 3,
                           row_.size(), row_.data());
        converted = sy;
      }
      uint32_t* out = target_.Row(y - origin_.y) + (visible.left - origin_.x);
      for (size_t done = 0, column = startColumn; done < count; column = 0) {
        const size_t n = std::min(count - done, row_.size() - column);
        std::memcpy(out + done, row_.data() + column, n * sizeof(uint32_t));
        done += n;
      }
    }
    return;
  }
  ClipScope scope(*this, area);
  // Only the tiles that meet the visible part are drawn.
  const int32_t firstX = area.left + (visible.left - area.left) / w * w;
  const int32_t firstY = area.top + (visible.top - area.top) / h * h;
  for (int32_t y = firstY; y < visible.bottom; y += h) {
    for (int32_t x = firstX; x < visible.right; x += w)
      DrawImage(image, IntRect::FromSize(x, y, w, h));
  }
}

void Canvas::DrawText(const Font& font, std::string_view utf8, int x, int top, uint32_t color) {
  if (utf8.empty() || clip_.Empty())
    return;
  const FontMetrics& m = font.Metrics();
  const int width = font.TextWidth(utf8);
  // Glyphs may overhang their advance (italics), so the test allows a cell height either side.
  if (!IntRect{x - m.height, top, x + width + m.height, top + m.height}.Intersects(clip_))
    return;
  cairo_t* cr = Cairo();
  if (!cr)
    return;
  // Malformed text gets replacement characters; well-formed text is used as it is.
  std::string fixed;
  std::string_view text = utf8;
  if (!IsValidUtf8(utf8)) {
    fixed = SanitizeUtf8(utf8);
    text = fixed;
  }
  const int baseline = top + m.ascent;
  if (font.PlaceGlyphs(text, x, baseline, placedGlyphs_)) {
    // Glyphs whose ink lies wholly outside the clip change no pixel it holds: they are left out,
    // so that a long text in a small box costs what the box shows. The margin covers the
    // smoothed edge around the ink.
    constexpr double kInkMargin = 3;
    glyphs_.clear();
    for (const PlacedGlyph& g : placedGlyphs_) {
      if (g.inkRight + kInkMargin >= clip_.left && g.inkLeft - kInkMargin <= clip_.right)
        glyphs_.push_back({g.index, g.x, g.y});
    }
    if (!glyphs_.empty()) {
      cairo_set_scaled_font(cr, font.Scaled());
      SetSource(color);
      cairo_show_glyphs(cr, glyphs_.data(), static_cast<int>(glyphs_.size()));
    }
    EndCairo({x - m.height, top - m.height, x + width + m.height, top + 2 * m.height});
  } else {
    cairo_glyph_t* glyphs = nullptr;
    int count = 0;
    if (cairo_scaled_font_text_to_glyphs(font.Scaled(), x, baseline, text.data(),
                                         static_cast<int>(text.size()), &glyphs, &count, nullptr,
                                         nullptr, nullptr) == CAIRO_STATUS_SUCCESS) {
      cairo_set_scaled_font(cr, font.Scaled());
      SetSource(color);
      cairo_show_glyphs(cr, glyphs, count);
      cairo_glyph_free(glyphs);
      EndCairo({x - m.height, top - m.height, x + width + m.height, top + 2 * m.height});
    }
  }
  if (font.Spec().underline) {
    const int y = baseline + m.underlinePosition - m.underlineThickness / 2;
    FillRect({x, y, x + width, y + m.underlineThickness}, color);
  }
  if (font.Spec().strikeOut) {
    const int y = baseline - m.strikeOutPosition;
    FillRect({x, y, x + width, y + m.strikeOutThickness}, color);
  }
}

}  // namespace qlm
