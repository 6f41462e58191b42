#pragma once

#include <deque>
#include <string>

#include "platform/Dialogs.h"
#include "platform/headless/JsonLinesWriter.h"

namespace qlm {

// Dialogs of headless runs. Message boxes are written as "messagebox" lines and answered at
// once, from the answers queued by the events file or else with the box's first button.
// Pickers are written as "dialog" lines and answered from the queued choices (texts); without
// one, or with an empty one, they are cancelled.
class HeadlessDialogs : public Dialogs {
 public:
  explicit HeadlessDialogs(JsonLinesWriter& out, int screenDpiY = 96)
      : out_(out), dpiY_(screenDpiY) {}

  int MessageBox(const std::string& text, const std::string& caption, uint32_t style) override;

  // Choice forms: a Windows path for files and folders, "red,green,blue" for colours, and for
  // fonts the form scripts read in CBK_Font, "Face|STYLE|points|charset|EFFECT|".
  std::optional<std::string> ChooseFile(FileDialogMode mode, const std::string& filter,
                                        const std::string& initial) override;
  std::optional<uint32_t> ChooseColour() override;
  std::optional<FontChoice> ChooseFont() override;

  // The answer of the next message box.
  void PushAnswer(int answer) { answers_.push_back(answer); }
  size_t PendingAnswers() const { return answers_.size(); }
  // The choice of the next picker, in the presentation's code page.
  void PushChoice(std::string choice) { choices_.push_back(std::move(choice)); }

  // The first button of a box of this style: what pressing Enter gives.
  static int DefaultAnswer(uint32_t style);

  // The choice forms above read back; nullopt when the text is not of that form.
  static std::optional<uint32_t> ParseColour(const std::string& text);
  static std::optional<FontChoice> ParseFont(const std::string& text, int dpiY);

 private:
  // The next queued choice; nullopt (and an empty one) cancel.
  std::optional<std::string> NextChoice();
  void Report(const char* kind, JsonLinesWriter::Json fields,
              const std::optional<std::string>& answer);

  JsonLinesWriter& out_;
  int dpiY_;
  std::deque<int> answers_;
  std::deque<std::string> choices_;
};

}  // namespace qlm
