#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "document/PageManager.h"
#include "expr/VariableStore.h"
#include "platform/CodePage.h"
#include "platform/EventLoop.h"
#include "player/FieldEditor.h"
#include "player/FieldMenu.h"
#include "player/HitTest.h"
#include "player/ObjectPainter.h"
#include "player/ObjectStates.h"

namespace qlm {

// Copies an input field's text into the variable it is bound to: the variable named by the
// field's variable field, or by the object's name when that is empty. A name with "$" takes
// the text, any other name the text read as a number.
void StoreFieldText(VariableStore& variables, const ObjectRecord& field);

// The input fields (kind 22) of the shown pages at run time: which one has the keyboard focus,
// its caret and selection, typing and the editing keys, the clipboard and the pop-up menu. The
// text lives in the object's record, so scripts and the automation output see what was typed;
// each change is also copied into the field's variable.
class InputFields {
 public:
  InputFields(CPageManager& pages, ObjectStates& states, ObjectPainter& painter,
              TextClipboard& clipboard, VariableStore& variables, const CodePage& codePage,
              std::function<void(const IntRect&)> repaint);

  // A left press (or double click) on `hit`; no object: nothing was hit. A field takes the
  // focus with the caret at the pointer (Shift: the selection grows to it) and a double click
  // selects its whole text; anything else takes the focus away.
  void Press(const ObjectHit& hit, int x, int y, bool doubleClick, bool shift);
  // The pointer moves with the left button held after a press on a field: the selection
  // follows it.
  void Drag(int x, int y);
  void Release() { selecting_ = false; }
  // A right press on the current page: over the text of a field that has text, the field takes
  // the focus and the pop-up menu opens at the pointer. True when it did.
  bool RightPress(int x, int y, int clientWidth, int clientHeight);

  // Keys and typed characters for the focused field (or the open menu). True when they were
  // taken: editing keys, and keys that type characters, which come as characters.
  bool Key(const KeyEvent& event);
  bool Char(uint8_t ch);
  // What an input method composes for the focused field (empty: the composition ended).
  void Compose(const std::string& text);
  // Told where the caret of the focused field is, in client coordinates, whenever it moves (an
  // input method shows its candidates there).
  void SetCaretListener(std::function<void(const IntRect&)> listener) {
    caretListener_ = std::move(listener);
  }
  // Mouse input while the menu is open; true when the menu took it.
  bool MenuMouse(const MouseEvent& event);
  FieldMenu& Menu() { return menu_; }

  // Gives a field of a shown page the focus; a field that takes it anew has the caret at the
  // end of its text (Show of a field).
  void Focus(ObjectRecord& field);
  // No field has the focus any more.
  void Blur();
  // The focused field (null: none).
  ObjectRecord* Focused();
  // A script replaced a field's text: the caret goes to its end.
  void TextChanged(ObjectRecord& field);
  // A page was shown: its fields' texts go into their variables; the focus goes.
  void PageShown(PageRecord* page);
  // The object list of a page changed: the focus follows the field or goes.
  void FollowObjectList(const PageRecord& page,
                        const std::function<std::optional<size_t>(size_t)>& newIndexOf);
  // The project is replaced.
  void Forget();

 private:
  // The text position nearest to x in the field.
  size_t PositionAt(const ObjectRecord& field, int x);
  // The editor takes the field's text, caret at the end.
  void Load(ObjectRecord& field);
  // The editor holds the field's text (a script may have changed it since).
  void Sync(ObjectRecord& field);
  // After an edit: the text goes into the record and the variable; the view is kept up to date.
  void Store(ObjectRecord& field);
  // Keeps the caret in view and repaints the field.
  void Refresh(ObjectRecord& field);
  void Apply(FieldMenu::Command command);

  CPageManager& pages_;
  ObjectStates& states_;
  ObjectPainter& painter_;
  TextClipboard& clipboard_;
  VariableStore& variables_;
  std::function<void(const IntRect&)> repaint_;
  FieldEditor editor_;
  FieldMenu menu_;
  struct FocusRef {
    PageRecord* page = nullptr;
    size_t index = 0;
    std::string name;
  } focus_;
  bool selecting_ = false;
  std::string composition_;  // UTF-8
  std::function<void(const IntRect&)> caretListener_;
};

}  // namespace qlm
