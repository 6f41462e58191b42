#include "player/ObjectScrolling.h"

#include <algorithm>

#include "graphics/SaturatingRect.h"
#include "script/ListBoxControl.h"

namespace qlm {

ObjectScrolling::ObjectScrolling(CPageManager& pages, ObjectStates& states, ObjectPainter& painter,
                                 ListBoxOf listBoxOf, std::function<void(const IntRect&)> repaint)
    : pages_(pages),
      states_(states),
      painter_(painter),
      listBoxOf_(std::move(listBoxOf)),
      repaint_(std::move(repaint)) {}

int32_t ObjectScrolling::ScrollOf(const ObjectRecord& paragraph) const {
  const ObjectRunState* s = states_.Find(paragraph);
  return s && s->scroll ? *s->scroll : ParagraphScroll(paragraph);
}

void ObjectScrolling::Press(const ObjectHit& hit, int y) {
  drag_ = {};
  if (!hit || hit.object->typeCode != kObjParagraph)
    return;
  drag_ = {hit.page, hit.index, hit.object->name, y, ScrollOf(*hit.object)};
}

bool ObjectScrolling::Drag(int y) {
  PageRecord* page = drag_.page;
  if (!page)
    return false;
  if (drag_.index >= page->objects.size() || page->objects[drag_.index].name != drag_.name) {
    drag_ = {};
    return false;
  }
  // The text follows the pointer: dragging up shows what lies further down.
  ScrollParagraph(page->objects[drag_.index], int64_t{drag_.startScroll} + drag_.startY - y);
  return true;
}

bool ObjectScrolling::ScrollParagraph(ObjectRecord& paragraph, int64_t scroll) {
  const int limit = painter_.ParagraphScrollLimit(paragraph, states_.RectOf(paragraph));
  const int32_t to = static_cast<int32_t>(std::clamp<int64_t>(scroll, 0, limit));
  if (to == ScrollOf(paragraph))
    return false;
  states_.Of(paragraph).scroll = to;
  repaint_(InflatedRect(states_.RectOf(paragraph), 1));
  return true;
}

bool ObjectScrolling::ScrollListBox(ObjectRecord& list, int notches) {
  ListBoxControl* control = listBoxOf_(list);
  if (!control)
    return false;
  const IntRect inside = ObjectPainter::ListBoxInside(states_.RectOf(list));
  const int rowHeight = painter_.ListBoxRowHeight(list);
  const int64_t visibleRows = std::max(1, inside.Height() / rowHeight);
  const int64_t lastTop = std::max<int64_t>(0, static_cast<int64_t>(control->Size()) - visibleRows);
  const int64_t top = std::clamp<int64_t>(
      static_cast<int64_t>(control->TopIndex()) - int64_t{notches} * kLinesPerNotch, 0, lastTop);
  if (static_cast<size_t>(top) == control->TopIndex())
    return false;
  control->SetTopIndex(static_cast<size_t>(top));
  repaint_(InflatedRect(states_.RectOf(list), 1));
  return true;
}

bool ObjectScrolling::Wheel(int x, int y, int notches) {
  const ObjectHit hit = HitTestLayers(pages_, x, y, states_);
  if (!hit || notches == 0)
    return false;
  ObjectRecord& object = *hit.object;
  if (object.typeCode == kObjParagraph) {
    const int64_t lines = int64_t{notches} * kLinesPerNotch;
    return ScrollParagraph(object, ScrollOf(object) - lines * painter_.ParagraphLineHeight(object));
  }
  if (object.typeCode == kObjListBox)
    return ScrollListBox(object, notches);
  return false;
}

}  // namespace qlm
