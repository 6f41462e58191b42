// Input fields, their pop-up menu and the scrolling objects of the player window.
#include "platform/Display.h"
#include "player/BrowserObjects.h"
#include "player/HitTest.h"
#include "player/PlayerWindow.h"

namespace qlm {

void PlayerWindow::InitControls() {
  controls_ = std::make_unique<ObjectControls>(
      pages_, objectStates_, composer_.Objects(), ctx_.display, ctx_.loop, Variables(),
      ctx_.codePage, [this](ObjectRecord& object) { return ListBoxOf(object); },
      [this](const IntRect& rect) { Invalidate(rect, false); });
  input_.SetControls(controls_.get());
  controls_->Fields().SetCaretListener([this](const IntRect& caret) {
    ctx_.display.SetTextInputRect(caret.left, caret.top, caret.Width(), caret.Height());
  });
}

void PlayerWindow::OnMouse(const MouseEvent& event) {
  // A press decides who has the keys: the web page of a browser object pressed, or the page.
  if (event.action == MouseAction::kLeftDown || event.action == MouseAction::kLeftDoubleClick ||
      event.action == MouseAction::kRightDown) {
    const ObjectHit hit = HitTestLayers(pages_, event.x, event.y, objectStates_);
    browsers_->Press(hit.object && hit.object->typeCode == kObjBrowser ? hit.object : nullptr);
  }
  input_.OnMouse(event);
}

void PlayerWindow::OnKey(const KeyEvent& event) {
  // Keys a web page takes are nobody's shortcut; their release still ends the key's hold.
  if (!browsers_->Key(event) || event.action == KeyAction::kUp)
    input_.OnKey(event);
}

void PlayerWindow::OnChar(const CharEvent& event) {
  if (browsers_->Type(ctx_.codePage.ToUtf8(std::string(1, static_cast<char>(event.ch)))))
    return;
  controls_->Char(event.ch);
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
  browsers_->Press(nullptr);
  controls_->Fields().Focus(object);
}

}  // namespace qlm
