#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qlm::test {

// A window of the X server as the test sees it: its contents' top-left on the screen and size.
struct XWindowBox {
  Window id = 0;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// A client connection to the X server the player runs on. Input goes through the XTEST
// extension, so the server delivers it to the player exactly as it delivers a user's.
class XSession {
 public:
  explicit XSession(const std::string& display) : dpy_(XOpenDisplay(display.c_str())) {}
  ~XSession() {
    if (dpy_)
      XCloseDisplay(dpy_);
  }
  XSession(const XSession&) = delete;
  XSession& operator=(const XSession&) = delete;

  bool Open() const { return dpy_ != nullptr; }
  // The connection, for the helpers of XWindowTree.h.
  Display* Connection() const { return dpy_; }
  bool HasXTest() const {
    int event = 0, error = 0, major = 0, minor = 0;
    return XTestQueryExtension(dpy_, &event, &error, &major, &minor) != 0;
  }

  // The viewable top-level windows titled `title`.
  std::vector<XWindowBox> FindWindows(const std::string& title) {
    std::vector<XWindowBox> found;
    Window root = DefaultRootWindow(dpy_), parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(dpy_, root, &root, &parent, &children, &count))
      return found;
    for (unsigned i = 0; i < count; ++i) {
      char* name = nullptr;
      if (!XFetchName(dpy_, children[i], &name) || !name)
        continue;
      const bool match = title == name;
      XFree(name);
      XWindowAttributes a;
      if (!match || !XGetWindowAttributes(dpy_, children[i], &a) || a.map_state != IsViewable)
        continue;
      XWindowBox box{children[i], 0, 0, a.width, a.height};
      Window child = 0;
      XTranslateCoordinates(dpy_, children[i], root, 0, 0, &box.x, &box.y, &child);
      found.push_back(box);
    }
    if (children)
      XFree(children);
    return found;
  }

  // A pixel of the screen as 0x00RRGGBB.
  uint32_t ScreenPixel(int x, int y) {
    XImage* image = XGetImage(dpy_, DefaultRootWindow(dpy_), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
      return 0xFFFFFFFFu;
    const uint32_t p = static_cast<uint32_t>(XGetPixel(image, 0, 0)) & 0xFFFFFF;
    XDestroyImage(image);
    return p;
  }

  // The window's contents as 0x00RRGGBB pixels, rows from the top.
  std::vector<uint32_t> Capture(const XWindowBox& box) {
    std::vector<uint32_t> pixels;
    XImage* image = XGetImage(dpy_, box.id, 0, 0, static_cast<unsigned>(box.width),
                              static_cast<unsigned>(box.height), AllPlanes, ZPixmap);
    if (!image)
      return pixels;
    pixels.reserve(static_cast<size_t>(box.width) * static_cast<size_t>(box.height));
    for (int y = 0; y < box.height; ++y) {
      for (int x = 0; x < box.width; ++x)
        pixels.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF);
    }
    XDestroyImage(image);
    return pixels;
  }

  void MoveMouse(int x, int y) {
    XTestFakeMotionEvent(dpy_, -1, x, y, CurrentTime);
    XSync(dpy_, False);
  }

  void Click(int x, int y) {
    MoveMouse(x, y);
    XTestFakeButtonEvent(dpy_, 1, True, CurrentTime);
    XTestFakeButtonEvent(dpy_, 1, False, CurrentTime);
    XSync(dpy_, False);
  }

  void PressKey(KeySym key) {
    const KeyCode code = XKeysymToKeycode(dpy_, key);
    XTestFakeKeyEvent(dpy_, code, True, CurrentTime);
    XTestFakeKeyEvent(dpy_, code, False, CurrentTime);
    XSync(dpy_, False);
  }

  // What the close box of a window manager sends.
  void RequestClose(Window window) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = window;
    e.xclient.message_type = XInternAtom(dpy_, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy_, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy_, window, False, NoEventMask, &e);
    XSync(dpy_, False);
  }

 private:
  Display* dpy_;
};

}  // namespace qlm::test
