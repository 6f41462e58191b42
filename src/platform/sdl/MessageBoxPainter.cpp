#include "platform/sdl/MessageBoxPainter.h"

#include <algorithm>

#include "graphics/TextLayout.h"
#include "platform/Dialogs.h"
#include "platform/sdl/DialogCanvas.h"

namespace qlm {
namespace {

constexpr int kMargin = 14;
constexpr int kIconSize = 32;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 24;
constexpr int kButtonGap = 8;
constexpr uint32_t kFace = 0xF0F0F0;  // 0x00BBGGRR
constexpr uint32_t kButtonFace = 0xE1E1E1;
constexpr uint32_t kText = 0x000000;

struct IconLook {
  uint32_t fill;
  const char* glyph;
};

IconLook LookOf(uint32_t icon) {
  switch (icon) {
    case mb::kIconError:
      return {0x2020D0, "X"};
    case mb::kIconQuestion:
      return {0xC06000, "?"};
    case mb::kIconWarning:
      return {0x00C0F0, "!"};
    default:
      return {0xC06000, "i"};
  }
}

// The lines of `text` as they stand, each cut with "..." to fit `maxWidth`.
std::vector<std::string> ElidedLines(const Font& font, const std::string& text, int maxWidth) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? end : end - start);
    if (font.TextWidth(line) > maxWidth) {
      while (!line.empty() && font.TextWidth(line + "...") > maxWidth) {
        // A whole UTF-8 character at a time: its continuation bytes, then its first byte.
        unsigned char last = 0;
        do {
          last = static_cast<unsigned char>(line.back());
          line.pop_back();
        } while (!line.empty() && (last & 0xC0) == 0x80);
      }
      line += "...";
    }
    lines.push_back(std::move(line));
    if (end == std::string::npos)
      return lines;
    start = end + 1;
  }
}

}  // namespace

MessageBoxPainter::MessageBoxPainter() {
  textFont_.face = "Segoe UI";
  textFont_.height = -13;
}

MessageBoxLayout MessageBoxPainter::Layout(const std::string& text, uint32_t style,
                                           const MessageBoxControl& control,
                                           const std::string& caption, bool dataLines) {
  MessageBoxLayout l;
  const Font& font = fonts_.Get(textFont_);
  l.icon = style & 0xF0;
  if (l.icon != mb::kIconError && l.icon != mb::kIconQuestion && l.icon != mb::kIconWarning &&
      l.icon != mb::kIconInformation)
    l.icon = 0;
  l.lines =
      dataLines ? ElidedLines(font, text, kMaxDataWidth) : WrapText(font, text, kMaxTextWidth);
  if (l.lines.empty())
    l.lines.emplace_back();
  l.lineHeight = std::max(1, font.Metrics().height);
  int textWidth = 0;
  for (const std::string& line : l.lines)
    textWidth = std::max(textWidth, font.TextWidth(line));
  const int textHeight = l.lineHeight * static_cast<int>(l.lines.size());

  l.textX = kMargin + (l.icon ? kIconSize + kMargin : 0);
  const int contentHeight = std::max(textHeight, l.icon ? kIconSize : 0);
  l.textY = kMargin + (contentHeight - textHeight) / 2;
  if (l.icon)
    l.iconRect =
        IntRect::FromSize(kMargin, kMargin + (contentHeight - kIconSize) / 2, kIconSize, kIconSize);

  const int n = static_cast<int>(control.Buttons().size());
  int buttonWidth = kButtonWidth;
  for (const MessageBoxButton& b : control.Buttons())
    buttonWidth = std::max(buttonWidth, font.TextWidth(b.label) + 2 * kMargin);
  const int buttonsWidth = n * buttonWidth + (n - 1) * kButtonGap;
  l.width = std::max(l.textX + textWidth + kMargin, buttonsWidth + 2 * kMargin);
  l.width = std::max(l.width, 200);
  // The caption stays whole in the title bar (title fonts run about a sixth wider than the
  // text's).
  if (!caption.empty())
    l.width = std::max(l.width, font.TextWidth(caption) * 7 / 6 + kTitleBarRoom);
  const int buttonTop = kMargin + contentHeight + kMargin;
  l.height = buttonTop + kButtonHeight + kMargin;
  // Buttons sit at the right, as the desktop's own boxes put them.
  int x = l.width - kMargin - buttonsWidth;
  for (int i = 0; i < n; ++i) {
    l.buttons.push_back(IntRect::FromSize(x, buttonTop, buttonWidth, kButtonHeight));
    x += buttonWidth + kButtonGap;
  }
  return l;
}

void MessageBoxPainter::Paint(DialogCanvas& canvas, const MessageBoxLayout& l,
                              const MessageBoxControl& control, int pressed) {
  canvas.FillRect(IntRect{0, 0, canvas.Width(), canvas.Height()}, kFace);
  if (l.icon) {
    const IconLook look = LookOf(l.icon);
    canvas.Ellipse(l.iconRect, look.fill, look.fill);
    FontSpec glyphSpec;
    glyphSpec.face = "DejaVu Sans";
    glyphSpec.height = -22;
    glyphSpec.weight = 700;
    const Font& glyph = fonts_.Get(glyphSpec);
    const int gw = glyph.TextWidth(look.glyph);
    canvas.DrawText(glyph, look.glyph, l.iconRect.left + (kIconSize - gw) / 2,
                    l.iconRect.top + (kIconSize - glyph.Metrics().height) / 2, 0xFFFFFF);
  }
  // A font reference lasts until the next Get, so the text font is fetched after the glyph's.
  const Font& textFont = fonts_.Get(textFont_);
  for (size_t i = 0; i < l.lines.size(); ++i) {
    canvas.DrawText(textFont, l.lines[i], l.textX, l.textY + static_cast<int>(i) * l.lineHeight,
                    kText);
  }
  for (size_t i = 0; i < l.buttons.size(); ++i) {
    const IntRect& r = l.buttons[i];
    const bool down = static_cast<int>(i) == pressed;
    canvas.FillRect(r, kButtonFace);
    canvas.Edge(r, down ? EdgeStyle::ButtonDown : EdgeStyle::ButtonUp);
    const std::string& label = control.Buttons()[i].label;
    const int shift = down ? 1 : 0;
    const int tx = r.left + (r.Width() - textFont.TextWidth(label)) / 2 + shift;
    const int ty = r.top + (r.Height() - textFont.Metrics().height) / 2 + shift;
    canvas.DrawText(textFont, label, tx, ty, kText);
    if (static_cast<int>(i) == control.Focus()) {
      canvas.FrameRect(r, 0x000000);
      canvas.FocusRect(r.Inflate(-4));
    }
  }
}

int MessageBoxPainter::ButtonAt(const MessageBoxLayout& layout, int x, int y) {
  for (size_t i = 0; i < layout.buttons.size(); ++i) {
    if (layout.buttons[i].Contains(x, y))
      return static_cast<int>(i);
  }
  return -1;
}

}  // namespace qlm
