#include "platform/headless/HeadlessDialogs.h"

namespace qlm {

int HeadlessDialogs::DefaultAnswer(uint32_t style) {
  switch (style & 0xF) {
    case mb::kAbortRetryIgnore:
      return idb::kAbort;
    case mb::kYesNoCancel:
    case mb::kYesNo:
      return idb::kYes;
    case mb::kRetryCancel:
      return idb::kRetry;
    case mb::kCancelTryContinue:
      return idb::kCancel;
    default:
      return idb::kOk;
  }
}

int HeadlessDialogs::MessageBox(const std::string& text, const std::string& caption,
                                uint32_t style) {
  int answer = DefaultAnswer(style);
  if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
  }
  out_.MessageBox(caption, text, style, answer);
  return answer;
}

}  // namespace qlm
