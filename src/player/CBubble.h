#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "graphics/Canvas.h"
#include "graphics/Font.h"
#include "graphics/Geometry.h"
#include "platform/CodePage.h"
#include "platform/EventLoop.h"
#include "script/WindowTimers.h"

namespace qlm {

// The tool-tip bubble: after the pointer rested on an object with a tool-tip text for half a
// second, the text shows in a small box 20 pixels below the pointer. The box is drawn into the
// player's frame above everything else.
class CBubble {
 public:
  static constexpr uint32_t kTimerId = window_timer::kBubble;
  static constexpr uint32_t kDelayMs = 500;
  static constexpr int kTrackDistance = 5;  // pixels the pointer may wander from the anchor
  static constexpr int kDropBelow = 20;     // the box's top below the anchor
  static constexpr int kMarginX = 4;
  static constexpr int kMarginY = 2;
  static constexpr uint32_t kBackground = 0xE1FFFF;  // 0x00BBGGRR, the tool-tip yellow
  static constexpr uint32_t kTextColor = 0x000000;
  static constexpr uint32_t kBorderColor = 0x000000;
  static constexpr int kPointSize = 8;

  // `repaint` is asked to redraw the client area the box covers when it appears or goes.
  CBubble(EventLoop& loop, FontCache& fonts, const CodePage& codePage,
          std::function<void(const IntRect&)> repaint);

  // Starts the wait for a text, or replaces a different text at once.
  void Show(const std::string& text, int x, int y);
  // The pointer moved: near the anchor it becomes the new anchor, farther away the bubble goes.
  void Track(int x, int y);
  void Hide();
  // True when the id was the bubble's timer.
  bool OnTimer(uint32_t id);

  bool Active() const { return active_; }
  bool Visible() const { return visible_; }
  const std::string& Text() const { return text_; }
  IntPoint Anchor() const { return anchor_; }

  // The client area the box is kept inside when it fits.
  void SetClientSize(int width, int height);
  // Where the box is drawn.
  IntRect Bounds();
  void Draw(Canvas& canvas);

 private:
  const Font& BubbleFont();
  std::vector<std::string> Lines() const;

  EventLoop& loop_;
  FontCache& fonts_;
  const CodePage& codePage_;
  std::function<void(const IntRect&)> repaint_;
  std::string text_;
  IntPoint anchor_;
  bool active_ = false;
  bool visible_ = false;
  IntRect shownAt_;
  int clientW_ = 0, clientH_ = 0;
};

}  // namespace qlm
