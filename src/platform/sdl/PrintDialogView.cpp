#include "platform/sdl/PrintDialogView.h"

#include <algorithm>
#include <charconv>

#include "platform/KeyNames.h"

namespace qlm {

PrintDialogView::PrintDialogView(DialogKit& kit, const PrintDialogRequest& request)
    : kit_(kit),
      request_(request),
      copies_(std::to_string(std::clamp(request.copies, 1, kMaxCopies))) {
  Select(request.selected);
}

void PrintDialogView::Select(int row) {
  const int count = static_cast<int>(request_.destinations.size());
  if (count == 0)
    return;
  selected_ = std::clamp(row, 0, count - 1);
  top_ = ScrollToShow(top_, selected_, DialogKit::VisibleRows(kList), count);
  pages_ = request_.pagesOf ? request_.pagesOf(selected_) : 0;
}

PrintChoice PrintDialogView::Choice() const {
  int copies = 1;
  std::from_chars(copies_.data(), copies_.data() + copies_.size(), copies);
  return {selected_, std::clamp(copies, 1, kMaxCopies)};
}

void PrintDialogView::Key(uint32_t code, const Modifiers& m) {
  if (code == vk::kTab)
    replaceCopies_ = true;
  if (ButtonKey(code, m, kButtons, focus_, kFocusCount))
    return;
  switch (code) {
    case vk::kBack:
      if (focus_ == kFocusCopies && !copies_.empty()) {
        copies_.pop_back();
        replaceCopies_ = false;
      }
      return;
    case vk::kUp:
    case vk::kDown:
      if (focus_ == kFocusList)
        Select(selected_ + (code == vk::kUp ? -1 : 1));
      return;
    default:
      return;
  }
}

void PrintDialogView::Text(const std::string& utf8) {
  if (focus_ != kFocusCopies)
    return;
  for (char c : utf8) {
    if (c < '0' || c > '9')
      continue;
    if (replaceCopies_)
      copies_.clear();
    replaceCopies_ = false;
    if (copies_.size() < 2)
      copies_ += c;
  }
}

void PrintDialogView::MouseDown(int x, int y, int clicks) {
  const int row =
      DialogKit::RowAt(kList, top_, static_cast<int>(request_.destinations.size()), x, y);
  if (row >= 0) {
    focus_ = kFocusList;
    Select(row);
    if (clicks >= 2)
      state_ = State::kAccepted;
  } else if (kCopies.Contains(x, y)) {
    focus_ = kFocusCopies;
    replaceCopies_ = true;
  } else {
    ButtonDown(x, y, kButtons, focus_, pressed_);
  }
}

void PrintDialogView::MouseUp(int x, int y) {
  ButtonUp(x, y, kButtons, pressed_);
}

void PrintDialogView::Paint(DialogCanvas& canvas) {
  kit_.Face(canvas, kWidth, kHeight);
  kit_.Label(canvas, 10, 8, "Print to:");
  kit_.List(canvas, kList, request_.destinations, top_, selected_, focus_ == kFocusList);
  kit_.Label(canvas, 10, kCopies.top + 4, "Copies:");
  kit_.Field(canvas, kCopies, copies_, focus_ == kFocusCopies);
  kit_.Label(canvas, 140, kCopies.top + 4,
             pages_ == 1 ? std::string("1 page") : std::to_string(pages_) + " pages");
  kit_.Button(canvas, kOkButton, "Print", pressed_ == kFocusOk, focus_ == kFocusOk);
  kit_.Button(canvas, kCancelButton, "Cancel", pressed_ == kFocusCancel, focus_ == kFocusCancel);
}

}  // namespace qlm
