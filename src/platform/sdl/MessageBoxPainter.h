#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/Font.h"
#include "graphics/Geometry.h"
#include "platform/sdl/DialogCanvas.h"
#include "platform/sdl/MessageBoxControl.h"

namespace qlm {

// Where the parts of a message box go, in pixels of its window.
struct MessageBoxLayout {
  int width = 0;
  int height = 0;
  uint32_t icon = 0;  // the style's icon bits (mb::kIcon...), 0 for none
  IntRect iconRect;
  std::vector<std::string> lines;  // UTF-8, wrapped
  int textX = 0;
  int textY = 0;
  int lineHeight = 0;
  std::vector<IntRect> buttons;  // one per button of the control
};

// Lays out and draws message boxes with the player's own renderer.
class MessageBoxPainter {
 public:
  static constexpr int kMaxTextWidth = 420;

  MessageBoxPainter();

  static constexpr int kMaxDataWidth = 720;
  // Room a window manager's title bar takes besides the caption: its icon and buttons.
  static constexpr int kTitleBarRoom = 120;

  // text, caption: UTF-8. The box is as wide as its longest line, its buttons or its caption in
  // the title bar need. Lines longer than the box wrap; with `dataLines` each line of the text
  // stays one line, cut with "..." where it is too long, so no line can pass for another.
  MessageBoxLayout Layout(const std::string& text, uint32_t style, const MessageBoxControl& control,
                          const std::string& caption = {}, bool dataLines = false);
  // pressed: the index of the button held down, -1 for none.
  void Paint(DialogCanvas& canvas, const MessageBoxLayout& layout, const MessageBoxControl& control,
             int pressed);
  // The button under a point, -1 for none.
  static int ButtonAt(const MessageBoxLayout& layout, int x, int y);

 private:
  FontCache fonts_;
  FontSpec textFont_;
};

}  // namespace qlm
