#include "player/FrameComposer.h"

#include <algorithm>

#include "document/PageManager.h"
#include "graphics/Surface.h"

namespace qlm {
namespace {

// Copies the stored image (B, G, R rows from the top) with its top-left corner at (x, y),
// clipped to `clip`; a decode that came up short leaves the missing rows untouched.
void DrawImage(Surface& frame, const Image24& image, int x, int y, const Rect& clip) {
  const int w = static_cast<int>(image.width);
  const int h = static_cast<int>(image.height);
  const size_t stride = static_cast<size_t>(image.width) * 3;
  const int top = std::max(y, clip.top), bottom = std::min(y + h, clip.bottom);
  const int left = std::max(x, clip.left), right = std::min(x + w, clip.right);
  for (int row = top; row < bottom; ++row) {
    const size_t rowStart = static_cast<size_t>(row - y) * stride;
    if (rowStart + stride > image.pixels.size())
      break;
    const uint8_t* src = image.pixels.data() + rowStart;
    uint32_t* dst = frame.Row(row);
    for (int col = left; col < right; ++col) {
      const uint8_t* p = src + static_cast<size_t>(col - x) * 3;
      dst[col] = (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
    }
  }
}

}  // namespace

void ComposeFrame(Surface& frame, const CPageManager& pages, const Rect& clipIn) {
  const Rect clip{std::max(0, clipIn.left), std::max(0, clipIn.top),
                  std::min(frame.Width(), clipIn.right), std::min(frame.Height(), clipIn.bottom)};
  if (clip.left >= clip.right || clip.top >= clip.bottom)
    return;
  const PageComposition composition = pages.Compose(true, false);
  const PageRecord* page = composition.background;
  if (!page) {
    frame.Fill(clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, 0xFFFFFF);
    return;
  }
  const int areaW =
      std::min(frame.Width(), pages.PageWidth() > 0 ? pages.PageWidth() : frame.Width());
  const int areaH =
      std::min(frame.Height(), pages.PageHeight() > 0 ? pages.PageHeight() : frame.Height());
  frame.Fill(clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top,
             Surface::FromColorRef(page->backgroundColour));
  const Image24& image = page->image.image;
  if (!page->hasImage || image.Empty())
    return;
  const Rect area{clip.left, clip.top, std::min(clip.right, areaW), std::min(clip.bottom, areaH)};
  if (!page->tileImage) {
    DrawImage(frame, image, 0, 0, area);
    return;
  }
  const int w = static_cast<int>(image.width), h = static_cast<int>(image.height);
  for (int y = (area.top / h) * h; y < area.bottom; y += h) {
    for (int x = (area.left / w) * w; x < area.right; x += w)
      DrawImage(frame, image, x, y, area);
  }
}

}  // namespace qlm
