#pragma once

#include <cstdint>

#include "document/PageManager.h"
#include "graphics/Geometry.h"
#include "player/ObjectStates.h"

namespace qlm {

// What the mouse-over step needs from the window.
class MouseOverHost {
 public:
  virtual ~MouseOverHost() = default;
  virtual void Repaint(const IntRect& rect) = 0;
  // Runs script 2 of the object with its own name as owner.
  virtual void RunObjectScript(ObjectRecord& object) = 0;
  // Hides the object of the page after `delayMs`.
  virtual void TimedHide(PageRecord& page, ObjectRecord& object, uint32_t delayMs) = 0;
};

// Mouse-over actions (object value 6) of a hovered object towards its target (object
// string 6).
namespace mouse_over {
inline constexpr uint32_t kShowHideOnLeave = 0;
inline constexpr uint32_t kShowTimedHide = 1;
inline constexpr uint32_t kShowKeep = 2;
inline constexpr uint32_t kHide = 3;
inline constexpr uint32_t kRunScript = 4;
}  // namespace mouse_over

// The mouse-over step of one page: the object under the pointer lights up, the one it left
// goes back to normal, and the hovered object shows, hides or runs its target.
class MouseOver {
 public:
  MouseOver(ObjectStates& states, MouseOverHost& host) : states_(states), host_(host) {}

  // One step at (x, y). `buttonHeld`: a mouse button is held on the page (the new object looks
  // pressed and targets are left alone); `realMove`: the pointer moved (action 4 runs only
  // then). Returns the object under the pointer, or null.
  ObjectRecord* Step(PageRecord& page, PageRuntime& runtime, int x, int y, bool buttonHeld,
                     bool realMove);

  // The pointer is not over the page (another layer took it): what leaving all objects does.
  void Leave(PageRecord& page, PageRuntime& runtime);

 private:
  void Unhover(PageRecord& page, PageRuntime& runtime);
  void RepaintObject(const ObjectRecord& object);

  ObjectStates& states_;
  MouseOverHost& host_;
};

}  // namespace qlm
