#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/Font.h"
#include "graphics/Geometry.h"
#include "platform/sdl/DialogCanvas.h"

namespace qlm {

// The look of the player's own dialogs: the face colour, the text font, push buttons, edit
// fields, check boxes and list rows, drawn with the player's renderer. Texts are UTF-8.
class DialogKit {
 public:
  static constexpr uint32_t kFace = 0xF0F0F0;  // 0x00BBGGRR
  static constexpr uint32_t kText = 0x000000;
  static constexpr uint32_t kWindow = 0xFFFFFF;
  static constexpr uint32_t kHighlight = 0xD77800;  // a blue selection
  static constexpr uint32_t kHighlightText = 0xFFFFFF;
  static constexpr uint32_t kErrorText = 0x0000C0;
  static constexpr int kRowHeight = 18;

  DialogKit();

  const Font& TextFont() { return fonts_.Get(textFont_); }
  int TextWidth(const std::string& utf8) { return TextFont().TextWidth(utf8); }
  FontCache& Fonts() { return fonts_; }

  void Face(DialogCanvas& canvas, int width, int height);
  void Label(DialogCanvas& canvas, int x, int y, const std::string& text, uint32_t colour = kText);
  void Button(DialogCanvas& canvas, const IntRect& r, const std::string& label, bool down,
              bool focused);
  // An edit field; the text's end shows when it is wider than the field, with the caret there
  // while it has the focus.
  void Field(DialogCanvas& canvas, const IntRect& r, const std::string& text, bool focused);
  void CheckBox(DialogCanvas& canvas, int x, int y, const std::string& label, bool checked,
                bool focused);
  // A sunken white list with rows from `top`; `selected` -1 for none.
  void List(DialogCanvas& canvas, const IntRect& r, const std::vector<std::string>& rows, int top,
            int selected, bool focused, const std::vector<bool>& folders = {});
  // The number of whole rows a list of this rectangle shows.
  static int VisibleRows(const IntRect& r) { return (r.Height() - 4) / kRowHeight; }
  // The row under a point of the list, or -1.
  static int RowAt(const IntRect& r, int top, int count, int x, int y);

 private:
  FontCache fonts_;
  FontSpec textFont_;
};

// The UTF-8 text without its last character (Backspace).
std::string WithoutLastCharacter(const std::string& utf8);

// Keeps `top` so that `selected` is one of the `visible` rows from it.
int ScrollToShow(int top, int selected, int visible, int count);

}  // namespace qlm
