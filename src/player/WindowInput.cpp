#include "player/WindowInput.h"

#include <algorithm>

#include "expr/ExpressionEvaluator.h"
#include "graphics/SaturatingRect.h"
#include "platform/Display.h"
#include "platform/KeyNames.h"
#include "player/CBubble.h"
#include "player/ClickAction.h"
#include "player/KeyShortcut.h"
#include "script/ScriptRunner.h"

namespace qlm {

WindowInput::WindowInput(CPageManager& pages, ObjectStates& states, CBubble& bubble,
                         Display& display, EventLoop& loop, ScriptRunner& runner,
                         WindowInputHost& host)
    : pages_(pages),
      objectStates_(states),
      bubble_(bubble),
      display_(display),
      loop_(loop),
      runner_(runner),
      host_(host),
      pageInput_(pages, states, host),
      mouseOver_(states, *this) {}

void WindowInput::OnMouse(const MouseEvent& event) {
  mouseX_ = event.x;
  mouseY_ = event.y;
  if (controls_ && controls_->MenuMouse(event)) {
    if (event.action == MouseAction::kLeftUp || event.action == MouseAction::kRightUp)
      leftDown_ = rightDown_ = false;
    return;
  }
  switch (event.action) {
    case MouseAction::kLeftDown:
    case MouseAction::kLeftDoubleClick:
      // A double click counts as a press (input fields select their text themselves).
      leftDown_ = true;
      OnLeftDown(event);
      break;
    case MouseAction::kLeftUp:
      leftDown_ = false;
      OnLeftUp(event.x, event.y);
      break;
    case MouseAction::kRightDown:
      rightDown_ = true;
      if (controls_ && controls_->RightDown(event.x, event.y))
        break;
      ForwardPluginRightButton(PluginMouse::kRightDown, event.x, event.y);
      break;
    case MouseAction::kRightUp:
      rightDown_ = false;
      ForwardPluginRightButton(PluginMouse::kRightUp, event.x, event.y);
      break;
    case MouseAction::kMove:
      OnMouseMove(event.x, event.y);
      break;
    case MouseAction::kWheel: {
      const ObjectHit hit = HitTestLayers(pages_, event.x, event.y, objectStates_);
      if (hit.object && host_.WheelObject(*hit.object, event.x, event.y, event.wheel))
        break;
      if (controls_)
        controls_->Wheel(event.x, event.y, event.wheel);
      break;
    }
  }
}

void WindowInput::OnKey(const KeyEvent& event) {
  const bool known = event.vk < keysDown_.size();
  if (event.action == KeyAction::kUp) {
    if (known)
      keysDown_[event.vk] = false;
    return;
  }
  if (known)
    keysDown_[event.vk] = true;
  if (controls_ && controls_->Key(event))
    return;
  if (OnKeyDown(event))
    return;
  // Escape reaches the dialog's own handling: the Cancel path.
  if (event.vk == vk::kEscape)
    host_.CloseCancel();
}

void WindowInput::Forget() {
  pageInput_.Reset();
  objectStates_.Clear();
  bubble_.Hide();
  pressed_ = {};
  buttonPressed_ = objectDrag_ = bodyDrag_ = false;
  timedHides_.clear();
  loop_.KillTimer(window_timer::kOneShot);
  if (controls_)
    controls_->Forget();
}

void WindowInput::FollowObjectList(const PageRecord& page,
                                   const std::function<std::optional<size_t>(size_t)>& newIndexOf) {
  if (pressed_.page == &page) {
    const std::optional<size_t> index = newIndexOf(pressed_.index);
    if (index)
      pressed_.index = *index;
    else
      pressed_ = {};
  }
  if (controls_)
    controls_->FollowObjectList(page, newIndexOf);
}

void WindowInput::SetLayersCaptured(bool captured) {
  for (PageRecord* page : InputLayers(pages_)) {
    if (page) {
      if (PageRuntime* rt = pages_.Runtime(*page))
        rt->captured = captured;
    }
  }
}

ObjectHit WindowInput::PressedObject() {
  // Scripts may have added or removed objects since the press: the object must still be there.
  PageRecord* page = pressed_.page;
  if (!page || pressed_.index >= page->objects.size() ||
      page->objects[pressed_.index].name != pressed_.name)
    return {};
  return {page, &page->objects[pressed_.index], pressed_.index};
}

void WindowInput::OnLeftDown(const MouseEvent& event) {
  const int x = event.x, y = event.y;
  bubble_.Hide();
  pressX_ = x;
  pressY_ = y;
  const ObjectHit hit = HitTestLayers(pages_, x, y, objectStates_);
  pressed_ = hit ? Pressed{hit.page, hit.index, hit.object->name} : Pressed{};
  if (controls_)
    controls_->LeftDown(hit, event);
  if (!hit) {
    if (bodyDragAllowed_ && fullScreenVideos_ == 0) {
      // The window follows the pointer; the client area's origin is the window's.
      bodyDrag_ = true;
      dragOffsetX_ = -x;
      dragOffsetY_ = -y;
    }
    return;
  }
  ObjectRecord& object = *hit.object;
  if (object.typeCode == kObjImage) {
    const ObjectRunState& s = objectStates_.Of(object);
    if (s.playing && s.draggable) {
      objectDrag_ = true;
      dragStartOffsetX_ = s.offsetX;
      dragStartOffsetY_ = s.offsetY;
    }
  }
  SetLayersCaptured(true);
  pageInput_.Press(*hit.page, hit.index);
  if (object.typeCode == kObjButton || object.typeCode == kObjTextButton)
    buttonPressed_ = true;
  if (object.typeCode == kObjGrid)
    SetGridCell(object, x, y);
  if (object.typeCode == kObjListBox)
    host_.SelectListRow(object, x, y);
  host_.ForwardPluginMouse(object, PluginMouse::kDown, x, y);
  // The press may have changed nothing of the list, but the script below can: run it last.
  host_.RunObjectScript(object, ScriptSlot::kMouseDown);
}

void WindowInput::OnMouseMove(int x, int y) {
  if (objectDrag_) {
    if (const ObjectHit hit = PressedObject()) {
      objectStates_.SetOffset(*hit.object, dragStartOffsetX_ + (x - pressX_),
                              dragStartOffsetY_ + (y - pressY_));
      host_.InvalidateAll(true);
    }
    return;
  }
  if (bodyDrag_) {
    const int left = display_.Left(), top = display_.Top();
    display_.SetPosition(left + x + dragOffsetX_, top + y + dragOffsetY_);
    return;
  }
  if (leftDown_ && controls_ && controls_->LeftDrag(x, y))
    return;
  bubble_.Track(x, y);
  ObjectRecord* found = nullptr;
  const bool held = leftDown_ || rightDown_;
  for (PageRecord* page : InputLayers(pages_)) {
    if (!page)
      continue;
    PageRuntime* rt = pages_.Runtime(*page);
    if (!rt)
      continue;
    // Once a layer has the pointer, the layers beneath lose their hovered objects.
    if (found)
      mouseOver_.Leave(*page, *rt);
    else
      found = mouseOver_.Step(*page, *rt, x, y, held && rt->captured, true);
  }
  if (!found) {
    bubble_.Hide();
    ApplyCursor(-1);
    return;
  }
  host_.ForwardPluginMouse(*found, PluginMouse::kMove, x, y);
  if (found->hasSecondText != 0 && !found->secondText.empty())
    bubble_.Show(found->secondText, x, y);
  const std::optional<int> entry = CursorTable::EntryOf(*found);
  ApplyCursor(entry ? *entry : -1);
}

void WindowInput::ApplyCursor(int entry) {
  // A missing entry leaves the cursor as it is.
  if (entry >= 0 && !cursors_.Has(entry))
    return;
  if (entry == shownCursor_)
    return;
  shownCursor_ = entry;
  display_.SetCursor(entry);
}

void WindowInput::OnLeftUp(int x, int y) {
  if (controls_)
    controls_->LeftUp();
  if (objectDrag_ || bodyDrag_) {
    const bool body = bodyDrag_;
    objectDrag_ = bodyDrag_ = false;
    if (body) {
      pressed_ = {};
      return;
    }
  }
  bubble_.Hide();
  buttonPressed_ = false;
  SetLayersCaptured(false);
  // Targets shown while the mouse was held go, wherever it is released.
  pageInput_.Release();
  const ObjectHit pressed = PressedObject();
  pressed_ = {};
  const ObjectHit hit = HitTestLayers(pages_, x, y, objectStates_);
  // Any click ends a page timer that waits for the user to be idle.
  if (runner_.PageTimerModeValue() == ScriptRunner::kTimerPage &&
      runner_.PageTimerTarget() == "IF_IDLE")
    loop_.KillTimer(window_timer::kPage);
  if (!pressed || hit.object != pressed.object) {
    // Released elsewhere: the press ends without a click.
    if (pressed && objectStates_.SetHighlight(*pressed.object, Highlight::Normal))
      Repaint(InflatedRect(objectStates_.RectOf(*pressed.object), 2));
    return;
  }
  host_.ForwardPluginMouse(*pressed.object, PluginMouse::kUp, x, y);
  CarryOutClick(pageInput_.Click(*pressed.object, exitAllowed_), x, y);
}

void WindowInput::CarryOutClick(const ClickResult& click, int x, int y) {
  if (click.refused || !click.object)
    return;
  using namespace click_action;
  if (const std::optional<int> direction = PageDirectionOf(click.action)) {
    runner_.Navigation().ChangePage(*direction);
    return;
  }
  switch (click.action) {
    case kOpenProject:
      host_.OpenProjectAction(click.target, ClickParameters(*click.object));
      return;
    case kClose:
      host_.CloseOk();
      return;
    case kPageByName:
      runner_.Navigation().ChangePageByName(click.target);
      return;
    case kMinimize:
      display_.SetMinimized(true);
      return;
    default:
      break;
  }
  if (click.object->typeCode == kObjGrid)
    SetGridCell(*click.object, x, y);
  host_.RunObjectScript(*click.object, ScriptSlot::kMain);
}

void WindowInput::SetGridCell(const ObjectRecord& grid, int x, int y) {
  const ObjectRunState* s = objectStates_.Find(grid);
  const std::optional<GridCell> cell =
      GridCellAt(grid, x, y, s ? s->offsetX : 0, s ? s->offsetY : 0);
  // Scripts count cells from 1; a point of the object beyond its cells is -1 for both.
  VariableStore& variables = runner_.Host().Evaluator().Variables();
  variables.SetNumber("MXCOL", cell ? cell->column + 1 : -1);
  variables.SetNumber("MXROW", cell ? cell->row + 1 : -1);
}

bool WindowInput::OnKeyDown(const KeyEvent& event) {
  PageRecord* current = pages_.CurrentPage();
  if (!current)
    return false;
  HeldArrows arrows;
  arrows.down = keysDown_[vk::kDown];
  arrows.up = keysDown_[vk::kUp];
  arrows.left = keysDown_[vk::kLeft];
  arrows.right = keysDown_[vk::kRight];
  const std::string name = FormKeyName(event.vk, arrows);
  // Keys without a name (Shift, Control ...) are nobody's shortcut.
  if (name.empty())
    return false;
  ObjectRecord* match = FindShortcut(*current, name, event.modifiers);
  if (!match && current != &pages_.MasterLayer())
    match = FindShortcut(pages_.MasterLayer(), name, event.modifiers);
  if (!match)
    return false;
  host_.RunObjectScript(*match, ScriptSlot::kMain);
  return true;
}

void WindowInput::Repaint(const IntRect& rect) {
  host_.Repaint(rect);
}

void WindowInput::RunObjectScript(ObjectRecord& object) {
  host_.RunObjectScript(object, ScriptSlot::kMain);
}

void WindowInput::TimedHide(PageRecord& page, ObjectRecord& object, uint32_t delayMs) {
  const uint64_t due = loop_.TickCount() + delayMs;
  timedHides_.push_back({&page, object.name, due});
  FireTimedHides();
}

void WindowInput::FireTimedHides() {
  const uint64_t now = loop_.TickCount();
  std::vector<PendingHide> due;
  std::erase_if(timedHides_, [&](const PendingHide& h) {
    if (h.due > now)
      return false;
    due.push_back(h);
    return true;
  });
  for (const PendingHide& h : due) {
    if (ObjectRecord* o = CPageManager::FindObjectOnPage(*h.page, h.name)) {
      SetHidden(*o, true);
      Repaint(InflatedRect(objectStates_.RectOf(*o), 2));
    }
  }
  loop_.KillTimer(window_timer::kOneShot);
  if (timedHides_.empty())
    return;
  uint64_t next = timedHides_.front().due;
  for (const PendingHide& h : timedHides_)
    next = std::min(next, h.due);
  loop_.SetTimer(window_timer::kOneShot,
                 static_cast<uint32_t>(std::min<uint64_t>(next - now, UINT32_MAX)));
}

void WindowInput::ForwardPluginRightButton(PluginMouse event, int x, int y) {
  PageRecord* page = pages_.CurrentPage();
  if (!page)
    return;
  if (const std::optional<size_t> index = HitTestPage(*page, x, y, objectStates_))
    host_.ForwardPluginMouse(page->objects[*index], event, x, y);
}

}  // namespace qlm
