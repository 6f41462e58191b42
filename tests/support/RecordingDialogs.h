#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/Dialogs.h"

namespace qlm::test {

// Dialogs that remember every message box and answer from a queue (default: the first
// button, which is what a user pressing Enter gets).
class RecordingDialogs : public Dialogs {
 public:
  struct Box {
    std::string text;
    std::string caption;
    uint32_t style;
  };

  int MessageBox(const std::string& text, const std::string& caption, uint32_t style) override {
    boxes.push_back({text, caption, style});
    if (!answers.empty()) {
      int a = answers.front();
      answers.pop_front();
      return a;
    }
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

  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const auto& b : boxes) out.push_back(b.text);
    return out;
  }

  std::vector<Box> boxes;
  std::deque<int> answers;
};

}  // namespace qlm::test
