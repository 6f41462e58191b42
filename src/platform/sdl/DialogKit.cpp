#include "platform/sdl/DialogKit.h"

#include <algorithm>

namespace qlm {

DialogKit::DialogKit() {
  textFont_.face = "Segoe UI";
  textFont_.height = -13;
}

void DialogKit::Face(DialogCanvas& canvas, int width, int height) {
  canvas.FillRect(IntRect{0, 0, width, height}, kFace);
}

void DialogKit::Label(DialogCanvas& canvas, int x, int y, const std::string& text,
                      uint32_t colour) {
  canvas.DrawText(TextFont(), text, x, y, colour);
}

void DialogKit::Button(DialogCanvas& canvas, const IntRect& r, const std::string& label, bool down,
                       bool focused) {
  canvas.FillRect(r, 0xE1E1E1);
  canvas.Edge(r, down ? EdgeStyle::ButtonDown : EdgeStyle::ButtonUp);
  const Font& font = TextFont();
  const int shift = down ? 1 : 0;
  canvas.DrawText(font, label, r.left + (r.Width() - font.TextWidth(label)) / 2 + shift,
                  r.top + (r.Height() - font.Metrics().height) / 2 + shift, kText);
  if (focused) {
    canvas.FrameRect(r, 0x000000);
    canvas.FocusRect(r.Inflate(-4));
  }
}

void DialogKit::Field(DialogCanvas& canvas, const IntRect& r, const std::string& text,
                      bool focused) {
  canvas.FillRect(r, kWindow);
  canvas.Edge(r, EdgeStyle::Sunken);
  const IntRect inner = r.Inflate(-4);
  const Font& font = TextFont();
  const int width = font.TextWidth(text);
  const int x = width > inner.Width() ? inner.right - width : inner.left;
  const int y = r.top + (r.Height() - font.Metrics().height) / 2;
  {
    DialogCanvas::ClipScope clip(canvas, inner);
    canvas.DrawText(font, text, x, y, kText);
  }
  if (focused) {
    const int caret = std::min(x + width, inner.right - 1);
    canvas.FillRect(IntRect{caret, y, caret + 1, y + font.Metrics().height}, kText);
  }
}

void DialogKit::CheckBox(DialogCanvas& canvas, int x, int y, const std::string& label, bool checked,
                         bool focused) {
  const IntRect box = IntRect::FromSize(x, y, 13, 13);
  canvas.FillRect(box, kWindow);
  canvas.FrameRect(box, 0x404040);
  if (checked) {
    canvas.Line({x + 3, y + 6}, {x + 5, y + 9}, kText, 2);
    canvas.Line({x + 5, y + 9}, {x + 10, y + 3}, kText, 2);
  }
  const Font& font = TextFont();
  canvas.DrawText(font, label, x + 19, y + (13 - font.Metrics().height) / 2, kText);
  if (focused)
    canvas.FocusRect(IntRect::FromSize(x + 17, y - 2, font.TextWidth(label) + 4, 17));
}

void DialogKit::List(DialogCanvas& canvas, const IntRect& r, const std::vector<std::string>& rows,
                     int top, int selected, bool focused, const std::vector<bool>& folders) {
  canvas.FillRect(r, kWindow);
  canvas.Edge(r, EdgeStyle::Sunken);
  const IntRect inner = r.Inflate(-2);
  DialogCanvas::ClipScope clip(canvas, inner);
  const Font& font = TextFont();
  const int visible = VisibleRows(r);
  for (int i = 0; i < visible && top + i < static_cast<int>(rows.size()); ++i) {
    const int index = top + i;
    const IntRect row{inner.left, inner.top + i * kRowHeight, inner.right,
                      inner.top + (i + 1) * kRowHeight};
    const bool isSelected = index == selected;
    if (isSelected)
      canvas.FillRect(row, kHighlight);
    int textX = row.left + 4;
    if (static_cast<size_t>(index) < folders.size() && folders[static_cast<size_t>(index)]) {
      // A small folder: a tab and a body.
      canvas.FillRect(IntRect::FromSize(row.left + 4, row.top + 4, 6, 2), 0x40C0F0);
      canvas.FillRect(IntRect::FromSize(row.left + 4, row.top + 6, 14, 9), 0x40C0F0);
      textX += 20;
    }
    canvas.DrawText(font, rows[static_cast<size_t>(index)], textX,
                    row.top + (kRowHeight - font.Metrics().height) / 2,
                    isSelected ? kHighlightText : kText);
    if (isSelected && focused)
      canvas.FocusRect(row);
  }
}

int DialogKit::RowAt(const IntRect& r, int top, int count, int x, int y) {
  const IntRect inner = r.Inflate(-2);
  if (!inner.Contains(x, y))
    return -1;
  const int row = top + (y - inner.top) / kRowHeight;
  return row < count && (y - inner.top) / kRowHeight < VisibleRows(r) ? row : -1;
}

std::string WithoutLastCharacter(const std::string& utf8) {
  size_t end = utf8.size();
  while (end > 0) {
    --end;
    if ((static_cast<unsigned char>(utf8[end]) & 0xC0) != 0x80)
      break;
  }
  return utf8.substr(0, end);
}

int ScrollToShow(int top, int selected, int visible, int count) {
  if (selected >= 0) {
    if (selected < top)
      top = selected;
    else if (selected >= top + visible)
      top = selected - visible + 1;
  }
  return std::clamp(top, 0, std::max(0, count - visible));
}

}  // namespace qlm
