#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "document/ObjectFields.h"
#include "document/PageManager.h"
#include "platform/EventLoop.h"
#include "player/CursorTable.h"
#include "player/HitTest.h"
#include "player/MouseOver.h"
#include "player/ObjectStates.h"
#include "player/PageInput.h"

namespace qlm {

class CBubble;
class Display;
class ScriptRunner;

// Mouse events forwarded to a plug-in object.
enum class PluginMouse { kDown, kUp, kRightDown, kRightUp, kMove };

// What pointer and key input asks of the player window beyond the press step's needs.
class WindowInputHost : public PageInputHost {
 public:
  // Runs a script of an object (1 on a press, 2 on a click) with its name as owner.
  virtual void RunObjectScript(const ObjectRecord& object, ScriptSlot slot) = 0;
  virtual void InvalidateAll(bool erase) = 0;
  // Click actions the window carries out: another project (parameters may name its start
  // page) and the OK way of closing.
  virtual void OpenProjectAction(const std::string& target, const std::string& parameters) = 0;
  virtual void CloseOk() = 0;
  // Escape that no shortcut took: the Cancel way of closing.
  virtual void CloseCancel() = 0;
  // Objects with a mouse handling of their own: a press on a list box selects the row under
  // the mouse; plug-in objects get the events their capture level asks for.
  virtual void SelectListRow(ObjectRecord& list, int x, int y) = 0;
  virtual void ForwardPluginMouse(ObjectRecord& object, PluginMouse event, int x, int y) = 0;
  // The wheel over an object that scrolls by itself (a browser object's page); false when the
  // object does not.
  virtual bool WheelObject(ObjectRecord& /*object*/, int /*x*/, int /*y*/, int /*notches*/) {
    return false;
  }
};

// Objects with mouse and key handling of their own (input fields, scrolling objects and the
// pop-up menu over them): the window's input offers them its events first.
class ControlInput {
 public:
  virtual ~ControlInput() = default;
  // Any mouse event: true when a menu over the page took it.
  virtual bool MenuMouse(const MouseEvent& event) = 0;
  // A left press or double click on `hit` (none: nothing was hit).
  virtual void LeftDown(const ObjectHit& hit, const MouseEvent& event) = 0;
  // A move with the left button held: true when a control's drag takes it alone.
  virtual bool LeftDrag(int x, int y) = 0;
  virtual void LeftUp() = 0;
  // A right press: true when a control took it.
  virtual bool RightDown(int x, int y) = 0;
  virtual void Wheel(int x, int y, int notches) = 0;
  // A key going down or up: true when a focused control took it.
  virtual bool Key(const KeyEvent& event) = 0;
  // The project is replaced; the object list of a page changed.
  virtual void Forget() = 0;
  virtual void FollowObjectList(const PageRecord& page,
                                const std::function<std::optional<size_t>(size_t)>& newIndexOf) = 0;
};

// The player window's mouse and keys: hit testing across the layers, press and click (with
// PageInput), drags of images and of a window without title bar, mouse-over (with MouseOver),
// the tool-tip bubble, cursors, shortcuts and the timed hides of mouse-over targets.
class WindowInput : private MouseOverHost {
 public:
  WindowInput(CPageManager& pages, ObjectStates& states, CBubble& bubble, Display& display,
              EventLoop& loop, ScriptRunner& runner, WindowInputHost& host);

  void OnMouse(const MouseEvent& event);
  void OnKey(const KeyEvent& event);
  // Timer 8: hides the mouse-over targets whose time has come.
  void FireTimedHides();
  // Forgets presses, drags, hover marks, the bubble and pending hides (the project is
  // replaced).
  void Forget();
  // The object list of a page changed: the pressed object follows to its new position
  // (`newIndexOf` maps an old index to the new one) or is forgotten.
  void FollowObjectList(const PageRecord& page,
                        const std::function<std::optional<size_t>(size_t)>& newIndexOf);

  // Input fields and scrolling objects (null: none).
  void SetControls(ControlInput* controls) { controls_ = controls; }
  // Whether a window without title bar follows a drag of its body.
  void SetWindowDragAllowed(bool allowed) { bodyDragAllowed_ = allowed; }
  // Videos in full-screen mode; while there is one, the body is not dragged.
  void SetFullScreenVideos(int count) { fullScreenVideos_ = count; }
  // Whether a click on an object with the exit action may close the player.
  void SetExitAllowed(bool allowed) { exitAllowed_ = allowed; }

  // What the information functions read.
  int MouseX() const { return mouseX_; }
  int MouseY() const { return mouseY_; }
  bool LeftDown() const { return leftDown_; }
  bool RightDown() const { return rightDown_; }

  CursorTable& Cursors() { return cursors_; }
  const CursorTable& Cursors() const { return cursors_; }
  // The cursor entry last shown over the client area (-1: the default arrow).
  int ShownCursor() const { return shownCursor_; }

 private:
  // MouseOverHost.
  void Repaint(const IntRect& rect) override;
  void RunObjectScript(ObjectRecord& object) override;
  void TimedHide(PageRecord& page, ObjectRecord& object, uint32_t delayMs) override;

  void OnLeftDown(const MouseEvent& event);
  void OnLeftUp(int x, int y);
  void OnMouseMove(int x, int y);
  bool OnKeyDown(const KeyEvent& event);
  void SetLayersCaptured(bool captured);
  // The pressed object if it is still where the press found it.
  ObjectHit PressedObject();
  void CarryOutClick(const ClickResult& click, int x, int y);
  void SetGridCell(const ObjectRecord& grid, int x, int y);
  void ApplyCursor(int entry);
  void ForwardPluginRightButton(PluginMouse event, int x, int y);

  CPageManager& pages_;
  ObjectStates& objectStates_;
  CBubble& bubble_;
  Display& display_;
  EventLoop& loop_;
  ScriptRunner& runner_;
  WindowInputHost& host_;
  PageInput pageInput_;
  MouseOver mouseOver_;
  CursorTable cursors_;

  int mouseX_ = 0, mouseY_ = 0;
  bool leftDown_ = false, rightDown_ = false;
  struct Pressed {
    PageRecord* page = nullptr;
    size_t index = 0;
    std::string name;
  } pressed_;
  int pressX_ = 0, pressY_ = 0;
  bool buttonPressed_ = false;  // a button or text button holds the mouse
  bool objectDrag_ = false;
  int dragStartOffsetX_ = 0, dragStartOffsetY_ = 0;
  bool bodyDrag_ = false;
  bool bodyDragAllowed_ = true;
  int fullScreenVideos_ = 0;
  int dragOffsetX_ = 0, dragOffsetY_ = 0;
  bool exitAllowed_ = true;
  int shownCursor_ = -1;
  std::array<bool, 256> keysDown_{};
  struct PendingHide {
    PageRecord* page;
    std::string name;
    uint64_t due;
  };
  std::vector<PendingHide> timedHides_;
  ControlInput* controls_ = nullptr;
};

}  // namespace qlm
