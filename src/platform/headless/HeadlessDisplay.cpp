#include "platform/headless/HeadlessDisplay.h"

#include "graphics/ImageCodec.h"
#include "platform/host/SurfacePng.h"

namespace qlm {

void HeadlessDisplay::Resize(int width, int height) {
  if (width == frame_.Width() && height == frame_.Height())
    return;
  Surface resized(width, height);
  resized.Blit(frame_, 0, 0, frame_.Width(), frame_.Height(), 0, 0);
  frame_ = std::move(resized);
}

void HeadlessDisplay::Present(const Surface& box, int x, int y) {
  frame_.Blit(box, 0, 0, box.Width(), box.Height(), x, y);
  ++presents_;
}

void HeadlessDisplay::PresentRect(const Surface& frame, int x, int y, int w, int h) {
  frame_.Blit(frame, x, y, w, h, x, y);
  ++presents_;
}

std::vector<uint8_t> HeadlessDisplay::ScreenshotPng() const {
  return EncodePng(frame_.ToImage24());
}

bool HeadlessDisplay::WriteScreenshot(const std::filesystem::path& path, std::string& error) const {
  return WriteSurfacePng(frame_, path, error);
}

}  // namespace qlm
