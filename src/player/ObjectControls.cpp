#include "player/ObjectControls.h"

namespace qlm {

ObjectControls::ObjectControls(CPageManager& pages, ObjectStates& states, ObjectPainter& painter,
                               Display& display, VariableStore& variables, const CodePage& codePage,
                               ObjectScrolling::ListBoxOf listBoxOf,
                               std::function<void(const IntRect&)> repaint)
    : display_(display),
      clipboard_(display),
      fields_(pages, states, painter, clipboard_, variables, codePage, repaint),
      scrolling_(pages, states, painter, std::move(listBoxOf), repaint) {}

void ObjectControls::LeftDown(const ObjectHit& hit, const MouseEvent& event) {
  fields_.Press(hit, event.x, event.y, event.action == MouseAction::kLeftDoubleClick,
                event.modifiers.shift);
  scrolling_.Press(hit, event.y);
}

bool ObjectControls::LeftDrag(int x, int y) {
  fields_.Drag(x, y);
  return scrolling_.Drag(y);
}

void ObjectControls::LeftUp() {
  fields_.Release();
  scrolling_.Release();
}

bool ObjectControls::RightDown(int x, int y) {
  return fields_.RightPress(x, y, display_.ClientWidth(), display_.ClientHeight());
}

void ObjectControls::Forget() {
  fields_.Forget();
  scrolling_.Forget();
}

}  // namespace qlm
