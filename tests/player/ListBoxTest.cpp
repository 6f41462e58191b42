#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "PaintFixture.h"
#include "golden/GoldenImage.h"
#include "platform/KeyNames.h"
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

// Rows that do not fit leave the scroll bar's column: a press there selects nothing.
TEST(ListBoxInputTest, RowsOfAnOverflowingListStopAtTheScrollBar) {
  std::vector<std::string> texts;
  for (int i = 0; i < 20; ++i)
    texts.push_back("row " + std::to_string(i));
  ListBoxControl list = ListBoxControl::FromTexts(texts);
  const IntRect rect{100, 50, 200, 150};  // rows x from 102 to 182, the bar from 183 to 197
  EXPECT_EQ(ListBoxRowAt(list, rect, 10, 182, 55), std::optional<size_t>(0));
  EXPECT_EQ(ListBoxRowAt(list, rect, 10, 183, 55), std::nullopt);
  EXPECT_EQ(ListBoxRowAt(list, rect, 10, 197, 95), std::nullopt);
}

TEST(ListBoxInputTest, KeysAndTypeAheadChooseTheRow) {
  ListBoxControl list =
      ListBoxControl::FromTexts({"apple", "Banana", "blueberry", "cherry", "bean", "date"});
  using Row = std::optional<size_t>;
  // Nothing selected: the keys start from the top.
  EXPECT_EQ(ListBoxKeyRow(list, vk::kDown, 3), Row(0));
  EXPECT_EQ(ListBoxKeyRow(list, vk::kUp, 3), Row(0));
  EXPECT_EQ(ListBoxKeyRow(list, vk::kNext, 3), Row(2));
  list.Select(3);  // blueberry
  struct Case {
    uint32_t key;
    Row row;
  } cases[] = {
      {vk::kDown, 3}, {vk::kUp, 1},  {vk::kNext, 4},    {vk::kPrior, 0},
      {vk::kHome, 0}, {vk::kEnd, 5}, {vk::kReturn, {}}, {'B', {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ListBoxKeyRow(list, c.key, 3), c.row) << c.key;
  list.Deselect(-1);
  list.Select(6);  // date, the last: Down and Page Down stay
  EXPECT_EQ(ListBoxKeyRow(list, vk::kDown, 3), Row(5));
  EXPECT_EQ(ListBoxKeyRow(list, vk::kNext, 3), Row(5));
  EXPECT_EQ(ListBoxKeyRow(ListBoxControl{}, vk::kDown, 3), std::nullopt);

  list.Deselect(-1);
  list.Select(2);  // Banana
  struct Typed {
    const char* prefix;
    Row row;
  } typed[] = {
      {"b", 2},    // the next b after Banana, wrapping round
      {"bbb", 2},  // a repeated letter steps on as one letter does
      {"BA", 1},   // a longer prefix may keep the selected row
      {"bl", 2},  {"be", 4}, {"A", 0}, {"z", {}}, {"", {}},
  };
  for (const Typed& t : typed)
    EXPECT_EQ(ListBoxTypeAheadRow(list, t.prefix), t.row) << t.prefix;
}

}  // namespace
}  // namespace qlm::test
