#include "player/ObjectStates.h"

#include "player/ObjectPainter.h"

namespace qlm {

const ObjectRunState* ObjectStates::Find(const ObjectRecord& object) const {
  const auto it = states_.find(&object);
  return it == states_.end() ? nullptr : &it->second;
}

Highlight ObjectStates::HighlightOf(const ObjectRecord& object) const {
  const ObjectRunState* s = Find(object);
  return s ? s->highlight : Highlight::Normal;
}

bool ObjectStates::SetHighlight(const ObjectRecord& object, Highlight highlight) {
  if (HighlightOf(object) == highlight)
    return false;
  Of(object).highlight = highlight;
  return true;
}

IntRect ObjectStates::RectOf(const ObjectRecord& object) const {
  ObjectPaintState paint;
  if (const ObjectRunState* s = Find(object)) {
    paint.offsetX = s->offsetX;
    paint.offsetY = s->offsetY;
  }
  return ObjectPainter::ObjectRect(object, paint);
}

void ObjectStates::SetOffset(const ObjectRecord& object, int32_t x, int32_t y) {
  ObjectRunState& state = Of(object);
  state.offsetX = x;
  state.offsetY = y;
  LayoutChanged();
}

}  // namespace qlm
