#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/sdl/DialogKit.h"
#include "platform/sdl/PickerView.h"

namespace qlm {

// The print dialog: where to print (a list), the copies (a field of digits, 1 to 99) and the
// sheets the job takes on the selected destination's paper. A click on a row selects it (a
// double click prints); Up and Down move through the rows while the list has the focus; digits
// go into the copies field; Tab moves the focus; Enter prints, Escape cancels.
class PrintDialogView : public PickerView {
 public:
  static constexpr int kWidth = 400;
  static constexpr int kHeight = 240;
  static constexpr IntRect kList{10, 28, 390, 140};
  static constexpr IntRect kCopies{70, 152, 120, 174};
  static constexpr IntRect kOkButton{10, 200, 100, 224};
  static constexpr IntRect kCancelButton{110, 200, 200, 224};
  static constexpr int kMaxCopies = 99;

  PrintDialogView(DialogKit& kit, const PrintDialogRequest& request);

  int Width() const override { return kWidth; }
  int Height() const override { return kHeight; }
  void Paint(DialogCanvas& canvas) override;
  void Key(uint32_t vk, const Modifiers& modifiers) override;
  void Text(const std::string& utf8) override;
  void MouseDown(int x, int y, int clicks) override;
  void MouseUp(int x, int y) override;

  PrintChoice Choice() const;

 private:
  enum Focus { kFocusList, kFocusCopies, kFocusOk, kFocusCancel, kFocusCount };
  static constexpr Buttons kButtons{kFocusOk, kFocusCancel, kOkButton, kCancelButton};
  void Select(int row);

  DialogKit& kit_;
  const PrintDialogRequest& request_;
  int selected_ = 0;
  int top_ = 0;
  int pages_ = 0;  // of the selected destination
  std::string copies_;
  int focus_ = kFocusList;
  int pressed_ = -1;
  bool replaceCopies_ = true;  // the next digit replaces the field
};

}  // namespace qlm
