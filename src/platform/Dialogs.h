#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

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

// What a file dialog asks for.
enum class FileDialogMode { kOpen = 0, kSave = 1, kFolder = 2 };

// A font chosen in the font dialog, as Windows logical fonts describe it.
struct FontChoice {
  std::string faceName;
  int32_t height = -16;  // logical height: negative for the character height in pixels
  int32_t weight = 400;  // 400 regular, 700 bold
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  int32_t charSet = 0;

  bool operator==(const FontChoice&) const = default;
};

// What the print dialog asks: where to (a list of names shown as they are, UTF-8), how many
// copies, and the sheets the job takes on the selected destination's paper.
struct PrintDialogRequest {
  std::vector<std::string> destinations;
  int selected = 0;
  int copies = 1;
  std::function<int(int destination)> pagesOf;
};

// What the user chose in the print dialog.
struct PrintChoice {
  int destination = 0;  // an index into the request's destinations
  int copies = 1;

  bool operator==(const PrintChoice&) const = default;
};

// The first button of a message box style: what Enter answers and what unattended runs take.
inline int FirstButton(uint32_t style) {
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

// Modal dialogs of the machine the player runs on. Texts are 8-bit strings in the
// presentation's code page; implementations convert them for display.
class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // Shows a modal message box and returns the number of the button that closed it.
  virtual int MessageBox(const std::string& text, const std::string& caption, uint32_t style) = 0;

  // The same box closing by itself after `timeoutMs` (0: never) with idb::kTimedOut. Dialogs
  // that are answered at once need no timeout and show the plain box.
  virtual int MessageBoxTimeout(const std::string& text, const std::string& caption, uint32_t style,
                                uint32_t /*timeoutMs*/) {
    return MessageBox(text, caption, style);
  }

  // The player's own consent box (never one of the presentation's): `text` above the buttons
  // "Deny", "Allow once" and "Always allow", which return 3, 4 and 5. Deny is the default and
  // what Escape or closing the box answers.
  virtual int AskConsent(const std::string& text) {
    return MessageBox(text, caption_, mb::kAbortRetryIgnore | mb::kIconWarning);
  }

  // Pickers. Each returns the user's choice, or nullopt when the dialog was cancelled or
  // cannot be shown. Paths are Windows-style, as scripts see them.

  // The title of the next open or save picker, instead of "Open" or "Save As".
  virtual void SetNextFileTitle(std::string /*title*/) {}
  // Open (the file must exist), save, or a folder. `filter` is the script's filter text
  // ("Text|*.txt|" pairs) and `initial` the proposed file name; for folders they are the
  // title and the start folder.
  virtual std::optional<std::string> ChooseFile(FileDialogMode /*mode*/,
                                                const std::string& /*filter*/,
                                                const std::string& /*initial*/) {
    return std::nullopt;
  }
  // A colour 0x00BBGGRR.
  virtual std::optional<uint32_t> ChooseColour() { return std::nullopt; }
  virtual std::optional<FontChoice> ChooseFont() { return std::nullopt; }
  // The print dialog: the user's consent to print. Nullopt when it was cancelled or cannot be
  // shown.
  virtual std::optional<PrintChoice> ChoosePrint(const PrintDialogRequest& /*request*/) {
    return std::nullopt;
  }

  // The common case: an informational box with an OK button.
  void Message(const std::string& text) {
    if (echo_)
      *echo_ << "qlmplayer: " << OneLine(text) << '\n';
    MessageBox(text, caption_, mb::kOk);
  }

  // While set, the common case's text is also written to `out` as one line (the start-up's
  // errors reach the terminal too, not only a box); null stops it.
  void EchoMessagesTo(std::ostream* out) { echo_ = out; }

  void SetCaption(std::string caption) { caption_ = std::move(caption); }
  const std::string& Caption() const { return caption_; }

 private:
  static std::string OneLine(std::string text) {
    for (char& c : text) {
      if (c == '\n' || c == '\r')
        c = ' ';
    }
    return text;
  }

  std::string caption_ = "QLM Player";
  std::ostream* echo_ = nullptr;
};

}  // namespace qlm
