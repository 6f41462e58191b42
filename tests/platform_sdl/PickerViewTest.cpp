// The pickers' insides without a window: what keys, typed text and clicks choose.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../platform/DriveFixture.h"
#include "platform/KeyNames.h"
#include "platform/sdl/ColourPickerView.h"
#include "platform/sdl/FilePickerView.h"
#include "platform/sdl/FontPickerView.h"
#include "platform/sdl/PrintDialogView.h"

namespace qlm::test {
namespace {

constexpr Modifiers kNone{};
constexpr Modifiers kShift{true, false, false};

TEST(ColourPickerViewTest, PaletteClickAndTypedComponentsMakeTheColour) {
  DialogKit kit;
  ColourPickerView view(kit);
  // The first colour of the second row is pure red; a double click there accepts it.
  view.MouseDown(ColourPickerView::kSwatchX + 5, ColourPickerView::kSwatchY + 24 + 5, 1);
  EXPECT_EQ(view.Colour(), 0x0000FFu);
  // Tab to the green field; digits replace its value, three at most, clamped to 255.
  view.Key(vk::kTab, kNone);
  view.Key(vk::kTab, kNone);
  view.Text("9999");
  EXPECT_EQ(view.Colour(), 0x00FFFFu);
  for (int i = 0; i < 3; ++i)
    view.Key(vk::kBack, kNone);
  view.Text("x4");  // only digits count
  EXPECT_EQ(view.Colour(), 0x0004FFu);
  // Arrow keys on the palette walk it; Shift+Tab goes back to it.
  view.Key(vk::kTab, kShift);
  view.Key(vk::kTab, kShift);
  view.Key(vk::kRight, kNone);  // typing left the palette: the walk starts at its first colour
  view.Key(vk::kDown, kNone);
  EXPECT_EQ(view.Colour(), ColourPickerView::Palette()[8]);
  EXPECT_EQ(view.GetState(), PickerView::State::kOpen);
  view.Key(vk::kReturn, kNone);
  EXPECT_EQ(view.GetState(), PickerView::State::kAccepted);
}

TEST(ColourPickerViewTest, EscapeAndTheCancelButtonCancel) {
  DialogKit kit;
  ColourPickerView escaped(kit);
  escaped.Key(vk::kEscape, kNone);
  EXPECT_EQ(escaped.GetState(), PickerView::State::kCancelled);
  ColourPickerView clicked(kit);
  const IntRect cancel = ColourPickerView::kCancelButton;
  clicked.MouseDown(cancel.left + 5, cancel.top + 5, 1);
  clicked.MouseUp(cancel.left + 5, cancel.top + 5);
  EXPECT_EQ(clicked.GetState(), PickerView::State::kCancelled);
}

TEST(PrintDialogViewTest, RowsKeysAndCopiesMakeTheChoiceAndThePageCountFollowsTheRow) {
  DialogKit kit;
  std::vector<int> asked;
  const PrintDialogRequest request{.destinations = {"office", "lab", "Save as PDF..."},
                                   .selected = 0,
                                   .copies = 3,
                                   .pagesOf = [&asked](int row) {
                                     asked.push_back(row);
                                     return row + 1;
                                   }};
  PrintDialogView view(kit, request);
  EXPECT_EQ(view.Choice(), (PrintChoice{0, 3}));
  // Arrows walk the list and stop at its ends; each row shown asks for its page count.
  view.Key(vk::kDown, kNone);
  view.Key(vk::kDown, kNone);
  view.Key(vk::kDown, kNone);
  EXPECT_EQ(view.Choice().destination, 2);
  EXPECT_EQ(asked.back(), 2);
  // A click on the second row selects it.
  view.MouseDown(PrintDialogView::kList.left + 10,
                 PrintDialogView::kList.top + 2 + DialogKit::kRowHeight + 5, 1);
  EXPECT_EQ(view.Choice().destination, 1);
  // Digits replace the copies, two at most; none or 0 prints one copy.
  view.Key(vk::kTab, kNone);
  view.Text("1234");
  EXPECT_EQ(view.Choice().copies, 12);
  view.Key(vk::kBack, kNone);
  view.Key(vk::kBack, kNone);
  EXPECT_EQ(view.Choice().copies, 1);
  view.Text("0");
  EXPECT_EQ(view.Choice().copies, 1);
  EXPECT_EQ(view.GetState(), PickerView::State::kOpen);
  view.Key(vk::kReturn, kNone);
  EXPECT_EQ(view.GetState(), PickerView::State::kAccepted);
  EXPECT_EQ(view.Choice().destination, 1);
}

TEST(PrintDialogViewTest, EscapeAndTheCancelButtonCancel) {
  DialogKit kit;
  const PrintDialogRequest request{.destinations = {"Save as PDF..."}, .pagesOf = {}};
  PrintDialogView escaped(kit, request);
  escaped.Key(vk::kEscape, kNone);
  EXPECT_EQ(escaped.GetState(), PickerView::State::kCancelled);
  PrintDialogView clicked(kit, request);
  const IntRect cancel = PrintDialogView::kCancelButton;
  clicked.MouseDown(cancel.left + 5, cancel.top + 5, 1);
  clicked.MouseUp(cancel.left + 5, cancel.top + 5);
  EXPECT_EQ(clicked.GetState(), PickerView::State::kCancelled);
}

TEST(FontPickerViewTest, TypedFamilySizeAndStyleMakeTheChoice) {
  DialogKit kit;
  FontPickerView view(kit, {"Alpha Sans", "Beta Serif", "beta mono", "Gamma"}, 96);
  // Letters go to the first family that begins with them, without regard to case.
  view.Text("be");
  view.Text("ta m");
  view.Key(vk::kTab, kNone);  // the size field
  view.Key(vk::kBack, kNone);
  view.Key(vk::kBack, kNone);
  view.Text("18");
  view.Key(vk::kTab, kNone);  // Bold
  view.Key(vk::kSpace, kNone);
  view.Key(vk::kTab, kNone);  // Italic
  view.Key(vk::kTab, kNone);  // Underline
  view.Key(vk::kSpace, kNone);
  const std::optional<FontChoice> font = view.Choice();
  ASSERT_TRUE(font);
  EXPECT_EQ(font->faceName, "beta mono");
  EXPECT_EQ(font->height, -24);  // 18 points at 96 pixels an inch
  EXPECT_EQ(font->weight, 700);
  EXPECT_FALSE(font->italic);
  EXPECT_TRUE(font->underline);
  // An empty size cannot be accepted.
  view.Key(vk::kTab, kShift);
  view.Key(vk::kTab, kShift);
  view.Key(vk::kTab, kShift);
  view.Key(vk::kBack, kNone);
  view.Key(vk::kBack, kNone);
  view.Key(vk::kReturn, kNone);
  EXPECT_EQ(view.GetState(), PickerView::State::kOpen);
  view.Key(vk::kDown, kNone);  // the next listed size
  view.Key(vk::kReturn, kNone);
  EXPECT_EQ(view.GetState(), PickerView::State::kAccepted);
  EXPECT_EQ(view.Choice()->height, -11);  // 8 points
}

TEST(FontPickerViewTest, InstalledFamiliesAreSortedAndUnique) {
  const std::vector<std::string> families = InstalledFontFamilies();
  ASSERT_FALSE(families.empty());
  EXPECT_NE(std::find(families.begin(), families.end(), "DejaVu Sans"), families.end());
  for (size_t i = 1; i < families.size(); ++i)
    EXPECT_NE(families[i - 1], families[i]);
}

class FilePickerViewTest : public DriveFixture {
 protected:
  FilePickerViewTest() {
    Put("Show/a.txt");
    Put("Show/Sub/b.txt");
    Put("Show/Sub/c.txt");
  }
};

TEST_F(FilePickerViewTest, KeysWalkTheListIntoAFolderAndChooseAFile) {
  FilePickerModel model(files, FileDialogMode::kOpen, "Text|*.txt|", "", "D:\\Show", {"D:\\"});
  DialogKit kit;
  const CodePage codePage;
  FilePickerView view(model, kit, codePage);
  // Down to the folder (first row) and Enter opens it; Down twice and Enter takes c.txt.
  view.Key(vk::kDown, kNone);
  view.Key(vk::kReturn, kNone);
  EXPECT_EQ(model.Folder(), "D:\\Show\\Sub");
  view.Key(vk::kDown, kNone);
  view.Key(vk::kDown, kNone);
  view.Key(vk::kReturn, kNone);
  EXPECT_EQ(view.GetState(), PickerView::State::kAccepted);
  EXPECT_EQ(view.Result(), "D:\\Show\\Sub\\c.txt");
}

TEST_F(FilePickerViewTest, TypedNameAndBackspaceUpAndAMissingFileStaysOpen) {
  FilePickerModel model(files, FileDialogMode::kOpen, "", "", "D:\\Show\\Sub", {"D:\\"});
  DialogKit kit;
  const CodePage codePage;
  FilePickerView view(model, kit, codePage);
  view.Key(vk::kBack, kNone);  // empty name: up to D:\Show
  EXPECT_EQ(model.Folder(), "D:\\Show");
  view.Text("nothing.txt");
  view.Key(vk::kReturn, kNone);
  EXPECT_EQ(view.GetState(), PickerView::State::kOpen);
  Surface picture(view.Width(), view.Height());
  DialogCanvas canvas(picture, 1, nullptr);
  view.Paint(canvas);  // the message line is drawn
  for (int i = 0; i < 11; ++i)
    view.Key(vk::kBack, kNone);
  view.Text("A.TXT");
  view.Key(vk::kReturn, kNone);
  EXPECT_EQ(view.Result(), "D:\\Show\\a.txt");
}

TEST_F(FilePickerViewTest, LettersTypedInTheListChooseTheRow) {
  Put("Show/Sub/bb.txt");
  FilePickerModel model(files, FileDialogMode::kOpen, "Text|*.txt|", "", "D:\\Show\\Sub", {"D:\\"});
  DialogKit kit;
  const CodePage codePage;
  FilePickerView view(model, kit, codePage);
  view.Key(vk::kDown, kNone);  // the list has the focus: b.txt
  // "b" steps on to bb.txt; "bb." (after a second "b", which steps on again) is bb.txt; "c"
  // matches nothing after "bb." and starts anew at c.txt. The keys of the letters come before
  // them and leave the prefix alone.
  view.Key('B', kNone);
  view.Text("b");
  EXPECT_EQ(model.Name(), "bb.txt");
  view.Text("b");
  view.Text(".");
  EXPECT_EQ(model.Name(), "bb.txt");
  view.Text("c");
  EXPECT_EQ(model.Name(), "c.txt");
  view.Key(vk::kReturn, kNone);
  EXPECT_EQ(view.Result(), "D:\\Show\\Sub\\c.txt");
}

}  // namespace
}  // namespace qlm::test
