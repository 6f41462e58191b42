#include "player/FieldMenu.h"

#include <algorithm>

#include "platform/KeyNames.h"

namespace qlm {

FieldMenu::FieldMenu(FontCache& fonts, std::function<void(const IntRect&)> repaint)
    : fonts_(fonts), repaint_(std::move(repaint)) {}

const Font& FieldMenu::MenuFont() {
  FontSpec spec;
  spec.face = "Tahoma";
  spec.height = -(kPointSize * 96 / 72);
  return fonts_.Get(spec);
}

int FieldMenu::ItemHeight() {
  return std::max(1, MenuFont().Metrics().height) + 2 * kItemPadY;
}

void FieldMenu::Open(int x, int y, Enabled enabled, int clientWidth, int clientHeight) {
  Close();
  const Font& font = MenuFont();
  int width = kMinWidth;
  for (const char* label : kLabels)
    width = std::max(width, font.TextWidth(label) + 2 * kItemPadX + 4);
  const int height = ItemHeight() * static_cast<int>(kLabels.size()) + 4;
  // As a menu does at a screen edge: it opens to the left of or above the pointer instead.
  if (x + width > clientWidth)
    x = x - width;
  if (y + height > clientHeight)
    y = y - height;
  bounds_ = IntRect::FromSize(std::max(0, x), std::max(0, y), width, height);
  enabled_ = enabled;
  lit_.reset();
  visible_ = true;
  repaint_(bounds_);
}

void FieldMenu::Close() {
  if (visible_)
    repaint_(bounds_);
  visible_ = false;
  lit_.reset();
}

bool FieldMenu::IsEnabled(int item) const {
  switch (static_cast<Command>(item)) {
    case Command::kCopy:
    case Command::kCut:
      return enabled_.copy;
    case Command::kPaste:
      return enabled_.paste;
    case Command::kSelectAll:
      return enabled_.selectAll;
  }
  return false;
}

std::optional<int> FieldMenu::ItemAt(int x, int y) {
  const IntRect inside = bounds_.Inflate(-2);
  if (!inside.Contains(x, y))
    return std::nullopt;
  const int item = (y - inside.top) / ItemHeight();
  if (item < 0 || item >= static_cast<int>(kLabels.size()))
    return std::nullopt;
  return item;
}

void FieldMenu::Light(std::optional<int> item) {
  if (item != lit_) {
    lit_ = item;
    repaint_(bounds_);
  }
}

std::optional<FieldMenu::Command> FieldMenu::Choose(int item) {
  if (!IsEnabled(item))
    return std::nullopt;
  Close();
  return static_cast<Command>(item);
}

std::optional<FieldMenu::Command> FieldMenu::OnMouse(const MouseEvent& event) {
  const std::optional<int> item = ItemAt(event.x, event.y);
  switch (event.action) {
    case MouseAction::kMove:
      Light(item && IsEnabled(*item) ? item : std::nullopt);
      break;
    case MouseAction::kLeftUp:
      if (item)
        return Choose(*item);
      break;
    case MouseAction::kLeftDown:
    case MouseAction::kLeftDoubleClick:
    case MouseAction::kRightDown:
      if (!bounds_.Contains(event.x, event.y))
        Close();
      break;
    default:
      break;
  }
  return std::nullopt;
}

std::optional<FieldMenu::Command> FieldMenu::OnKey(uint32_t key) {
  const int count = static_cast<int>(kLabels.size());
  if (key == vk::kEscape) {
    Close();
  } else if (key == vk::kUp || key == vk::kDown) {
    // The light steps over disabled items and wraps around.
    const int step = key == vk::kDown ? 1 : count - 1;
    int item = lit_ ? *lit_ : (key == vk::kDown ? count - 1 : 0);
    for (int i = 0; i < count; ++i) {
      item = (item + step) % count;
      if (IsEnabled(item)) {
        Light(item);
        break;
      }
    }
  } else if (key == vk::kReturn && lit_) {
    return Choose(*lit_);
  }
  return std::nullopt;
}

void FieldMenu::Draw(Canvas& canvas) {
  if (!visible_ || !bounds_.Intersects(canvas.Clip()))
    return;
  canvas.FillRect(bounds_, kFace);
  canvas.Edge(bounds_, EdgeStyle::Raised);
  const Font& font = MenuFont();
  const int itemHeight = ItemHeight();
  const IntRect inside = bounds_.Inflate(-2);
  for (int i = 0; i < static_cast<int>(kLabels.size()); ++i) {
    const IntRect row{inside.left, inside.top + i * itemHeight, inside.right,
                      inside.top + (i + 1) * itemHeight};
    uint32_t colour = IsEnabled(i) ? kText : kDisabledText;
    if (lit_ == i) {
      canvas.FillRect(row, kHighlight);
      colour = kHighlightText;
    }
    canvas.DrawText(font, kLabels[static_cast<size_t>(i)], row.left + kItemPadX,
                    row.top + kItemPadY, colour);
  }
}

}  // namespace qlm
