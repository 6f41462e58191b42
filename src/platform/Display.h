#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qlm {

class Surface;

// The screen the player window lives on.
struct ScreenMetrics {
  int width = 1024;
  int height = 768;
  int workAreaWidth = 1024;
  int workAreaHeight = 768;
  int colorBits = 32;  // 8 or less: a palette display (the low-colour fallback applies)
};

// One box of a window outline, in client coordinates; right and bottom are not included.
struct ShapeBox {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const ShapeBox&) const = default;
};

// The player window as the machine shows it. The core composes whole-window frames off-screen and
// hands each changed rectangle over in one step; everything else is window management. Calls
// are made on the user-interface thread.
class Display {
 public:
  virtual ~Display() = default;

  // Shows the box (x, y, w, h) of a frame the size of the client area.
  virtual void Present(const Surface& frame, int x, int y, int w, int h) = 0;

  virtual void SetTitle(const std::string& title) = 0;
  // The client area's size in pixels (what the project's client width and height ask for).
  virtual void SetClientSize(int width, int height) = 0;
  virtual int ClientWidth() const = 0;
  virtual int ClientHeight() const = 0;
  // The outer window's top-left corner in screen coordinates.
  virtual void SetPosition(int x, int y) = 0;
  virtual int Left() const = 0;
  virtual int Top() const = 0;
  // Window decorations as the project asks: a caption, a minimize box.
  virtual void SetDecorations(bool titleBar, bool minimizeBox) = 0;
  virtual void SetTopmost(bool topmost) = 0;
  virtual void SetMinimized(bool minimized) = 0;
  virtual bool IsMinimized() const = 0;
  // A project that asks for another display resolution gets a full-screen window scaled to the
  // screen instead of a display-mode switch; width x height is the resolution it asked for.
  virtual void RequestFullScreen(int width, int height) = 0;
  virtual ScreenMetrics Screen() const = 0;

  // Frontends that have no such thing ignore the calls below.

  // The window's outline as a union of boxes; an empty list makes it rectangular again.
  virtual void SetShape(const std::vector<ShapeBox>& /*boxes*/) {}
  // Shows entry `index` (0 to 16) of the cursor table over the client area; -1 or an empty
  // entry shows the default arrow.
  virtual void SetCursor(int /*index*/) {}
  // Fills entry `index` with an image: width x height pixels 0xAARRGGBB, hot spot (hotX, hotY).
  // An empty image empties the entry.
  virtual void SetCursorImage(int /*index*/, int /*width*/, int /*height*/,
                              std::span<const uint32_t> /*argb*/, int /*hotX*/, int /*hotY*/) {}
  // Where text is being typed (client coordinates): an input method shows its candidates there.
  virtual void SetTextInputRect(int /*x*/, int /*y*/, int /*w*/, int /*h*/) {}
  // The clipboard's text, in the presentation's code page.
  virtual void SetClipboardText(const std::string& /*text*/) {}
  virtual std::string ClipboardText() const { return {}; }
};

}  // namespace qlm
