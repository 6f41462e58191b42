#pragma once

#include <cstdint>
#include <memory>

#include "graphics/Geometry.h"
#include "graphics/Image24.h"
#include "graphics/ImagePlacement.h"

namespace qlm {

// The run-time view of an image object (kind 3) that the image-view commands change: which
// picture it shows, at what size, turned by what angle, scrolled and placed where in the
// object's rectangle, and what fills the rest of the rectangle. Until a command makes one, the
// object shows its stored picture stretched to its rectangle; a fresh view shows just that.
//
// Geometry: at zoom 100 the picture has its base size: the object's rectangle for the stored
// picture, the picture's own pixel size for one loaded from a file, or the size ResizeImage
// gave. The zoom scales the base size; the picture's top-left corner lies at the origin less
// the scroll offsets (relative to the rectangle's top-left) and the picture turns around its
// own centre. All operations take the rectangle the object has now.
class ImageView {
 public:
  static constexpr int32_t kMinZoom = 1;
  static constexpr int32_t kMaxZoom = 3200;
  // Sizes, origins and scroll offsets stay within this many pixels either way.
  static constexpr int32_t kMaxSide = 32767;
  static constexpr int32_t kMaxOffset = 1 << 28;

  // The picture shown; null: the object's own stored picture.
  const Image24* Picture() const { return shown_.get(); }

  // A picture from a file becomes the picture the view was loaded with (what RestoreImage
  // returns to), shown at its own size with the view reset.
  void Load(Image24 picture);
  // Shows another picture in the place of the current one; the size rule stays (the stored
  // picture's stretch to the rectangle, a loaded picture's own size, or the ResizeImage size),
  // and so do zoom, angle, origin and scroll.
  void Replace(Image24 picture, const IntRect& rect);
  // The loaded picture again, at its base size, unturned, unzoomed and unscrolled. Opacity and
  // background colour are the object's and stay.
  void Restore();

  void SetZoom(int64_t percent, const IntRect& rect);  // clamped to kMinZoom..kMaxZoom
  void RotateTo(double degrees, const IntRect& rect);
  void RotateBy(double degrees, const IntRect& rect);
  void ScrollBy(int64_t dx, int64_t dy, const IntRect& rect);
  void SetOrigin(int64_t x, int64_t y, const IntRect& rect);
  // False, and nothing changes, unless both sides are 1 to kMaxSide.
  bool Resize(int64_t width, int64_t height, const IntRect& rect);
  void UseBackground(bool use) { useBackground_ = use; }
  void SetBackground(uint32_t colour) { background_ = colour & 0xFFFFFF; }

  int32_t Zoom() const { return zoom_; }
  double Angle() const { return angle_; }  // 0 up to 360
  int32_t ScrollX() const { return scrollX_; }
  int32_t ScrollY() const { return scrollY_; }
  int32_t OriginX() const { return originX_; }
  int32_t OriginY() const { return originY_; }
  bool UsesBackground() const { return useBackground_; }
  uint32_t Background() const { return background_; }  // 0x00BBGGRR

  // Where the picture lies on the page when the object's rectangle is `rect`.
  ImagePlacement Placement(const IntRect& rect) const;

 private:
  enum class SizeRule { kStretch, kOwnSize, kFixed };

  // The size at zoom 100.
  void BaseSize(const IntRect& rect, double& width, double& height) const;
  // Keeps the scroll offsets where the turned picture still covers as much of the rectangle as
  // it can: a picture that fits the rectangle does not scroll; a larger one scrolls until its
  // edge reaches the rectangle's edge.
  void ClampScroll(const IntRect& rect);

  std::shared_ptr<const Image24> loaded_, shown_;  // null: the stored picture
  SizeRule loadedRule_ = SizeRule::kStretch, rule_ = SizeRule::kStretch;
  int32_t fixedWidth_ = 0, fixedHeight_ = 0;
  int32_t zoom_ = 100;
  double angle_ = 0;
  int32_t originX_ = 0, originY_ = 0;
  int32_t scrollX_ = 0, scrollY_ = 0;
  bool useBackground_ = false;
  uint32_t background_ = 0xFFFFFF;
};

}  // namespace qlm
