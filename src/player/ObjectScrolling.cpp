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

bool ObjectScrolling::Press(const ObjectHit& hit, int x, int y) {
  drag_ = {};
  if (!hit || (hit.object->typeCode != kObjParagraph && hit.object->typeCode != kObjListBox))
    return false;
  ObjectRecord& object = *hit.object;
  const ScrollBar bar = BarOf(object);
  const int64_t position = PositionOf(object);
  switch (bar.PartAt(x, y)) {
    case ScrollBar::Part::kNone:
      if (object.typeCode == kObjParagraph)
        drag_ = {hit.page, hit.index, object.name, y, ScrollOf(object)};
      return false;
    case ScrollBar::Part::kUp:
      ScrollTo(object, position - LineOf(object));
      break;
    case ScrollBar::Part::kDown:
      ScrollTo(object, position + LineOf(object));
      break;
    case ScrollBar::Part::kPageUp:
      ScrollTo(object, position - bar.Page());
      break;
    case ScrollBar::Part::kPageDown:
      ScrollTo(object, position + bar.Page());
      break;
    case ScrollBar::Part::kThumb:
      drag_ = {hit.page, hit.index, object.name, y, 0, true, y - bar.Thumb().top};
      break;
  }
  return true;
}

ObjectRecord* ObjectScrolling::Dragged() {
  PageRecord* page = drag_.page;
  if (!page)
    return nullptr;
  if (drag_.index >= page->objects.size() || page->objects[drag_.index].name != drag_.name) {
    drag_ = {};
    return nullptr;
  }
  return &page->objects[drag_.index];
}

bool ObjectScrolling::Drag(int y) {
  ObjectRecord* object = Dragged();
  if (!object)
    return false;
  if (drag_.thumb) {
    ScrollTo(*object, BarOf(*object).PositionForThumbAt(y - drag_.grab));
    return true;
  }
  // The text follows the pointer: dragging up shows what lies further down.
  ScrollParagraph(*object, int64_t{drag_.startScroll} + drag_.startY - y);
  return true;
}

ScrollBar ObjectScrolling::BarOf(ObjectRecord& object) {
  const IntRect rect = states_.RectOf(object);
  if (object.typeCode == kObjParagraph)
    return painter_.ParagraphScrollBar(object, rect, ScrollOf(object));
  const ListBoxControl* list = listBoxOf_(object);
  if (!list)
    return {};
  return ObjectPainter::ListBoxScrollBar(rect, list->Size(), list->TopIndex(),
                                         painter_.ListBoxRowHeight(object));
}

int64_t ObjectScrolling::PositionOf(ObjectRecord& object) {
  if (object.typeCode == kObjParagraph)
    return ScrollOf(object);
  const ListBoxControl* list = listBoxOf_(object);
  return list ? static_cast<int64_t>(list->TopIndex()) : 0;
}

int64_t ObjectScrolling::LineOf(const ObjectRecord& object) {
  return object.typeCode == kObjParagraph ? painter_.ParagraphLineHeight(object) : 1;
}

bool ObjectScrolling::ScrollTo(ObjectRecord& object, int64_t position) {
  if (object.typeCode == kObjParagraph)
    return ScrollParagraph(object, position);
  ListBoxControl* list = listBoxOf_(object);
  if (!list)
    return false;
  const int64_t top = std::clamp<int64_t>(position, 0, BarOf(object).MaxPosition());
  if (static_cast<size_t>(top) == list->TopIndex())
    return false;
  list->SetTopIndex(static_cast<size_t>(top));
  repaint_(InflatedRect(states_.RectOf(object), 1));
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

bool ObjectScrolling::Wheel(int x, int y, int notches) {
  const ObjectHit hit = HitTestLayers(pages_, x, y, states_);
  if (!hit || notches == 0)
    return false;
  ObjectRecord& object = *hit.object;
  if (object.typeCode != kObjParagraph && object.typeCode != kObjListBox)
    return false;
  const int64_t lines = int64_t{notches} * kLinesPerNotch;
  return ScrollTo(object, PositionOf(object) - lines * LineOf(object));
}

}  // namespace qlm
