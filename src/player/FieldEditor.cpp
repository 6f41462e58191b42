#include "player/FieldEditor.h"

#include <algorithm>

#include "platform/KeyNames.h"

namespace qlm {
namespace {

bool IsWordByte(char c) {
  return c != ' ' && c != '\t';
}

}  // namespace

void FieldEditor::SetText(std::string text) {
  text_ = std::move(text);
  Reindex();
  // A text cut inside a double-byte character loses the lead byte too.
  if (text_.size() > kMaxLength) {
    size_t keep = 0;
    for (size_t b : bounds_) {
      if (b <= kMaxLength)
        keep = b;
    }
    text_.resize(keep);
    Reindex();
  }
  caret_ = anchor_ = text_.size();
}

std::string FieldEditor::SelectedText() const {
  return text_.substr(SelectionStart(), SelectionEnd() - SelectionStart());
}

void FieldEditor::Reindex() {
  bounds_ = codePage_ ? codePage_->CharacterStarts(text_) : std::vector<size_t>();
  if (!codePage_) {
    bounds_.resize(text_.size());
    for (size_t i = 0; i < text_.size(); ++i)
      bounds_[i] = i;
  }
  bounds_.push_back(text_.size());
}

size_t FieldEditor::Previous(size_t pos) const {
  auto it = std::lower_bound(bounds_.begin(), bounds_.end(), pos);
  return it == bounds_.begin() ? 0 : *(it - 1);
}

size_t FieldEditor::Next(size_t pos) const {
  auto it = std::upper_bound(bounds_.begin(), bounds_.end(), pos);
  return it == bounds_.end() ? text_.size() : *it;
}

size_t FieldEditor::WordLeft(size_t pos) const {
  // Over the blanks before the caret, then over the word.
  while (pos > 0 && !IsWordByte(text_[Previous(pos)]))
    pos = Previous(pos);
  while (pos > 0 && IsWordByte(text_[Previous(pos)]))
    pos = Previous(pos);
  return pos;
}

size_t FieldEditor::WordRight(size_t pos) const {
  // Over the rest of the word, then over the blanks after it: to the next word's start.
  while (pos < text_.size() && IsWordByte(text_[pos]))
    pos = Next(pos);
  while (pos < text_.size() && !IsWordByte(text_[pos]))
    pos = Next(pos);
  return pos;
}

void FieldEditor::SetCaret(size_t pos, bool extend) {
  pos = std::min(pos, text_.size());
  auto it = std::lower_bound(bounds_.begin(), bounds_.end(), pos);
  if (*it != pos && it != bounds_.begin() && pos - *(it - 1) <= *it - pos)
    --it;
  Move(*it, extend);
}

void FieldEditor::Move(size_t to, bool extend) {
  caret_ = to;
  if (!extend)
    anchor_ = to;
}

void FieldEditor::SelectAll() {
  anchor_ = 0;
  caret_ = text_.size();
}

void FieldEditor::Erase(size_t start, size_t end) {
  text_.erase(start, end - start);
  Reindex();
  caret_ = anchor_ = start;
}

bool FieldEditor::Insert(std::string_view bytes) {
  std::string typed;
  for (char c : bytes) {
    if (c == '\r' || c == '\n')
      break;
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F)
      typed += c;
  }
  const size_t start = SelectionStart();
  const size_t room = kMaxLength - (text_.size() - (SelectionEnd() - start));
  if (typed.size() > room) {
    // Cut on a character start of the typed text.
    const std::vector<size_t> starts =
        codePage_ ? codePage_->CharacterStarts(typed) : std::vector<size_t>();
    size_t keep = room;
    if (codePage_) {
      keep = 0;
      for (size_t b : starts) {
        if (b <= room)
          keep = b;
      }
    }
    typed.resize(keep);
  }
  if (typed.empty() && !HasSelection())
    return false;
  text_.replace(start, SelectionEnd() - start, typed);
  Reindex();
  caret_ = anchor_ = start + typed.size();
  return true;
}

bool FieldEditor::Backspace() {
  if (HasSelection()) {
    Erase(SelectionStart(), SelectionEnd());
    return true;
  }
  if (caret_ == 0)
    return false;
  Erase(Previous(caret_), caret_);
  return true;
}

bool FieldEditor::Delete() {
  if (HasSelection()) {
    Erase(SelectionStart(), SelectionEnd());
    return true;
  }
  if (caret_ >= text_.size())
    return false;
  Erase(caret_, Next(caret_));
  return true;
}

bool FieldEditor::Copy(TextClipboard& clipboard, bool password) const {
  if (password || !HasSelection())
    return false;
  clipboard.SetText(SelectedText());
  return true;
}

bool FieldEditor::Cut(TextClipboard& clipboard, bool password) {
  if (!Copy(clipboard, password))
    return false;
  Erase(SelectionStart(), SelectionEnd());
  return true;
}

bool FieldEditor::Paste(TextClipboard& clipboard) {
  // Nothing on the clipboard pastes nothing: the selection stays.
  const std::string text = clipboard.Text();
  return !text.empty() && Insert(text);
}

FieldEditor::KeyResult FieldEditor::OnKey(uint32_t key, const Modifiers& m,
                                          TextClipboard& clipboard, bool password) {
  const auto edited = [](bool changed) { return changed ? KeyResult::kEdited : KeyResult::kMoved; };
  if (m.alt)
    return KeyResult::kIgnored;
  const bool shift = m.shift;
  switch (key) {
    case vk::kLeft:
    case vk::kUp:
      if (m.ctrl)
        Move(WordLeft(caret_), shift);
      else if (HasSelection() && !shift)
        Move(SelectionStart(), false);
      else
        Move(Previous(caret_), shift);
      return KeyResult::kMoved;
    case vk::kRight:
    case vk::kDown:
      if (m.ctrl)
        Move(WordRight(caret_), shift);
      else if (HasSelection() && !shift)
        Move(SelectionEnd(), false);
      else
        Move(Next(caret_), shift);
      return KeyResult::kMoved;
    case vk::kHome:
      Move(0, shift);
      return KeyResult::kMoved;
    case vk::kEnd:
      Move(text_.size(), shift);
      return KeyResult::kMoved;
    case vk::kBack:
      return edited(Backspace());
    case vk::kDelete:
      if (shift)
        return edited(Cut(clipboard, password));
      return edited(Delete());
    case vk::kInsert:
      if (shift)
        return edited(Paste(clipboard));
      if (m.ctrl)
        Copy(clipboard, password);
      return KeyResult::kMoved;
    default:
      break;
  }
  if (!m.ctrl)
    return KeyResult::kIgnored;
  switch (key) {
    case 'A':
      SelectAll();
      return KeyResult::kMoved;
    case 'C':
      Copy(clipboard, password);
      return KeyResult::kMoved;
    case 'X':
      return edited(Cut(clipboard, password));
    case 'V':
      return edited(Paste(clipboard));
    default:
      return KeyResult::kIgnored;
  }
}

}  // namespace qlm
