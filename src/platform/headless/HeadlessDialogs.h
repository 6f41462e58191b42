#pragma once

#include <deque>

#include "platform/Dialogs.h"
#include "platform/headless/JsonLinesWriter.h"

namespace qlm {

// Message boxes of headless runs: each is written as a "messagebox" line and answered at once,
// from the answers queued by the events file or else with the box's first button.
class HeadlessDialogs : public Dialogs {
 public:
  explicit HeadlessDialogs(JsonLinesWriter& out) : out_(out) {}

  int MessageBox(const std::string& text, const std::string& caption, uint32_t style) override;

  // The answer of the next message box.
  void PushAnswer(int answer) { answers_.push_back(answer); }
  size_t PendingAnswers() const { return answers_.size(); }

  // The first button of a box of this style: what pressing Enter gives.
  static int DefaultAnswer(uint32_t style);

 private:
  JsonLinesWriter& out_;
  std::deque<int> answers_;
};

}  // namespace qlm
