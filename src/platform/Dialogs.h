#pragma once

#include <cstdint>
#include <string>

namespace qlm {

// Message-box style bits, the Windows numbers that stored scripts and the automation output use.
namespace mb {
inline constexpr uint32_t kOk = 0x0;
inline constexpr uint32_t kOkCancel = 0x1;
inline constexpr uint32_t kAbortRetryIgnore = 0x2;
inline constexpr uint32_t kYesNoCancel = 0x3;
inline constexpr uint32_t kYesNo = 0x4;
inline constexpr uint32_t kRetryCancel = 0x5;
inline constexpr uint32_t kCancelTryContinue = 0x6;
inline constexpr uint32_t kIconError = 0x10;
inline constexpr uint32_t kIconQuestion = 0x20;
inline constexpr uint32_t kIconWarning = 0x30;
inline constexpr uint32_t kIconInformation = 0x40;
}  // namespace mb

// Button numbers a message box returns.
namespace idb {
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
inline constexpr int kAbort = 3;
inline constexpr int kRetry = 4;
inline constexpr int kIgnore = 5;
inline constexpr int kYes = 6;
inline constexpr int kNo = 7;
inline constexpr int kTryAgain = 10;
inline constexpr int kContinue = 11;
// What a box that closed by itself after its timeout returns.
inline constexpr int kTimedOut = -1;
}  // namespace idb

// Modal dialogs of the machine the player runs on. Texts are 8-bit strings in the
// presentation's code page; implementations convert them for display.
class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // Shows a modal message box and returns the number of the button that closed it.
  virtual int MessageBox(const std::string& text, const std::string& caption, uint32_t style) = 0;

  // The same box closing by itself after `timeoutMs` (0: never) with idb::kTimedOut. Dialogs
  // that are answered at once need no timeout and show the plain box.
  virtual int MessageBoxTimeout(const std::string& text, const std::string& caption,
                                uint32_t style, uint32_t /*timeoutMs*/) {
    return MessageBox(text, caption, style);
  }

  // The common case: an informational box with an OK button.
  void Message(const std::string& text) { MessageBox(text, caption_, mb::kOk); }

  void SetCaption(std::string caption) { caption_ = std::move(caption); }
  const std::string& Caption() const { return caption_; }

 private:
  std::string caption_ = "QLM Player";
};

}  // namespace qlm
