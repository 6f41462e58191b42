// The list controls of list-box objects: what the list commands change and a press selects.
#include "player/ListBoxInput.h"
#include "player/PlayerWindow.h"
#include "script/ListBoxControl.h"

namespace qlm {

ListBoxControl* PlayerWindow::ListBoxOf(ObjectRecord& object) {
  if (object.typeCode != kObjListBox)
    return nullptr;
  ObjectRunState& state = objectStates_.Of(object);
  if (!state.listBox)
    state.listBox = ListBoxControl::FromTexts(object.stringList);
  return &*state.listBox;
}

void PlayerWindow::SelectListRow(ObjectRecord& list, int x, int y) {
  ListBoxControl* control = ListBoxOf(list);
  const IntRect rect = objectStates_.RectOf(list);
  const int rowHeight = composer_.Objects().ListBoxRowHeight(list);
  if (control && ClickListBox(*control, rect, rowHeight, x, y, false))
    Repaint(rect);
}

}  // namespace qlm
