#include "player/CBubble.h"

#include <algorithm>
#include <cstdlib>

namespace qlm {

CBubble::CBubble(EventLoop& loop, FontCache& fonts, const CodePage& codePage,
                 std::function<void(const IntRect&)> repaint)
    : loop_(loop), fonts_(fonts), codePage_(codePage), repaint_(std::move(repaint)) {}

void CBubble::Show(const std::string& text, int x, int y) {
  if (active_) {
    if (text == text_)
      return;
    // Another text: it replaces the old one at once, at the new place.
    Hide();
    text_ = text;
    anchor_ = {x, y};
    active_ = true;
    visible_ = true;
    shownAt_ = Bounds();
    repaint_(shownAt_);
    return;
  }
  text_ = text;
  anchor_ = {x, y};
  active_ = true;
  loop_.SetTimer(kTimerId, kDelayMs);
}

void CBubble::Track(int x, int y) {
  if (!active_)
    return;
  if (std::abs(x - anchor_.x) <= kTrackDistance && std::abs(y - anchor_.y) <= kTrackDistance) {
    anchor_ = {x, y};
    return;
  }
  Hide();
}

void CBubble::Hide() {
  loop_.KillTimer(kTimerId);
  if (visible_)
    repaint_(shownAt_);
  active_ = false;
  visible_ = false;
}

bool CBubble::OnTimer(uint32_t id) {
  if (id != kTimerId)
    return false;
  loop_.KillTimer(kTimerId);
  if (active_ && !visible_) {
    visible_ = true;
    shownAt_ = Bounds();
    repaint_(shownAt_);
  }
  return true;
}

const Font& CBubble::BubbleFont() {
  // A point size at the usual 96 pixels per inch, as a character height.
  FontSpec spec;
  spec.face = "Tahoma";
  spec.height = -(kPointSize * 96 / 72);
  return fonts_.Get(spec);
}

std::vector<std::string> CBubble::Lines() const {
  std::vector<std::string> lines;
  size_t start = 0;
  for (;;) {
    const size_t nl = text_.find('\n', start);
    std::string line = text_.substr(start, nl == std::string::npos ? nl : nl - start);
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    lines.push_back(codePage_.ToUtf8(line));
    if (nl == std::string::npos)
      break;
    start = nl + 1;
  }
  return lines;
}

void CBubble::SetClientSize(int width, int height) {
  clientW_ = width;
  clientH_ = height;
}

IntRect CBubble::Bounds() {
  const Font& font = BubbleFont();
  const std::vector<std::string> lines = Lines();
  int width = 0;
  for (const std::string& line : lines)
    width = std::max(width, font.TextWidth(line));
  const int lineHeight = std::max(1, font.Metrics().height);
  const int w = width + 2 * kMarginX + 2;
  const int h = lineHeight * static_cast<int>(lines.size()) + 2 * kMarginY + 2;
  int left = anchor_.x;
  int top = anchor_.y + kDropBelow;
  if (clientW_ > 0 && left + w > clientW_)
    left = std::max(0, clientW_ - w);
  if (clientH_ > 0 && top + h > clientH_)
    top = std::max(0, anchor_.y - h);
  return IntRect::FromSize(left, top, w, h);
}

void CBubble::Draw(Canvas& canvas) {
  if (!visible_)
    return;
  const IntRect box = Bounds();
  if (!box.Intersects(canvas.Clip()))
    return;
  canvas.FillRect(box, kBackground);
  canvas.FrameRect(box, kBorderColor);
  const Font& font = BubbleFont();
  const int lineHeight = std::max(1, font.Metrics().height);
  int top = box.top + 1 + kMarginY;
  for (const std::string& line : Lines()) {
    canvas.DrawText(font, line, box.left + 1 + kMarginX, top, kTextColor);
    top += lineHeight;
  }
}

}  // namespace qlm
