// Printing from the player window: the print commands' jobs and the browser's go to the printer.
#include <string>

#include "graphics/SaturatingRect.h"
#include "platform/Dialogs.h"
#include "platform/Printer.h"
#include "player/PlayerWindow.h"
#include "player/PrintCommands.h"

namespace qlm {

bool PlayerWindow::Print(const PrintJob& job) {
  if (!ctx_.printer)
    return false;
  const PrintOutcome outcome = ctx_.printer->Print(job);
  if (outcome.printed) {
    if (ctx_.events)
      ctx_.events->OnPrint(job.what, outcome.pages, outcome.file);
    return true;
  }
  if (!outcome.error.empty())
    ctx_.dialogs.MessageBox("Cannot print:\n" + outcome.error, "Print", mb::kOk | mb::kIconError);
  return false;
}

std::string PlayerWindow::PrintTitle() const {
  const std::string shown = ctx_.codePage.ToUtf8(geometry_.WindowTitle());
  return shown.empty() ? std::string("QLM Player") : shown;
}

// The window as the print commands see it.
class PlayerWindow::PrintGlue : public PrintHost {
 public:
  explicit PrintGlue(PlayerWindow& window) : window_(window) {}
  const Surface& PrintFrame(const IntRect& pending) override {
    if (!pending.Empty())
      window_.Invalidate(InflatedRect(pending, 1), true);
    window_.Paint();
    return window_.frame_;
  }
  IntRect PrintRectOf(const ObjectRecord& object) override {
    return window_.objectStates_.RectOf(object);
  }
  FontCache* PrintFonts() override { return &window_.composer_.Fonts(); }
  std::string PrintUtf8(const std::string& text) const override {
    return window_.ctx_.codePage.ToUtf8(text);
  }
  std::string PrintTitle() const override { return window_.PrintTitle(); }
  bool Print(const PrintJob& job) override { return window_.Print(job); }

 private:
  PlayerWindow& window_;
};

void PlayerWindow::InitPrinting() {
  printGlue_ = std::make_unique<PrintGlue>(*this);
  RegisterPrintCommands(*runner_, *printGlue_);
}

}  // namespace qlm
