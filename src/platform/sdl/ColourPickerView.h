#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/sdl/DialogKit.h"
#include "platform/sdl/PickerView.h"

namespace qlm {

// The colour picker: 48 basic colours, a preview, and red, green and blue fields (0 to 255).
// A click on a colour chooses it (a double click accepts it); the arrows move through the
// colours while they have the focus; digits go into the focused field; Tab moves the focus;
// Enter accepts, Escape cancels.
class ColourPickerView : public PickerView {
 public:
  static constexpr int kWidth = 380;
  static constexpr int kHeight = 250;
  static constexpr int kColumns = 8;
  static constexpr int kRows = 6;
  static constexpr int kSwatchX = 10, kSwatchY = 28, kSwatchStepX = 28, kSwatchStepY = 24;
  static constexpr int kSwatchW = 24, kSwatchH = 20;
  static constexpr IntRect kOkButton{10, 212, 100, 236};
  static constexpr IntRect kCancelButton{110, 212, 200, 236};
  static constexpr int kFieldX = 300, kFieldY = 110, kFieldStepY = 30;

  // The basic colours, 0x00BBGGRR, row by row.
  static const std::array<uint32_t, kColumns * kRows>& Palette();

  explicit ColourPickerView(DialogKit& kit, uint32_t initial = 0);

  int Width() const override { return kWidth; }
  int Height() const override { return kHeight; }
  void Paint(DialogCanvas& canvas) override;
  void Key(uint32_t vk, const Modifiers& modifiers) override;
  void Text(const std::string& utf8) override;
  void MouseDown(int x, int y, int clicks) override;
  void MouseUp(int x, int y) override;

  // The colour shown, 0x00BBGGRR.
  uint32_t Colour() const;

 private:
  enum Focus {
    kFocusSwatches,
    kFocusRed,
    kFocusGreen,
    kFocusBlue,
    kFocusOk,
    kFocusCancel,
    kFocusCount
  };
  static constexpr Buttons kButtons{kFocusOk, kFocusCancel, kOkButton, kCancelButton};
  static IntRect SwatchRect(int index);
  static IntRect FieldRect(int component);
  void Choose(int index);

  DialogKit& kit_;
  std::array<std::string, 3> fields_;  // red, green, blue as typed
  int swatch_ = -1;
  int focus_ = kFocusSwatches;
  int pressed_ = -1;          // kFocusOk or kFocusCancel while held
  bool replaceField_ = true;  // the next digit replaces the focused field
};

}  // namespace qlm
