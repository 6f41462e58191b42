#pragma once

#include <deque>
#include <optional>
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
    return FirstButton(style);
  }

  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const auto& b : boxes)
      out.push_back(b.text);
    return out;
  }

  // Pickers answer from `choices` (file dialogs), `colour` and `font`; nothing queued cancels.
  struct Picker {
    std::string kind;  // "open", "save", "folder", "colour", "font"
    std::string filter;
    std::string initial;
    std::string title;  // file pickers: the title asked for, empty for the default
  };

  void SetNextFileTitle(std::string title) override { nextTitle_ = std::move(title); }

  std::optional<std::string> ChooseFile(FileDialogMode mode, const std::string& filter,
                                        const std::string& initial) override {
    static constexpr const char* kKinds[] = {"open", "save", "folder"};
    pickers.push_back({kKinds[static_cast<int>(mode)], filter, initial, std::move(nextTitle_)});
    nextTitle_.clear();
    if (choices.empty())
      return std::nullopt;
    std::optional<std::string> choice = choices.front();
    choices.pop_front();
    return choice;
  }
  std::optional<uint32_t> ChooseColour() override {
    pickers.push_back({"colour", {}, {}, {}});
    return colour;
  }
  std::optional<FontChoice> ChooseFont() override {
    pickers.push_back({"font", {}, {}, {}});
    return font;
  }

  std::vector<Box> boxes;
  std::deque<int> answers;
  std::vector<Picker> pickers;
  std::deque<std::optional<std::string>> choices;
  std::optional<uint32_t> colour;
  std::optional<FontChoice> font;

 private:
  std::string nextTitle_;
};

}  // namespace qlm::test
