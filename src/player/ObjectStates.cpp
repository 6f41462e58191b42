#include "player/ObjectStates.h"

#include "player/ObjectPainter.h"

namespace qlm {
namespace {

// Where the objects lie as the window draws and hits them: what the hit index is made from.
class PlacementRuntime : public PaintRuntime {
 public:
  explicit PlacementRuntime(const ObjectStates& states) : states_(states) {}
  ObjectPaintState StateOf(const ObjectRecord& object) override {
    return states_.Placement(object);
  }
  std::optional<uint64_t> LayoutRevision() override { return states_.LayoutRevision(); }

 private:
  const ObjectStates& states_;
};

}  // namespace

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

ObjectPaintState ObjectStates::Placement(const ObjectRecord& object) const {
  ObjectPaintState paint;
  if (const ObjectRunState* s = Find(object)) {
    paint.offsetX = s->offsetX;
    paint.offsetY = s->offsetY;
  }
  return paint;
}

IntRect ObjectStates::RectOf(const ObjectRecord& object) const {
  return ObjectPainter::ObjectRect(object, Placement(object));
}

const std::vector<uint32_t>* ObjectStates::ObjectsAt(const PageRecord& page, int32_t x,
                                                     int32_t y) const {
  if (x == INT32_MAX || y == INT32_MAX)
    return nullptr;
  PlacementRuntime placement(*this);
  return hitIndexes_.ObjectsIn(page, {x, y, x + 1, y + 1}, placement);
}

void ObjectStates::SetOffset(const ObjectRecord& object, int32_t x, int32_t y) {
  ObjectRunState& state = Of(object);
  state.offsetX = x;
  state.offsetY = y;
  LayoutChanged();
}

}  // namespace qlm
