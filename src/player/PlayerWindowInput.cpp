// The player window's mouse and key handling: hit testing across the layers, press and click,
// drags, mouse-over, the tool-tip bubble, cursors and shortcuts.
#include <algorithm>

#include "graphics/SaturatingRect.h"
#include "platform/Display.h"
#include "platform/FileSystem.h"
#include "platform/KeyNames.h"
#include "player/ClickAction.h"
#include "player/KeyShortcut.h"
#include "player/PlayerWindow.h"

namespace qlm {
void PlayerWindow::ForgetInput() {
  pageInput_.Reset();
  objectStates_.Clear();
  bubble_.Hide();
  pressed_ = {};
  buttonPressed_ = objectDrag_ = bodyDrag_ = false;
  timedHides_.clear();
  ctx_.loop.KillTimer(player_timer::kOneShot);
}

void PlayerWindow::SetLayersCaptured(bool captured) {
  for (PageRecord* page : InputLayers(pages_)) {
    if (page) {
      if (PageRuntime* rt = pages_.Runtime(*page))
        rt->captured = captured;
    }
  }
}

ObjectHit PlayerWindow::PressedObject() {
  // Scripts may have added or removed objects since the press: the object must still be there.
  PageRecord* page = pressed_.page;
  if (!page || pressed_.index >= page->objects.size() ||
      page->objects[pressed_.index].name != pressed_.name)
    return {};
  return {page, &page->objects[pressed_.index], pressed_.index};
}

void PlayerWindow::OnLeftDown(int x, int y) {
  bubble_.Hide();
  pressX_ = x;
  pressY_ = y;
  const ObjectHit hit = HitTestLayers(pages_, x, y, objectStates_);
  pressed_ = hit ? Pressed{hit.page, hit.index, hit.object->name} : Pressed{};
  if (!hit) {
    if (!showTitleBar_ && bodyDragAllowed_) {
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
    SelectListRow(object, x, y);
  ForwardPluginMouse(object, PluginMouse::kDown, x, y);
  // The press may have changed nothing of the list, but the script below can: run it last.
  RunObjectScript(object, ScriptSlot::kMouseDown);
}

void PlayerWindow::OnMouseMove(int x, int y) {
  if (objectDrag_) {
    if (const ObjectHit hit = PressedObject()) {
      ObjectRunState& s = objectStates_.Of(*hit.object);
      s.offsetX = dragStartOffsetX_ + (x - pressX_);
      s.offsetY = dragStartOffsetY_ + (y - pressY_);
      InvalidateAll(true);
    }
    return;
  }
  if (bodyDrag_) {
    const int left = ctx_.display.Left(), top = ctx_.display.Top();
    ctx_.display.SetPosition(left + x + dragOffsetX_, top + y + dragOffsetY_);
    return;
  }
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
  ForwardPluginMouse(*found, PluginMouse::kMove, x, y);
  if (found->hasSecondText != 0 && !found->secondText.empty())
    bubble_.Show(found->secondText, x, y);
  const std::optional<int> entry = CursorTable::EntryOf(*found);
  ApplyCursor(entry ? *entry : -1);
}

void PlayerWindow::ApplyCursor(int entry) {
  // A missing entry leaves the cursor as it is.
  if (entry >= 0 && !cursors_.Has(entry))
    return;
  if (entry == shownCursor_)
    return;
  shownCursor_ = entry;
  ctx_.display.SetCursor(entry);
}

void PlayerWindow::OnLeftUp(int x, int y) {
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
  if (runner_->PageTimerModeValue() == ScriptRunner::kTimerPage &&
      runner_->PageTimerTarget() == "IF_IDLE")
    ctx_.loop.KillTimer(script_timer::kPage);
  if (!pressed || hit.object != pressed.object) {
    // Released elsewhere: the press ends without a click.
    if (pressed && objectStates_.SetHighlight(*pressed.object, Highlight::Normal))
      Repaint(InflatedRect(objectStates_.RectOf(*pressed.object), 2));
    return;
  }
  ForwardPluginMouse(*pressed.object, PluginMouse::kUp, x, y);
  CarryOutClick(pageInput_.Click(*pressed.object, exitAllowed_), x, y);
}

void PlayerWindow::CarryOutClick(const ClickResult& click, int x, int y) {
  if (click.refused || !click.object)
    return;
  using namespace click_action;
  if (const std::optional<int> direction = PageDirectionOf(click.action)) {
    runner_->ChangePage(*direction);
    return;
  }
  switch (click.action) {
    case kOpenProject:
      OpenProjectAction(click.target, ClickParameters(*click.object));
      return;
    case kClose:
      CloseOk();
      return;
    case kPageByName:
      runner_->ChangePageByName(click.target);
      return;
    case kMinimize:
      ctx_.display.SetMinimized(true);
      return;
    default:
      break;
  }
  if (click.object->typeCode == kObjGrid)
    SetGridCell(*click.object, x, y);
  RunObjectScript(*click.object, ScriptSlot::kMain);
}

void PlayerWindow::OpenProjectAction(const std::string& target, const std::string& parameters) {
  const std::string page = StartPageOf(parameters);
  // The running page is left (media, exit script) once the new project has been read; a
  // document that does not open leaves everything as it was.
  if (!OpenDocument(macros_.Expand(target)))
    return;
  runner_->KillScriptTimers();
  if (!page.empty())
    pages_.GoToPageByName(page, false);
  ShowPage();
  runner_->StartPageScript(1);
}

void PlayerWindow::SetGridCell(const ObjectRecord& grid, int x, int y) {
  const ObjectRunState* s = objectStates_.Find(grid);
  const std::optional<GridCell> cell =
      GridCellAt(grid, x, y, s ? s->offsetX : 0, s ? s->offsetY : 0);
  // Scripts count cells from 1; a point of the object beyond its cells is -1 for both.
  Variables().SetNumber("MXCOL", cell ? cell->column + 1 : -1);
  Variables().SetNumber("MXROW", cell ? cell->row + 1 : -1);
}

bool PlayerWindow::OnKeyDown(const KeyEvent& event) {
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
  RunObjectScript(*match, ScriptSlot::kMain);
  return true;
}

void PlayerWindow::ShowMessage(const std::string& text) {
  ctx_.dialogs.Message(text);
}

void PlayerWindow::RunObjectScript(ObjectRecord& object) {
  RunObjectScript(static_cast<const ObjectRecord&>(object), ScriptSlot::kMain);
}

void PlayerWindow::TimedHide(PageRecord& page, ObjectRecord& object, uint32_t delayMs) {
  const uint64_t due = ctx_.loop.TickCount() + delayMs;
  timedHides_.push_back({&page, object.name, due});
  FireTimedHides();
}

void PlayerWindow::FireTimedHides() {
  const uint64_t now = ctx_.loop.TickCount();
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
  ctx_.loop.KillTimer(player_timer::kOneShot);
  if (timedHides_.empty())
    return;
  uint64_t next = timedHides_.front().due;
  for (const PendingHide& h : timedHides_)
    next = std::min(next, h.due);
  ctx_.loop.SetTimer(player_timer::kOneShot,
                     static_cast<uint32_t>(std::min<uint64_t>(next - now, UINT32_MAX)));
}

}  // namespace qlm
