#pragma once

#include <string>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/sdl/DialogKit.h"
#include "platform/sdl/PickerView.h"

namespace qlm {

// The families of the installed scalable fonts, sorted without regard to case, each once.
std::vector<std::string> InstalledFontFamilies();

// The font picker: a list of families, a size field with a list of common sizes, Bold, Italic,
// Underline and Strikeout boxes and a sample drawn with the choice. Typing letters in the family
// list goes to the first family that begins with them; digits go into the size field; the
// arrows move through the focused list; Tab moves the focus; Space toggles a focused box;
// Enter accepts, Escape cancels.
class FontPickerView : public PickerView {
 public:
  static constexpr int kWidth = 460;
  static constexpr int kHeight = 300;
  static constexpr IntRect kFamilyList{10, 52, 250, 278};
  static constexpr IntRect kSizeField{262, 26, 322, 48};
  static constexpr IntRect kSizeList{262, 52, 322, 278};
  static constexpr int kBoxX = 336, kBoxY = 30, kBoxStepY = 24;
  static constexpr IntRect kOkButton{360, 236, 450, 260};
  static constexpr IntRect kCancelButton{360, 266, 450, 290};

  // dpiY: the screen resolution sizes in points are converted with.
  FontPickerView(DialogKit& kit, std::vector<std::string> families, int dpiY);

  int Width() const override { return kWidth; }
  int Height() const override { return kHeight; }
  void Paint(DialogCanvas& canvas) override;
  void Key(uint32_t vk, const Modifiers& modifiers) override;
  void Text(const std::string& utf8) override;
  void MouseDown(int x, int y, int clicks) override;
  void MouseUp(int x, int y) override;
  void Wheel(int x, int y, int notches) override;

  // The font shown; nullopt while no family is chosen or the size is not a number.
  std::optional<FontChoice> Choice() const;

 private:
  enum Focus {
    kFocusFamily,
    kFocusSize,
    kFocusBold,
    kFocusItalic,
    kFocusUnderline,
    kFocusStrikeOut,
    kFocusOk,
    kFocusCancel,
    kFocusCount
  };
  void ChooseFamily(int index);
  void Accept();
  bool& Box(int focus);

  DialogKit& kit_;
  std::vector<std::string> families_;
  int dpiY_;
  int family_ = -1;
  int familyTop_ = 0;
  std::string search_;
  std::string size_ = "12";
  int sizeTop_ = 0;
  bool bold_ = false, italic_ = false, underline_ = false, strikeOut_ = false;
  int focus_ = kFocusFamily;
  int pressed_ = -1;
};

}  // namespace qlm
