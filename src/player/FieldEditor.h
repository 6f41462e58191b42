#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/CodePage.h"
#include "platform/EventLoop.h"

namespace qlm {

// The clipboard as an input field uses it: texts in the presentation's code page.
class TextClipboard {
 public:
  virtual ~TextClipboard() = default;
  virtual void SetText(const std::string& text) = 0;
  virtual std::string Text() = 0;
};

// The editing of a single-line input field: its text (bytes in the presentation's code page),
// the caret and the selection, changed by typed characters, the editing keys and the clipboard
// as a Windows edit box changes them. Positions are byte offsets that always lie on character
// starts (or at the end), so a double-byte character moves and goes as one.
class FieldEditor {
 public:
  // The longest text a field holds; typing and pasting stop there.
  static constexpr size_t kMaxLength = 32767;

  // What a key did.
  enum class KeyResult { kIgnored, kMoved, kEdited };

  // `codePage`: how characters are cut into bytes; null: one byte each.
  explicit FieldEditor(const CodePage* codePage = nullptr) : codePage_(codePage) {}

  // Replaces the text (cut at the length limit); the caret goes to its end.
  void SetText(std::string text);
  const std::string& Text() const { return text_; }

  size_t Caret() const { return caret_; }
  size_t Anchor() const { return anchor_; }
  size_t SelectionStart() const { return std::min(caret_, anchor_); }
  size_t SelectionEnd() const { return std::max(caret_, anchor_); }
  bool HasSelection() const { return caret_ != anchor_; }
  std::string SelectedText() const;
  // Byte offsets where characters start, and the end of the text.
  const std::vector<size_t>& Boundaries() const { return bounds_; }

  // Puts the caret at the character boundary nearest `pos` (at most the end); with `extend`
  // the anchor stays, so the selection runs from it to the caret.
  void SetCaret(size_t pos, bool extend);
  void SelectAll();

  // Typed text replaces the selection. Control characters are dropped and a line break ends
  // the text (the field has one line); the length limit cuts the rest. True when the text
  // changed.
  bool Insert(std::string_view bytes);
  // Backspace and Delete: the selection, else the character before or after the caret.
  bool Backspace();
  bool Delete();
  // Control+C, Control+X, Control+V. A password field gives nothing away: Copy and Cut do
  // nothing there.
  bool Copy(TextClipboard& clipboard, bool password) const;
  bool Cut(TextClipboard& clipboard, bool password);
  bool Paste(TextClipboard& clipboard);

  // A key going down (a Windows virtual key): arrows, Home and End move the caret (with Shift
  // they extend the selection, with Control Left and Right go by words), Backspace and Delete
  // delete, Control+A selects all, Control+C/X/V and Control+Insert, Shift+Delete and
  // Shift+Insert use the clipboard. Other keys are ignored. Up and Down act as Left and Right,
  // as in a one-line edit box.
  KeyResult OnKey(uint32_t vk, const Modifiers& modifiers, TextClipboard& clipboard, bool password);

 private:
  void Reindex();
  size_t Previous(size_t pos) const;
  size_t Next(size_t pos) const;
  size_t WordLeft(size_t pos) const;
  size_t WordRight(size_t pos) const;
  // Removes [start, end) and puts the caret there.
  void Erase(size_t start, size_t end);
  void Move(size_t to, bool extend);

  const CodePage* codePage_;
  std::string text_;
  std::vector<size_t> bounds_{0};
  size_t caret_ = 0;
  size_t anchor_ = 0;
};

}  // namespace qlm
