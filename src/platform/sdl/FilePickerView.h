#pragma once

#include <optional>
#include <string>

#include "platform/CodePage.h"
#include "platform/FilePickerModel.h"
#include "platform/sdl/DialogKit.h"
#include "platform/sdl/PickerView.h"

namespace qlm {

// The open, save and folder picker: "Look in" with the folder and an Up button, the list of
// folders and files, the name field with the Open / Save / OK button, the type list (a click or
// the arrow keys go through the filters) with Cancel, and a line for what went wrong.
//
// Keys: typing goes to the name field, or while the list has the focus, to the next row that
// begins with what was typed (letters typed one after the other make one prefix); the arrows, Page
// Up/Down, Home and End move through the list and take the focus there (a file's name goes into the
// field); Enter opens the chosen row in the list and accepts the name in the field; Backspace in an
// empty field or Alt+Up goes up; Tab and Shift+Tab move the focus; Escape cancels. Mouse: a click
// chooses a row, a double click opens it.
class FilePickerView : public PickerView {
 public:
  // Pixels of the layout, also what the desktop tests aim at.
  static constexpr int kWidth = 520;
  static constexpr int kHeight = 374;
  static constexpr IntRect kList{10, 40, 510, 278};
  static constexpr IntRect kUpButton{466, 10, 510, 32};
  static constexpr IntRect kNameField{100, 304, 410, 326};
  static constexpr IntRect kOkButton{420, 303, 510, 327};
  static constexpr IntRect kTypeField{100, 336, 410, 358};
  static constexpr IntRect kCancelButton{420, 335, 510, 359};

  FilePickerView(FilePickerModel& model, DialogKit& kit, const CodePage& codePage);

  int Width() const override { return kWidth; }
  int Height() const override { return kHeight; }
  void Paint(DialogCanvas& canvas) override;
  void Key(uint32_t vk, const Modifiers& modifiers) override;
  void Text(const std::string& utf8) override;
  void MouseDown(int x, int y, int clicks) override;
  void MouseUp(int x, int y) override;
  void Wheel(int x, int y, int notches) override;

  // The accepted path (Windows form, presentation's code page).
  const std::optional<std::string>& Result() const { return result_; }

 private:
  enum Focus { kFocusList, kFocusName, kFocusType, kFocusOk, kFocusCancel, kFocusCount };
  enum Pressed { kNone, kUp, kOk, kCancel };

  void Accept();
  void Activate(int row);
  void Select(int row);
  void MoveSelection(int to);
  void AfterNavigation();
  void Outcome(const FilePickerModel::Outcome& outcome);
  void SyncName();
  std::string Utf8(const std::string& text) const { return codePage_.ToUtf8(text); }

  FilePickerModel& model_;
  DialogKit& kit_;
  const CodePage& codePage_;
  std::string name_;   // the name field, UTF-8
  std::string typed_;  // type-ahead in the list, the presentation's code page
  std::string message_;
  int selected_ = -1;
  int top_ = 0;
  int focus_ = kFocusName;
  Pressed pressed_ = kNone;
  std::optional<std::string> result_;
};

}  // namespace qlm
