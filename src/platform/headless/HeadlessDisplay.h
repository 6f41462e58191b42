#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "graphics/Surface.h"
#include "platform/Display.h"

namespace qlm {

// The screen of headless runs: the window's client area kept in memory. The player presents
// each composed update box into it; screenshots are PNG files of it.
class HeadlessDisplay : public Display {
 public:
  HeadlessDisplay(int width = 640, int height = 480) : frame_(width, height) {}

  // Display: the window's state is only recorded; the screen is a fixed 1024 x 768.
  void Present(const Surface& frame, int x, int y, int w, int h) override {
    PresentRect(frame, x, y, w, h);
  }
  void SetTitle(const std::string& title) override { title_ = title; }
  void SetClientSize(int width, int height) override { Resize(width, height); }
  int ClientWidth() const override { return frame_.Width(); }
  int ClientHeight() const override { return frame_.Height(); }
  void SetPosition(int x, int y) override {
    left_ = x;
    top_ = y;
  }
  int Left() const override { return left_; }
  int Top() const override { return top_; }
  void SetDecorations(bool titleBar, bool minimizeBox) override {
    titleBar_ = titleBar;
    minimizeBox_ = minimizeBox;
  }
  void SetTopmost(bool topmost) override { topmost_ = topmost; }
  void SetMinimized(bool minimized) override { minimized_ = minimized; }
  bool IsMinimized() const override { return minimized_; }
  void RequestFullScreen(int width, int height) override {
    fullScreenWidth_ = width;
    fullScreenHeight_ = height;
  }
  ScreenMetrics Screen() const override { return screen_; }
  // The clipboard of the run: what a script puts there it reads back; nothing else sees it.
  void SetClipboardText(const std::string& text) override { clipboard_ = text; }
  std::string ClipboardText() const override { return clipboard_; }
  void SetScreen(const ScreenMetrics& screen) { screen_ = screen; }
  bool Topmost() const { return topmost_; }
  bool TitleBar() const { return titleBar_; }
  bool MinimizeBox() const { return minimizeBox_; }
  // 0 x 0 unless a resolution change was asked for.
  int FullScreenWidth() const { return fullScreenWidth_; }
  int FullScreenHeight() const { return fullScreenHeight_; }

  // New client size; what fits of the old picture stays, the rest is black.
  void Resize(int width, int height);
  // Copies the composed box (window coordinates of its top-left corner at x, y).
  void Present(const Surface& box, int x, int y);
  // Copies the dirty rectangle (x, y, w, h) of a whole-window frame.
  void PresentRect(const Surface& frame, int x, int y, int w, int h);

  const Surface& Frame() const { return frame_; }
  int Presents() const { return presents_; }
  const std::string& Title() const { return title_; }

  std::vector<uint8_t> ScreenshotPng() const;
  // Writes the PNG; false with a message in `error` when it cannot.
  bool WriteScreenshot(const std::filesystem::path& path, std::string& error) const;

 private:
  Surface frame_;
  std::string title_;
  int presents_ = 0;
  ScreenMetrics screen_;
  int left_ = 0, top_ = 0;
  bool titleBar_ = true, minimizeBox_ = true, topmost_ = false, minimized_ = false;
  int fullScreenWidth_ = 0, fullScreenHeight_ = 0;
  std::string clipboard_;
};

}  // namespace qlm
