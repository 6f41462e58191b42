#pragma once

#include <memory>

#include "platform/CodePage.h"
#include "platform/Dialogs.h"

namespace qlm {

class MessageBoxPainter;
class SdlDisplay;
class SdlEventLoop;

// Message boxes of the desktop: small windows of their own, drawn with the player's renderer,
// modal over the player window. While one is open the player's event loop keeps running, so
// its timers fire and its scripts go on; a box with a timeout closes itself. Texts come in the
// presentation's code page.
class SdlDialogs : public Dialogs {
 public:
  SdlDialogs(SdlEventLoop& loop, SdlDisplay& display, CodePage codePage);
  ~SdlDialogs() override;

  int MessageBox(const std::string& text, const std::string& caption, uint32_t style) override {
    return MessageBoxTimeout(text, caption, style, 0);
  }
  int MessageBoxTimeout(const std::string& text, const std::string& caption, uint32_t style,
                        uint32_t timeoutMs) override;

  // The desktop has no pickers of its own yet: each one is cancelled, with a note on the
  // standard error stream so the user knows why nothing opened.
  std::optional<std::string> ChooseFile(FileDialogMode mode, const std::string& filter,
                                        const std::string& initial) override;
  std::optional<uint32_t> ChooseColour() override;
  std::optional<FontChoice> ChooseFont() override;

  // Boxes open right now (nested boxes count each).
  int OpenBoxes() const { return open_; }

 private:
  SdlEventLoop& loop_;
  SdlDisplay& display_;
  CodePage codePage_;
  std::unique_ptr<MessageBoxPainter> painter_;
  int open_ = 0;
};

}  // namespace qlm
