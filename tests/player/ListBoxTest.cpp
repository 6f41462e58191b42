#include <gtest/gtest.h>

#include <optional>

#include "PaintFixture.h"
#include "golden/GoldenImage.h"
#include "player/ListBoxInput.h"
#include "script/ListBoxControl.h"

namespace qlm::test {
namespace {

constexpr uint32_t kPaper = 0xE0FFFF;  // light yellow
constexpr uint32_t kInk = 0x800000;    // navy text

// A colour (0x00BBGGRR) as the frame's pixels hold it (0xRRGGBB).
uint32_t Pixel(uint32_t colour) {
  return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

class ListBoxPaintTest : public ::testing::Test, public PaintFixture {
 protected:
  ListBoxPaintTest() {
    ObjectRecord o = MakeObject(kObjListBox, {10, 10, 230, 110}, "list");
    o.font.height = -12;
    o.stringList = {"stored row"};
    page_.objects.push_back(std::move(o));
    list_ = ListBoxControl::FromTexts({"Alpha", "Bravo", "Charlie", "Delta"});
    list_.AddFile("C:\\music\\Echo.mp3");
    for (int i = 0; i < 6; ++i)
      list_.AddText("Row " + std::to_string(i));
  }

  Surface Frame() {
    runtime_.states["list"].listBox = &list_;
    return Paint(page_, 240, 120, runtime_);
  }
  int RowHeight() { return Objects().ListBoxRowHeight(page_.objects[0]); }
  // Top of the shown row `n` (0 = first visible row).
  int RowTop(int n) { return 12 + n * RowHeight(); }

  PageRecord page_;
  TestPaintRuntime runtime_;
  ListBoxControl list_;
};

TEST_F(ListBoxPaintTest, SelectionColoursAndTheFirstVisibleRow) {
  list_.SetTopIndex(1);
  list_.Select(3);  // Charlie, the second row shown
  list_.Select(5);  // Echo, the fourth
  list_.background = kPaper;
  list_.textColour = kInk;
  list_.hideNumbers = false;
  list_.hideTimes = false;
  const Surface frame = Frame();
  const int h = RowHeight();
  ASSERT_GT(h, 8);
  // Past the texts, rows show the list's paper or, when selected, the selection fill.
  const int x = 180;
  EXPECT_EQ(frame.Pixel(x, RowTop(0) + h / 2), Pixel(kPaper));
  EXPECT_EQ(frame.Pixel(x, RowTop(1) + h / 2), Pixel(ObjectPainter::kSelectionColor));
  EXPECT_EQ(frame.Pixel(x, RowTop(2) + h / 2), Pixel(kPaper));
  EXPECT_EQ(frame.Pixel(x - 100, RowTop(3) + 1), Pixel(ObjectPainter::kSelectionColor));
  EXPECT_TRUE(MatchesGolden(frame, "list_box"));

  // Without run-time state the stored rows show on white, nothing selected.
  runtime_.states.clear();
  const Surface stored = Paint(page_, 240, 120, runtime_);
  EXPECT_EQ(stored.Pixel(x, RowTop(1) + h / 2), 0xFFFFFFu);
}

TEST(ListBoxInputTest, RowUnderTheMouse) {
  ListBoxControl list = ListBoxControl::FromTexts({"a", "b", "c", "d", "e"});
  list.SetTopIndex(1);
  const IntRect rect{100, 50, 200, 150};  // rows from y = 52, x from 102 to 197
  struct Case {
    int x, y;
    std::optional<size_t> row;
  } cases[] = {
      {150, 52, 1},  {150, 61, 1},  {150, 62, 2},  {102, 91, 4},  {197, 81, 3},
      {150, 92, {}}, {150, 51, {}}, {101, 60, {}}, {198, 60, {}}, {150, 149, {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ListBoxRowAt(list, rect, 10, c.x, c.y), c.row) << c.x << "," << c.y;

  EXPECT_TRUE(ClickListBox(list, rect, 10, 150, 65, false));
  EXPECT_TRUE(list.Items()[2].selected);
  EXPECT_TRUE(ClickListBox(list, rect, 10, 150, 55, false));
  EXPECT_FALSE(list.Items()[2].selected);
  EXPECT_TRUE(list.Items()[1].selected);
  EXPECT_FALSE(ClickListBox(list, rect, 10, 150, 140, false));
  EXPECT_TRUE(list.Items()[1].selected);
}

}  // namespace
}  // namespace qlm::test
