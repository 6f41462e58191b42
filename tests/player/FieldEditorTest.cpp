#include "player/FieldEditor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "platform/KeyNames.h"

namespace qlm {
namespace {

class StringClipboard : public TextClipboard {
 public:
  void SetText(const std::string& text) override { text_ = text; }
  std::string Text() override { return text_; }
  std::string text_;
};

// Plays steps written as words: 'text' types the text between the quotes (a word of its own;
// '_' types a blank), any other word is a key with optional S- (Shift) and C- (Control) in
// front: Left, Right, Up, Down, Home, End, BS, Del, Ins or a letter.
void Play(FieldEditor& editor, StringClipboard& clipboard, const std::string& steps,
          bool password = false) {
  std::istringstream words(steps);
  std::string word;
  while (words >> word) {
    if (word.front() == '\'') {
      std::string typed = word.substr(1, word.size() - 2);
      std::replace(typed.begin(), typed.end(), '_', ' ');
      editor.Insert(typed);
      continue;
    }
    Modifiers m;
    for (;;) {
      if (word.starts_with("S-")) {
        m.shift = true;
      } else if (word.starts_with("C-")) {
        m.ctrl = true;
      } else {
        break;
      }
      word.erase(0, 2);
    }
    uint32_t key = 0;
    if (word == "BS") {
      key = vk::kBack;
    } else if (word == "Del") {
      key = vk::kDelete;
    } else if (word == "Ins") {
      key = vk::kInsert;
    } else {
      key = *VirtualKeyFromName(word);
    }
    editor.OnKey(key, m, clipboard, password);
  }
}

TEST(FieldEditor, KeySequencesGiveTextCaretAndSelection) {
  struct Case {
    const char* steps;
    const char* text;
    size_t caret;
    size_t anchor;
    const char* clipboard;  // after the steps; the clipboard starts as "clip"
  };
  const Case cases[] = {
      {"'hello'", "hello", 5, 5, "clip"},
      {"'hello' Left Left 'XY'", "helXYlo", 5, 5, "clip"},
      {"'hello' Home Del End BS", "ell", 3, 3, "clip"},
      {"'hello' Home BS Left", "hello", 0, 0, "clip"},
      {"'hello' End Del Right", "hello", 5, 5, "clip"},
      {"'hello' S-Left S-Left", "hello", 3, 5, "clip"},
      // Typing replaces the selection; Left and Right end it at its start and end.
      {"'hello' S-Home 'bye'", "bye", 3, 3, "clip"},
      {"'hello' S-Home Right", "hello", 5, 5, "clip"},
      {"'hello' S-Home Left", "hello", 0, 0, "clip"},
      {"'hello' Home S-End S-Left", "hello", 4, 0, "clip"},
      // Up and Down move as Left and Right in one line.
      {"'abc' Up Up Down", "abc", 2, 2, "clip"},
      {"'hello' Home S-Right S-Right BS", "llo", 0, 0, "clip"},
      {"'hello' Home S-Right Del", "ello", 0, 0, "clip"},
      // Words: Control+Left and Control+Right go to word starts.
      {"'one_two_three' C-Left C-Left", "one two three", 4, 4, "clip"},
      {"'one_two' Home C-Right C-S-Right", "one two", 7, 4, "clip"},
      // The clipboard: copy keeps the text, cut removes the selection, paste replaces it.
      {"'hello' C-A C-C", "hello", 5, 0, "hello"},
      {"'hello' S-Left S-Left C-X", "hel", 3, 3, "lo"},
      {"'hello' Home C-V", "cliphello", 4, 4, "clip"},
      {"'hello' C-A C-V", "clip", 4, 4, "clip"},
      {"'hi' S-Home C-Ins End S-Ins", "hihi", 4, 4, "hi"},
      {"'hi' S-Home S-Del", "", 0, 0, "hi"},
      // Copy and cut with nothing selected do nothing.
      {"'hi' C-C C-X", "hi", 2, 2, "clip"},
      // Control with another letter is not the field's.
      {"'hi' C-B", "hi", 2, 2, "clip"},
  };
  for (const Case& c : cases) {
    FieldEditor editor;
    StringClipboard clipboard;
    clipboard.text_ = "clip";
    Play(editor, clipboard, c.steps);
    EXPECT_EQ(editor.Text(), c.text) << c.steps;
    EXPECT_EQ(editor.Caret(), c.caret) << c.steps;
    EXPECT_EQ(editor.Anchor(), c.anchor) << c.steps;
    EXPECT_EQ(clipboard.text_, c.clipboard) << c.steps;
  }
}

TEST(FieldEditor, PasswordFieldsGiveNothingToTheClipboard) {
  FieldEditor editor;
  StringClipboard clipboard;
  clipboard.text_ = "clip";
  Play(editor, clipboard, "'secret' C-A C-C C-X S-Del C-Ins", true);
  EXPECT_EQ(clipboard.text_, "clip");
  EXPECT_EQ(editor.Text(), "secret");
  // Pasting into a password field works.
  Play(editor, clipboard, "C-A C-V", true);
  EXPECT_EQ(editor.Text(), "clip");
}

TEST(FieldEditor, TypedAndPastedTextKeepsToOneLineOfPrintableCharacters) {
  FieldEditor editor;
  EXPECT_FALSE(editor.Insert("\x01\x7F"));
  EXPECT_TRUE(
      editor.Insert("a\tb\x1B"
                    "c\r\nsecond line"));
  EXPECT_EQ(editor.Text(), "abc");
  editor.SetText(std::string(FieldEditor::kMaxLength + 10, 'x'));
  EXPECT_EQ(editor.Text().size(), FieldEditor::kMaxLength);
  EXPECT_FALSE(editor.Insert("more"));
  EXPECT_EQ(editor.Text().size(), FieldEditor::kMaxLength);
  // With a selection, room is made first.
  editor.SetCaret(0, false);
  editor.SetCaret(2, true);
  EXPECT_TRUE(editor.Insert("yzw"));
  EXPECT_EQ(editor.Text().size(), FieldEditor::kMaxLength);
  EXPECT_EQ(editor.Text().substr(0, 3), "yzx");
}

TEST(FieldEditor, DoubleByteCharactersMoveAndGoAsOne) {
  const CodePage shiftJis("CP932");
  FieldEditor editor(&shiftJis);
  // "a", a two-byte character, "b".
  editor.SetText(
      "a\x88\xA2"
      "b");
  EXPECT_EQ(editor.Boundaries(), (std::vector<size_t>{0, 1, 3, 4}));
  StringClipboard clipboard;
  editor.OnKey(vk::kLeft, {}, clipboard, false);
  EXPECT_EQ(editor.Caret(), 3u);
  editor.OnKey(vk::kBack, {}, clipboard, false);
  EXPECT_EQ(editor.Text(), "ab");
  EXPECT_EQ(editor.Caret(), 1u);
  // A caret asked for inside a character goes to the nearer edge of it.
  editor.SetText("\x88\xA2\x88\xA2");
  editor.SetCaret(1, false);
  EXPECT_TRUE(editor.Caret() == 0 || editor.Caret() == 2);
  editor.SetCaret(3, false);
  EXPECT_EQ(editor.Caret() % 2, 0u);
}

}  // namespace
}  // namespace qlm
