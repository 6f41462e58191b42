#include "player/MouseOver.h"

#include "player/HitTest.h"

namespace qlm {

void MouseOver::RepaintObject(const ObjectRecord& object) {
  host_.Repaint(states_.RectOf(object).Inflate(2));
}

void MouseOver::Unhover(PageRecord& page, PageRuntime& runtime) {
  const std::optional<size_t> hovered = runtime.hoveredObject;
  const std::optional<size_t> target = runtime.mouseOverTarget;
  runtime.hoveredObject.reset();
  runtime.mouseOverTarget.reset();
  if (!hovered || *hovered >= page.objects.size())
    return;
  ObjectRecord& old = page.objects[*hovered];
  states_.SetHighlight(old, Highlight::Normal);
  RepaintObject(old);
  if (!target || *target >= page.objects.size())
    return;
  ObjectRecord& shown = page.objects[*target];
  if (MouseOverAction(old) == mouse_over::kShowHideOnLeave) {
    SetHidden(shown, true);
    RepaintObject(shown);
  } else if (MouseOverAction(old) == mouse_over::kShowTimedHide) {
    host_.TimedHide(page, shown, TimedHideDelay(shown));
  }
}

void MouseOver::Leave(PageRecord& page, PageRuntime& runtime) {
  Unhover(page, runtime);
}

ObjectRecord* MouseOver::Step(PageRecord& page, PageRuntime& runtime, int x, int y, bool buttonHeld,
                              bool realMove) {
  const std::optional<size_t> found = HitTestPage(page, x, y, states_);
  if (!found) {
    Unhover(page, runtime);
    return nullptr;
  }
  ObjectRecord& object = page.objects[*found];
  if (runtime.hoveredObject == found)
    return &object;
  Unhover(page, runtime);
  states_.SetHighlight(object, buttonHeld ? Highlight::Pressed : Highlight::Hover);
  RepaintObject(object);
  runtime.hoveredObject = found;

  const std::string& targetName = MouseOverTarget(object);
  if (targetName.empty() || buttonHeld)
    return &object;
  ObjectRecord* target = CPageManager::FindObjectOnPage(page, targetName);
  if (!target)
    return &object;
  const size_t targetIndex = static_cast<size_t>(target - page.objects.data());
  switch (MouseOverAction(object)) {
    case mouse_over::kShowHideOnLeave:
    case mouse_over::kShowTimedHide:
    case mouse_over::kShowKeep:
      SetHidden(*target, false);
      runtime.mouseOverTarget = targetIndex;
      RepaintObject(*target);
      break;
    case mouse_over::kHide:
      SetHidden(*target, true);
      runtime.mouseOverTarget = targetIndex;
      RepaintObject(*target);
      break;
    case mouse_over::kRunScript:
      if (realMove) {
        host_.RunObjectScript(*target);
        // The script may have changed the page's object list.
        return *found < page.objects.size() ? &page.objects[*found] : nullptr;
      }
      break;
    default:
      break;
  }
  return &object;
}

}  // namespace qlm
