// Input fields, their pop-up menu and the scrolling objects of the player window.
#include "platform/Display.h"
#include "player/PlayerWindow.h"

namespace qlm {

void PlayerWindow::InitControls() {
  controls_ = std::make_unique<ObjectControls>(
      pages_, objectStates_, composer_.Objects(), ctx_.display, Variables(), ctx_.codePage,
      [this](ObjectRecord& object) { return ListBoxOf(object); },
      [this](const IntRect& rect) { Invalidate(rect, false); });
  input_.SetControls(controls_.get());
  controls_->Fields().SetCaretListener([this](const IntRect& caret) {
    ctx_.display.SetTextInputRect(caret.left, caret.top, caret.Width(), caret.Height());
  });
}

void PlayerWindow::OnChar(const CharEvent& event) {
  controls_->Fields().Char(event.ch);
}

void PlayerWindow::OnComposition(const CompositionEvent& event) {
  controls_->Fields().Compose(event.Text());
}

void PlayerWindow::ObjectTextChanged(PageRecord& /*page*/, ObjectRecord& object) {
  if (object.typeCode == kObjInputField)
    controls_->Fields().TextChanged(object);
}

void PlayerWindow::FieldTextLoaded(ObjectRecord& field) {
  StoreFieldText(Variables(), field);
}

void PlayerWindow::FocusObject(PageRecord& /*page*/, ObjectRecord& object) {
  controls_->Fields().Focus(object);
}

}  // namespace qlm
