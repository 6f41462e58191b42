#include "player/ObjectControls.h"

#include <algorithm>
#include <array>
#include <vector>

#include "graphics/SaturatingRect.h"
#include "platform/KeyNames.h"
#include "player/ListBoxInput.h"
#include "script/ListBoxControl.h"

namespace qlm {

ObjectControls::ObjectControls(CPageManager& pages, ObjectStates& states, ObjectPainter& painter,
                               Display& display, EventLoop& loop, VariableStore& variables,
                               const CodePage& codePage, ObjectScrolling::ListBoxOf listBoxOf,
                               std::function<void(const IntRect&)> repaint)
    : pages_(pages),
      states_(states),
      painter_(painter),
      display_(display),
      loop_(loop),
      listBoxOf_(listBoxOf),
      repaint_(repaint),
      clipboard_(display),
      fields_(pages, states, painter, clipboard_, variables, codePage, repaint),
      scrolling_(pages, states, painter, std::move(listBoxOf), std::move(repaint)) {}

void ObjectControls::LeftDown(const ObjectHit& hit, const MouseEvent& event) {
  fields_.Press(hit, event.x, event.y, event.action == MouseAction::kLeftDoubleClick,
                event.modifiers.shift);
  scrolling_.Press(hit, event.x, event.y);
  list_ = {};
  typed_.clear();
  if (hit && hit.object->typeCode == kObjListBox)
    list_ = {hit.page, hit.index, hit.object->name};
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
  list_ = {};
  typed_.clear();
}

void ObjectControls::FollowObjectList(
    const PageRecord& page, const std::function<std::optional<size_t>(size_t)>& newIndexOf) {
  fields_.FollowObjectList(page, newIndexOf);
  if (list_.page != &page)
    return;
  if (const std::optional<size_t> index = newIndexOf(list_.index))
    list_.index = *index;
  else
    list_ = {};
}

ObjectRecord* ObjectControls::FocusedList() {
  PageRecord* page = list_.page;
  if (!page)
    return nullptr;
  // The page may have gone from the screen, and scripts may have deleted or hidden the list
  // since it took the keys.
  const std::array<PageRecord*, 3> shown = InputLayers(pages_);
  if (std::find(shown.begin(), shown.end(), page) == shown.end() ||
      list_.index >= page->objects.size() || page->objects[list_.index].name != list_.name ||
      IsHidden(page->objects[list_.index])) {
    list_ = {};
    return nullptr;
  }
  return &page->objects[list_.index];
}

bool ObjectControls::Key(const KeyEvent& event) {
  const bool tab = event.action == KeyAction::kDown && event.vk == vk::kTab &&
                   !event.modifiers.ctrl && !event.modifiers.alt;
  if (tab && !fields_.Menu().Visible() && (fields_.Focused() || FocusedList())) {
    MoveFocus(event.modifiers.shift);
    return true;
  }
  if (fields_.Key(event))
    return true;
  ObjectRecord* list = FocusedList();
  return list && event.action == KeyAction::kDown && ListKey(*list, event);
}

bool ObjectControls::ListKey(ObjectRecord& list, const KeyEvent& event) {
  ListBoxControl* control = listBoxOf_(list);
  if (!control || event.modifiers.ctrl || event.modifiers.alt)
    return false;
  const size_t visible = static_cast<size_t>(
      ObjectPainter::ListBoxVisibleRows(states_.RectOf(list), painter_.ListBoxRowHeight(list)));
  if (const std::optional<size_t> row = ListBoxKeyRow(*control, event.vk, visible)) {
    typed_.clear();
    SelectRow(list, *row);
    return true;
  }
  // Keys that type a character are the list's: their characters come next.
  return TypesCharacter(event.vk, false, false);
}

void ObjectControls::Char(uint8_t ch) {
  if (fields_.Char(ch))
    return;
  ObjectRecord* list = FocusedList();
  ListBoxControl* control = list ? listBoxOf_(*list) : nullptr;
  if (!control || ch < 0x20 || ch == 0x7F)
    return;
  const uint64_t now = loop_.TickCount();
  if (now - typedAt_ > kTypeAheadMs)
    typed_.clear();
  typedAt_ = now;
  typed_.push_back(static_cast<char>(ch));
  if (const std::optional<size_t> row = ListBoxTypeAheadRow(*control, typed_))
    SelectRow(*list, *row);
}

void ObjectControls::SelectRow(ObjectRecord& list, size_t row) {
  ListBoxControl* control = listBoxOf_(list);
  if (!control || row >= control->Size())
    return;
  const IntRect rect = states_.RectOf(list);
  const size_t visible =
      static_cast<size_t>(ObjectPainter::ListBoxVisibleRows(rect, painter_.ListBoxRowHeight(list)));
  const size_t top = control->TopIndex();
  control->EnsureVisible(row, visible);
  // A press on a row selects it alone; a row already alone in the selection stays.
  const bool changed = control->ClickItem(row, false);
  if (changed || top != control->TopIndex())
    repaint_(InflatedRect(rect, 1));
}

void ObjectControls::MoveFocus(bool backwards) {
  // The fields and list boxes that can take the keys, in page order.
  struct Target {
    PageRecord* page;
    size_t index;
  };
  std::vector<Target> targets;
  std::array<PageRecord*, 3> layers = InputLayers(pages_);
  std::reverse(layers.begin(), layers.end());
  for (PageRecord* page : layers) {
    if (!page)
      continue;
    for (size_t i = 0; i < page->objects.size(); ++i) {
      const ObjectRecord& o = page->objects[i];
      if ((o.typeCode == kObjInputField || o.typeCode == kObjListBox) && !IsHidden(o))
        targets.push_back({page, i});
    }
  }
  if (targets.empty())
    return;
  const ObjectRecord* current = fields_.Focused();
  if (!current)
    current = FocusedList();
  size_t at = 0;
  for (size_t i = 0; i < targets.size(); ++i) {
    if (&targets[i].page->objects[targets[i].index] == current)
      at = i;
  }
  const size_t next =
      backwards ? (at + targets.size() - 1) % targets.size() : (at + 1) % targets.size();
  ObjectRecord& object = targets[next].page->objects[targets[next].index];
  if (object.typeCode == kObjInputField) {
    list_ = {};
    fields_.Focus(object);
  } else {
    FocusList(*targets[next].page, targets[next].index);
  }
}

void ObjectControls::FocusList(PageRecord& page, size_t index) {
  fields_.Blur();
  typed_.clear();
  list_ = {&page, index, page.objects[index].name};
}

}  // namespace qlm
