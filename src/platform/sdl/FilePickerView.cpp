#include "platform/sdl/FilePickerView.h"

#include <algorithm>

#include "platform/KeyNames.h"
#include "platform/TypeAhead.h"

namespace qlm {

FilePickerView::FilePickerView(FilePickerModel& model, DialogKit& kit, const CodePage& codePage)
    : model_(model), kit_(kit), codePage_(codePage), name_(codePage.ToUtf8(model.Name())) {}

void FilePickerView::SyncName() {
  model_.SetName(codePage_.FromUtf8(name_));
}

void FilePickerView::Outcome(const FilePickerModel::Outcome& outcome) {
  if (outcome.path) {
    result_ = outcome.path;
    state_ = State::kAccepted;
    return;
  }
  message_ = outcome.message;
  for (char& c : message_) {
    if (c == '\n')
      c = ' ';
  }
  name_ = Utf8(model_.Name());
}

void FilePickerView::AfterNavigation() {
  selected_ = -1;
  top_ = 0;
  name_ = Utf8(model_.Name());
}

void FilePickerView::Accept() {
  SyncName();
  const std::string folder = model_.Folder();
  Outcome(model_.Accept());
  if (model_.Folder() != folder)
    AfterNavigation();
  else
    selected_ = std::min(selected_, static_cast<int>(model_.Rows().size()) - 1);
}

void FilePickerView::Activate(int row) {
  if (row < 0 || row >= static_cast<int>(model_.Rows().size()))
    return;
  message_.clear();
  SyncName();
  const std::string folder = model_.Folder();
  Outcome(model_.Activate(static_cast<size_t>(row)));
  if (model_.Folder() != folder)
    AfterNavigation();
}

void FilePickerView::Select(int row) {
  if (row < 0 || row >= static_cast<int>(model_.Rows().size()))
    return;
  selected_ = row;
  top_ = ScrollToShow(top_, selected_, DialogKit::VisibleRows(kList),
                      static_cast<int>(model_.Rows().size()));
  model_.Select(static_cast<size_t>(row));
  if (model_.Rows()[static_cast<size_t>(row)].kind == FileKind::kFile)
    name_ = Utf8(model_.Name());
}

void FilePickerView::MoveSelection(int to) {
  const int count = static_cast<int>(model_.Rows().size());
  if (count == 0)
    return;
  focus_ = kFocusList;
  Select(std::clamp(to, 0, count - 1));
}

void FilePickerView::Key(uint32_t code, const Modifiers& m) {
  // The keys of typed characters leave the type-ahead to their characters.
  if (!TypesCharacter(code, m.ctrl, m.alt))
    typed_.clear();
  const int page = DialogKit::VisibleRows(kList) - 1;
  const bool inList = focus_ == kFocusList || focus_ == kFocusName;
  switch (code) {
    case vk::kEscape:
      state_ = State::kCancelled;
      return;
    case vk::kTab:
      focus_ = (focus_ + (m.shift ? kFocusCount - 1 : 1)) % kFocusCount;
      return;
    case vk::kReturn:
      if (focus_ == kFocusCancel)
        state_ = State::kCancelled;
      else if (focus_ == kFocusList && selected_ >= 0)
        Activate(selected_);
      else
        Accept();
      return;
    case vk::kSpace:
      if (focus_ == kFocusOk)
        Accept();
      else if (focus_ == kFocusCancel)
        state_ = State::kCancelled;
      return;
    case vk::kBack:
      if (focus_ == kFocusName && !name_.empty()) {
        name_ = WithoutLastCharacter(name_);
      } else if (focus_ == kFocusList || focus_ == kFocusName) {
        model_.Up();
        AfterNavigation();
      }
      return;
    case vk::kUp:
      if (m.alt) {
        model_.Up();
        AfterNavigation();
      } else if (focus_ == kFocusType) {
        model_.SetFilter(model_.FilterIndex() == 0 ? 0 : model_.FilterIndex() - 1);
        AfterNavigation();
      } else if (inList) {
        MoveSelection(selected_ < 0 ? 0 : selected_ - 1);
      }
      return;
    case vk::kDown:
      if (focus_ == kFocusType) {
        model_.SetFilter(model_.FilterIndex() + 1);
        AfterNavigation();
      } else if (inList) {
        MoveSelection(selected_ + 1);
      }
      return;
    case vk::kPrior:
      if (inList)
        MoveSelection(selected_ - page);
      return;
    case vk::kNext:
      if (inList)
        MoveSelection(selected_ < 0 ? page : selected_ + page);
      return;
    case vk::kHome:
      if (focus_ == kFocusList)
        MoveSelection(0);
      return;
    case vk::kEnd:
      if (focus_ == kFocusList)
        MoveSelection(static_cast<int>(model_.Rows().size()) - 1);
      return;
    default:
      return;
  }
}

void FilePickerView::Text(const std::string& utf8) {
  message_.clear();
  if (focus_ != kFocusList) {
    focus_ = kFocusName;
    name_ += utf8;
    return;
  }
  const auto rows = model_.Rows().size();
  const auto textOf = [this](size_t row) -> std::string_view { return model_.Rows()[row].name; };
  const size_t current = selected_ >= 0 ? static_cast<size_t>(selected_) : rows;
  typed_ += codePage_.FromUtf8(utf8);
  std::optional<size_t> row = TypeAheadRow(rows, current, typed_, textOf);
  if (!row) {  // a new prefix starts with what was just typed
    typed_ = codePage_.FromUtf8(utf8);
    row = TypeAheadRow(rows, current, typed_, textOf);
  }
  if (row)
    Select(static_cast<int>(*row));
}

void FilePickerView::MouseDown(int x, int y, int clicks) {
  typed_.clear();
  if (kUpButton.Contains(x, y)) {
    pressed_ = kUp;
  } else if (kOkButton.Contains(x, y)) {
    pressed_ = kOk;
    focus_ = kFocusOk;
  } else if (kCancelButton.Contains(x, y)) {
    pressed_ = kCancel;
    focus_ = kFocusCancel;
  } else if (kNameField.Contains(x, y)) {
    focus_ = kFocusName;
  } else if (kTypeField.Contains(x, y)) {
    focus_ = kFocusType;
    const size_t n = model_.Filters().size();
    model_.SetFilter((model_.FilterIndex() + 1) % n);
    AfterNavigation();
  } else if (kList.Contains(x, y)) {
    focus_ = kFocusList;
    const int row = DialogKit::RowAt(kList, top_, static_cast<int>(model_.Rows().size()), x, y);
    if (row >= 0) {
      Select(row);
      if (clicks >= 2)
        Activate(row);
    }
  }
}

void FilePickerView::MouseUp(int x, int y) {
  const Pressed was = pressed_;
  pressed_ = kNone;
  if (was == kUp && kUpButton.Contains(x, y)) {
    model_.Up();
    AfterNavigation();
  } else if (was == kOk && kOkButton.Contains(x, y)) {
    Accept();
  } else if (was == kCancel && kCancelButton.Contains(x, y)) {
    state_ = State::kCancelled;
  }
}

void FilePickerView::Wheel(int x, int y, int notches) {
  if (!kList.Contains(x, y))
    return;
  const int count = static_cast<int>(model_.Rows().size());
  const int visible = DialogKit::VisibleRows(kList);
  top_ = std::clamp(top_ - 3 * notches, 0, std::max(0, count - visible));
}

void FilePickerView::Paint(DialogCanvas& canvas) {
  kit_.Face(canvas, kWidth, kHeight);
  const FileDialogMode mode = model_.Mode();
  kit_.Label(canvas, 10, 14, "Look in:");
  kit_.Field(canvas, IntRect{80, 10, 456, 32},
             model_.Folder().empty() ? "Places" : Utf8(model_.Folder()), false);
  kit_.Button(canvas, kUpButton, "Up", pressed_ == kUp, false);

  std::vector<std::string> rows;
  std::vector<bool> folders;
  for (const FolderEntry& row : model_.Rows()) {
    rows.push_back(Utf8(row.name));
    folders.push_back(row.kind == FileKind::kFolder);
  }
  kit_.List(canvas, kList, rows, top_, selected_, focus_ == kFocusList, folders);
  if (!message_.empty())
    kit_.Label(canvas, 12, 284, Utf8(message_), DialogKit::kErrorText);

  kit_.Label(canvas, 10, 308, mode == FileDialogMode::kFolder ? "Folder:" : "File name:");
  kit_.Field(canvas, kNameField, name_, focus_ == kFocusName);
  const char* ok = mode == FileDialogMode::kOpen   ? "Open"
                   : mode == FileDialogMode::kSave ? "Save"
                                                   : "OK";
  kit_.Button(canvas, kOkButton, ok, pressed_ == kOk, focus_ == kFocusOk);
  if (mode != FileDialogMode::kFolder) {
    kit_.Label(canvas, 10, 340, "Files of type:");
    const FileFilterChoice& filter = model_.Filters()[model_.FilterIndex()];
    kit_.Field(canvas, kTypeField, Utf8(filter.label) + "  \xE2\x96\xBE", false);
    if (focus_ == kFocusType)
      canvas.FocusRect(kTypeField.Inflate(-3));
  }
  kit_.Button(canvas, kCancelButton, "Cancel", pressed_ == kCancel, focus_ == kFocusCancel);
}

}  // namespace qlm
