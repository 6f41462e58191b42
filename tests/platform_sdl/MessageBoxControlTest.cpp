#include "platform/sdl/MessageBoxControl.h"

#include "platform/sdl/MessageBoxPainter.h"

#include <gtest/gtest.h>

#include "platform/Dialogs.h"
#include "platform/KeyNames.h"

namespace qlm {
namespace {

std::vector<int> Ids(const MessageBoxControl& c) {
  std::vector<int> ids;
  for (const MessageBoxButton& b : c.Buttons())
    ids.push_back(b.id);
  return ids;
}

TEST(MessageBoxControlTest, ButtonsDefaultAndEscapeByStyle) {
  struct Case {
    uint32_t style;
    std::vector<int> buttons;
    int enter;  // what Enter returns at once
    std::optional<int> escape;
  } cases[] = {
      {mb::kOk | mb::kIconWarning, {idb::kOk}, idb::kOk, idb::kOk},
      {mb::kOkCancel, {idb::kOk, idb::kCancel}, idb::kOk, idb::kCancel},
      {mb::kOkCancel | 0x100, {idb::kOk, idb::kCancel}, idb::kCancel, idb::kCancel},
      {mb::kAbortRetryIgnore, {idb::kAbort, idb::kRetry, idb::kIgnore}, idb::kAbort, std::nullopt},
      {mb::kYesNoCancel | 0x200, {idb::kYes, idb::kNo, idb::kCancel}, idb::kCancel, idb::kCancel},
      {mb::kYesNo, {idb::kYes, idb::kNo}, idb::kYes, idb::kNo},
      {mb::kYesNo | 0x200, {idb::kYes, idb::kNo}, idb::kYes, idb::kNo},  // no third button
      {mb::kRetryCancel, {idb::kRetry, idb::kCancel}, idb::kRetry, idb::kCancel},
      {mb::kCancelTryContinue,
       {idb::kCancel, idb::kTryAgain, idb::kContinue},
       idb::kCancel,
       idb::kCancel},
      {0xF, {idb::kOk}, idb::kOk, idb::kOk},  // unknown button bits
  };
  for (const Case& c : cases) {
    MessageBoxControl control(c.style);
    EXPECT_EQ(Ids(control), c.buttons) << c.style;
    EXPECT_EQ(control.EscapeAnswer(), c.escape) << c.style;
    EXPECT_EQ(control.Key(vk::kEscape, false), c.escape) << c.style;
    EXPECT_EQ(control.Key(vk::kReturn, false), c.enter) << c.style;
  }
}

// The player's own consent box: buttons no presentation's box has, Deny the default and what
// Escape and closing answer.
TEST(MessageBoxControlTest, ConsentBoxDeniesByDefault) {
  MessageBoxControl control = MessageBoxControl::Consent();
  std::vector<std::string> labels;
  for (const MessageBoxButton& b : control.Buttons())
    labels.push_back(b.label);
  EXPECT_EQ(labels, (std::vector<std::string>{"Deny", "Allow once", "Always allow"}));
  EXPECT_EQ(Ids(control), (std::vector<int>{3, 4, 5}));
  EXPECT_EQ(control.EscapeAnswer(), 3);
  EXPECT_EQ(control.Key(vk::kEscape, false), 3);
  EXPECT_EQ(control.Key(vk::kReturn, false), 3);
  control.Key(vk::kTab, false);
  EXPECT_EQ(control.Key(vk::kReturn, false), 4);
}

TEST(MessageBoxControlTest, TabAndArrowsMoveTheFocusRound) {
  MessageBoxControl control(mb::kYesNoCancel);
  EXPECT_EQ(control.Key(vk::kTab, false), std::nullopt);
  EXPECT_EQ(control.Focus(), 1);
  EXPECT_EQ(control.Key(vk::kReturn, false), idb::kNo);
  control.Key(vk::kRight, false);
  control.Key(vk::kRight, false);
  EXPECT_EQ(control.Focus(), 0);  // past the last button back to the first
  control.Key(vk::kTab, true);
  EXPECT_EQ(control.Focus(), 2);  // Shift+Tab backwards
  EXPECT_EQ(control.Key(vk::kSpace, false), idb::kCancel);
  control.SetFocus(7);  // no such button: unchanged
  EXPECT_EQ(control.Focus(), 2);
}

// A short message under a long caption: the box is made wide enough for the caption to show
// whole in the title bar, beside the title bar's own buttons.
TEST(MessageBoxPainterTest, BoxIsWideEnoughForItsCaption) {
  MessageBoxPainter painter;
  MessageBoxControl control(mb::kOk);
  const MessageBoxLayout plain = painter.Layout("Hello", mb::kOk, control);
  const std::string caption = "QLM Player demo: a presentation with a rather long title";
  const MessageBoxLayout titled = painter.Layout("Hello", mb::kOk, control, caption);
  FontCache fonts;
  FontSpec spec;
  spec.face = "Segoe UI";
  spec.height = -13;
  EXPECT_GE(titled.width, fonts.Get(spec).TextWidth(caption) + MessageBoxPainter::kTitleBarRoom);
  EXPECT_GT(titled.width, plain.width);
  // The buttons stay at the right edge.
  EXPECT_EQ(titled.buttons.back().right, titled.width - (plain.width - plain.buttons.back().right));
}

// A box over a window shown at 2x is drawn at 2x: the same layout, twice the pixels, edges two
// pixels wide, and text from a font made twice as large rather than blown-up 1x glyphs.
TEST(MessageBoxPainterTest, BoxDrawnAtTwiceTheScaleIsSharp) {
  MessageBoxPainter painter;
  MessageBoxControl control(mb::kYesNo);
  const MessageBoxLayout l = painter.Layout("Keep the changes?", mb::kYesNo, control);
  Surface one(l.width, l.height), two(l.width * 2, l.height * 2);
  FontCache scaledFonts;
  DialogCanvas canvasOne(one, 1, nullptr), canvasTwo(two, 2, &scaledFonts);
  painter.Paint(canvasOne, l, control, -1);
  painter.Paint(canvasTwo, l, control, -1);
  // Shapes: every pixel of a button's top away from its label and the corners its right edge
  // owns is the 1x pixel, doubled.
  const IntRect& b = l.buttons[1];
  for (int y = b.top; y < b.top + 4; ++y) {
    for (int x = b.left; x < b.right - 2; ++x) {
      for (int d = 0; d < 4; ++d)
        ASSERT_EQ(two.Pixel(2 * x + d % 2, 2 * y + d / 2), one.Pixel(x, y)) << x << "," << y;
    }
  }
  // Text: the ink of the message is about twice as tall, and not made of 2 x 2 blocks.
  auto inkRows = [](const Surface& s, int top, int bottom) {
    int first = -1, last = -1;
    for (int y = top; y < bottom; ++y) {
      for (int x = 0; x < s.Width(); ++x) {
        if ((s.Pixel(x, y) & 0xFFFFFF) < 0x808080) {
          first = first < 0 ? y : first;
          last = y;
          break;
        }
      }
    }
    return last - first + 1;
  };
  const int textBottom = l.buttons[0].top - 4;
  const int inkOne = inkRows(one, l.textY, textBottom);
  ASSERT_GT(inkOne, 4);
  EXPECT_NEAR(inkRows(two, 2 * l.textY, 2 * textBottom), 2 * inkOne, 3);
  bool blocky = true;
  for (int y = 2 * l.textY; y < 2 * textBottom && blocky; y += 2) {
    for (int x = 0; x + 1 < two.Width() && blocky; x += 2) {
      const uint32_t p = two.Pixel(x, y);
      blocky = p == two.Pixel(x + 1, y) && p == two.Pixel(x, y + 1) && p == two.Pixel(x + 1, y + 1);
    }
  }
  EXPECT_FALSE(blocky) << "the text is the 1x text enlarged";
}

}  // namespace
}  // namespace qlm
