#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qlm {

struct MessageBoxButton {
  int id = 0;  // the number the box returns (idb::)
  std::string label;
};

// The buttons and keyboard of a message box, apart from how it is drawn: the buttons of the
// style's lowest four bits (an unknown value gives OK), the default button of bits 256 and 512,
// Enter for the focused button, Tab and the arrows to move the focus, and Escape or the close
// box for Cancel (or No, or the only OK) where the style has one.
class MessageBoxControl {
 public:
  explicit MessageBoxControl(uint32_t style);
  // The player's consent box: "Deny" (the default, and what Escape answers), "Allow once" and
  // "Always allow", returning 3, 4 and 5. No style of a presentation's box has these buttons.
  static MessageBoxControl Consent();

  const std::vector<MessageBoxButton>& Buttons() const { return buttons_; }
  int Focus() const { return focus_; }
  void SetFocus(int index);

  // A key going down (virtual-key code); the answer when it closes the box.
  std::optional<int> Key(uint32_t vk, bool shift);
  // The close box (or the end of the program): the Escape answer, when the style has one.
  std::optional<int> EscapeAnswer() const { return escape_; }
  // What a box that must close returns when it has no Escape answer: its default button.
  int DefaultAnswer() const { return buttons_[static_cast<size_t>(default_)].id; }

 private:
  std::vector<MessageBoxButton> buttons_;
  int default_ = 0;
  int focus_ = 0;
  std::optional<int> escape_;
};

}  // namespace qlm
