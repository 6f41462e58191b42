#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "graphics/Surface.h"

namespace qlm {

// The screen of headless runs: the window's client area kept in memory. The player presents
// each composed update box into it; screenshots are PNG files of it.
class HeadlessDisplay {
 public:
  HeadlessDisplay(int width = 640, int height = 480) : frame_(width, height) {}

  // New client size; what fits of the old picture stays, the rest is black.
  void Resize(int width, int height);
  // Copies the composed box (window coordinates of its top-left corner at x, y).
  void Present(const Surface& box, int x, int y);
  // Copies the dirty rectangle (x, y, w, h) of a whole-window frame.
  void PresentRect(const Surface& frame, int x, int y, int w, int h);

  const Surface& Frame() const { return frame_; }
  int Presents() const { return presents_; }
  void SetTitle(std::string title) { title_ = std::move(title); }
  const std::string& Title() const { return title_; }

  std::vector<uint8_t> ScreenshotPng() const;
  // Writes the PNG; false with a message in `error` when it cannot.
  bool WriteScreenshot(const std::filesystem::path& path, std::string& error) const;

 private:
  Surface frame_;
  std::string title_;
  int presents_ = 0;
};

}  // namespace qlm
