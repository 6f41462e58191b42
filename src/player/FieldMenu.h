#pragma once

#include <array>
#include <functional>
#include <optional>

#include "graphics/Canvas.h"
#include "graphics/Font.h"
#include "graphics/Geometry.h"
#include "platform/EventLoop.h"

namespace qlm {

// The pop-up menu of an input field: Copy, Cut, Paste and Select all at the pointer. It is drawn
// into the player's frame above everything else (like the tool-tip bubble), so it looks and works
// the same in a window, in full screen and headless, where the events file's clicks choose from it.
// While it is open it takes all mouse and key input.
class FieldMenu {
 public:
  enum class Command { kCopy, kCut, kPaste, kSelectAll };
  static constexpr std::array<const char*, 4> kLabels{"Copy", "Cut", "Paste", "Select all"};
  // Which commands would do something; the others are greyed and cannot be chosen.
  struct Enabled {
    bool copy = false;  // Copy and Cut: a selection that may leave the field
    bool paste = false;
    bool selectAll = false;
  };
  static constexpr int kPointSize = 8;
  static constexpr int kItemPadX = 18;
  static constexpr int kItemPadY = 3;
  static constexpr int kMinWidth = 100;
  static constexpr uint32_t kFace = 0xC0C0C0;  // 0x00BBGGRR
  static constexpr uint32_t kText = 0x000000;
  static constexpr uint32_t kDisabledText = 0x808080;
  static constexpr uint32_t kHighlight = 0x800000;
  static constexpr uint32_t kHighlightText = 0xFFFFFF;

  // `repaint` is asked to redraw the client area the menu covers when it changes.
  FieldMenu(FontCache& fonts, std::function<void(const IntRect&)> repaint);

  // Opens with its top-left corner at (x, y), moved to stay inside the client area.
  void Open(int x, int y, Enabled enabled, int clientWidth, int clientHeight);
  void Close();
  bool Visible() const { return visible_; }
  IntRect Bounds() const { return bounds_; }
  void Draw(Canvas& canvas);

  // Mouse input while open: a move lights the item under the pointer, a left release on an
  // enabled item chooses it; a press outside closes the menu. The event is the menu's in any
  // case.
  std::optional<Command> OnMouse(const MouseEvent& event);
  // Keys while open: Up and Down move the light, Enter chooses, Escape closes.
  std::optional<Command> OnKey(uint32_t vk);

 private:
  const Font& MenuFont();
  int ItemHeight();
  std::optional<int> ItemAt(int x, int y);
  bool IsEnabled(int item) const;
  void Light(std::optional<int> item);
  std::optional<Command> Choose(int item);

  FontCache& fonts_;
  std::function<void(const IntRect&)> repaint_;
  bool visible_ = false;
  Enabled enabled_;
  IntRect bounds_;
  std::optional<int> lit_;
};

}  // namespace qlm
