#include "script/ImageView.h"

#include "graphics/TurnedExtent.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace qlm {

namespace {

int32_t ClampOffset(double v) {
  if (std::isnan(v))
    return 0;
  return static_cast<int32_t>(
      std::llround(std::clamp<double>(v, -ImageView::kMaxOffset, ImageView::kMaxOffset)));
}

double NormalAngle(double degrees) {
  double a = std::fmod(degrees, 360.0);
  if (a < 0)
    a += 360.0;
  return a >= 360.0 ? 0.0 : a;
}

}  // namespace

void ImageView::Load(Image24 picture) {
  loaded_ = std::make_shared<const Image24>(std::move(picture));
  loadedRule_ = SizeRule::kOwnSize;
  Restore();
}

void ImageView::Replace(Image24 picture, const IntRect& rect) {
  shown_ = std::make_shared<const Image24>(std::move(picture));
  // The stored picture is stretched to the rectangle, and so is one shown in its place.
  ClampScroll(rect);
}

void ImageView::Restore() {
  shown_ = loaded_;
  rule_ = loadedRule_;
  zoom_ = 100;
  angle_ = 0;
  originX_ = originY_ = scrollX_ = scrollY_ = 0;
}

void ImageView::SetZoom(int64_t percent, const IntRect& rect) {
  const int32_t zoom = static_cast<int32_t>(std::clamp<int64_t>(percent, kMinZoom, kMaxZoom));
  // The point of the picture at the rectangle's centre stays there: it moves away from the
  // picture's centre by the ratio of the zooms, whatever the angle.
  const ImagePlacement before = Placement(rect);
  const double k = static_cast<double>(zoom) / zoom_;
  zoom_ = zoom;
  const double midX = rect.left + rect.Width() / 2.0, midY = rect.top + rect.Height() / 2.0;
  const double centreX = midX - k * (midX - before.centreX);
  const double centreY = midY - k * (midY - before.centreY);
  double width = 0, height = 0;
  BaseSize(rect, width, height);
  width = width * zoom_ / 100.0;
  height = height * zoom_ / 100.0;
  scrollX_ = ClampOffset(rect.left + originX_ + width / 2 - centreX);
  scrollY_ = ClampOffset(rect.top + originY_ + height / 2 - centreY);
  ClampScroll(rect);
}

void ImageView::RotateTo(double degrees, const IntRect& rect) {
  if (!std::isfinite(degrees))
    return;
  angle_ = NormalAngle(degrees);
  ClampScroll(rect);
}

void ImageView::RotateBy(double degrees, const IntRect& rect) {
  if (std::isfinite(degrees))
    RotateTo(angle_ + NormalAngle(degrees), rect);
}

void ImageView::ScrollBy(int64_t dx, int64_t dy, const IntRect& rect) {
  scrollX_ = ClampOffset(static_cast<double>(scrollX_) + static_cast<double>(dx));
  scrollY_ = ClampOffset(static_cast<double>(scrollY_) + static_cast<double>(dy));
  ClampScroll(rect);
}

void ImageView::SetOrigin(int64_t x, int64_t y, const IntRect& rect) {
  originX_ = ClampOffset(static_cast<double>(x));
  originY_ = ClampOffset(static_cast<double>(y));
  ClampScroll(rect);
}

bool ImageView::Resize(int64_t width, int64_t height, const IntRect& rect) {
  if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide)
    return false;
  rule_ = SizeRule::kFixed;
  fixedWidth_ = static_cast<int32_t>(width);
  fixedHeight_ = static_cast<int32_t>(height);
  ClampScroll(rect);
  return true;
}

void ImageView::BaseSize(const IntRect& rect, double& width, double& height) const {
  switch (rule_) {
    case SizeRule::kOwnSize:
      if (shown_) {
        width = shown_->width;
        height = shown_->height;
        return;
      }
      break;
    case SizeRule::kFixed:
      width = fixedWidth_;
      height = fixedHeight_;
      return;
    case SizeRule::kStretch:
      break;
  }
  width = std::max(0.0, static_cast<double>(rect.right) - rect.left);
  height = std::max(0.0, static_cast<double>(rect.bottom) - rect.top);
}

ImagePlacement ImageView::Placement(const IntRect& rect) const {
  double width = 0, height = 0;
  BaseSize(rect, width, height);
  width = width * zoom_ / 100.0;
  height = height * zoom_ / 100.0;
  ImagePlacement p;
  p.width = width;
  p.height = height;
  p.centreX = static_cast<double>(rect.left) + originX_ - scrollX_ + width / 2;
  p.centreY = static_cast<double>(rect.top) + originY_ - scrollY_ + height / 2;
  p.angleDegrees = angle_;
  return p;
}

void ImageView::ClampScroll(const IntRect& rect) {
  double width = 0, height = 0;
  BaseSize(rect, width, height);
  width = width * zoom_ / 100.0;
  height = height * zoom_ / 100.0;
  const TurnedExtent extent(width, height, angle_);
  const double extentW = extent.width, extentH = extent.height;
  // The turned picture's bounding box relative to the rectangle's top-left, unscrolled.
  const double left = originX_ + (width - extentW) / 2, right = left + extentW;
  const double top = originY_ + (height - extentH) / 2, bottom = top + extentH;
  const double viewW = std::max(0.0, static_cast<double>(rect.right) - rect.left);
  const double viewH = std::max(0.0, static_cast<double>(rect.bottom) - rect.top);
  // Rounded inward, so that a scroll offset never shows past the picture's edge.
  const double lowX = std::min(0.0, std::ceil(left)),
               highX = std::max(0.0, std::floor(right - viewW));
  const double lowY = std::min(0.0, std::ceil(top)),
               highY = std::max(0.0, std::floor(bottom - viewH));
  scrollX_ = ClampOffset(std::clamp<double>(scrollX_, lowX, highX));
  scrollY_ = ClampOffset(std::clamp<double>(scrollY_, lowY, highY));
}

}  // namespace qlm
