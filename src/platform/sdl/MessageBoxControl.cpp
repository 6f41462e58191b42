#include "platform/sdl/MessageBoxControl.h"

#include "platform/Dialogs.h"
#include "platform/KeyNames.h"

namespace qlm {

MessageBoxControl::MessageBoxControl(uint32_t style) {
  const MessageBoxButton ok{idb::kOk, "OK"}, cancel{idb::kCancel, "Cancel"},
      abort{idb::kAbort, "Abort"}, retry{idb::kRetry, "Retry"}, ignore{idb::kIgnore, "Ignore"},
      yes{idb::kYes, "Yes"}, no{idb::kNo, "No"}, again{idb::kTryAgain, "Try Again"},
      cont{idb::kContinue, "Continue"};
  switch (style & 0xF) {
    case mb::kOkCancel:
      buttons_ = {ok, cancel};
      break;
    case mb::kAbortRetryIgnore:
      buttons_ = {abort, retry, ignore};
      break;
    case mb::kYesNoCancel:
      buttons_ = {yes, no, cancel};
      break;
    case mb::kYesNo:
      buttons_ = {yes, no};
      break;
    case mb::kRetryCancel:
      buttons_ = {retry, cancel};
      break;
    case mb::kCancelTryContinue:
      buttons_ = {cancel, again, cont};
      break;
    default:
      buttons_ = {ok};
      break;
  }
  const size_t n = buttons_.size();
  if ((style & 0x200) && n == 3)
    default_ = 2;
  else if ((style & 0x100) && n >= 2)
    default_ = 1;
  focus_ = default_;
  for (const int wanted : {idb::kCancel, idb::kNo}) {
    for (const MessageBoxButton& b : buttons_) {
      if (!escape_ && b.id == wanted)
        escape_ = b.id;
    }
  }
  if (!escape_ && n == 1)
    escape_ = idb::kOk;
}

MessageBoxControl MessageBoxControl::Consent() {
  MessageBoxControl control(mb::kOk);
  control.buttons_ = {
      {idb::kAbort, "Deny"}, {idb::kRetry, "Allow once"}, {idb::kIgnore, "Always allow"}};
  control.default_ = 0;
  control.focus_ = 0;
  control.escape_ = idb::kAbort;
  return control;
}

void MessageBoxControl::SetFocus(int index) {
  if (index >= 0 && index < static_cast<int>(buttons_.size()))
    focus_ = index;
}

std::optional<int> MessageBoxControl::Key(uint32_t code, bool shift) {
  const int n = static_cast<int>(buttons_.size());
  switch (code) {
    case vk::kReturn:
    case vk::kSpace:
      return buttons_[static_cast<size_t>(focus_)].id;
    case vk::kEscape:
      return escape_;
    case vk::kTab:
      focus_ = (focus_ + (shift ? n - 1 : 1)) % n;
      return std::nullopt;
    case vk::kLeft:
    case vk::kUp:
      focus_ = (focus_ + n - 1) % n;
      return std::nullopt;
    case vk::kRight:
    case vk::kDown:
      focus_ = (focus_ + 1) % n;
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

}  // namespace qlm
