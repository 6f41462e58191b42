#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <unistd.h>

#include <cstdint>
#include <initializer_list>
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

  // Mouse buttons as X numbers them: 1 left, 3 right, 4 and 5 the wheel away from and towards
  // the user.
  void ClickButton(int x, int y, unsigned button) {
    MoveMouse(x, y);
    XTestFakeButtonEvent(dpy_, button, True, CurrentTime);
    XTestFakeButtonEvent(dpy_, button, False, CurrentTime);
    XSync(dpy_, False);
  }
  // The left button pressed at (x0, y0), moved in steps to (x1, y1) and released there.
  void Drag(int x0, int y0, int x1, int y1) {
    MoveMouse(x0, y0);
    XTestFakeButtonEvent(dpy_, 1, True, CurrentTime);
    XSync(dpy_, False);
    constexpr int kSteps = 8;
    for (int i = 1; i <= kSteps; ++i) {
      usleep(20000);
      MoveMouse(x0 + (x1 - x0) * i / kSteps, y0 + (y1 - y0) * i / kSteps);
    }
    XTestFakeButtonEvent(dpy_, 1, False, CurrentTime);
    XSync(dpy_, False);
  }
  void DoubleClick(int x, int y) {
    Click(x, y);
    Click(x, y);
  }
  // Positive notches turn the wheel away from the user.
  void Wheel(int x, int y, int notches) {
    for (int i = 0; i < (notches < 0 ? -notches : notches); ++i)
      ClickButton(x, y, notches > 0 ? 4 : 5);
  }

  // A key pressed while the keys `held` (Control_L, Shift_L ...) are down.
  void PressChord(std::initializer_list<KeySym> held, KeySym key) {
    for (KeySym h : held)
      XTestFakeKeyEvent(dpy_, XKeysymToKeycode(dpy_, h), True, CurrentTime);
    PressKey(key);
    for (KeySym h : held)
      XTestFakeKeyEvent(dpy_, XKeysymToKeycode(dpy_, h), False, CurrentTime);
    XSync(dpy_, False);
  }

  // Types letters, digits and blanks as a user does (Shift for capitals).
  void TypeText(const std::string& text) {
    for (char c : text) {
      if (c >= 'A' && c <= 'Z')
        PressChord({XK_Shift_L}, static_cast<KeySym>(c - 'A' + 'a'));
      else
        PressKey(c == ' ' ? XK_space : static_cast<KeySym>(static_cast<unsigned char>(c)));
    }
  }

  // The text the CLIPBOARD selection holds, asked of its owner as any X program asks it;
  // nullopt when nobody owns it or no answer comes.
  std::optional<std::string> ClipboardText() {
    const Window root = DefaultRootWindow(dpy_);
    const Window w = XCreateSimpleWindow(dpy_, root, 0, 0, 1, 1, 0, 0, 0);
    const Atom property = XInternAtom(dpy_, "QLM_TEST_CLIPBOARD", False);
    XConvertSelection(dpy_, XInternAtom(dpy_, "CLIPBOARD", False),
                      XInternAtom(dpy_, "UTF8_STRING", False), property, w, CurrentTime);
    XFlush(dpy_);
    std::optional<std::string> text;
    for (int tries = 0; tries < 500; ++tries) {
      XEvent e;
      if (!XCheckTypedWindowEvent(dpy_, w, SelectionNotify, &e)) {
        usleep(10000);
        continue;
      }
      if (e.xselection.property == 0)
        break;
      Atom type = 0;
      int format = 0;
      unsigned long count = 0, after = 0;
      unsigned char* data = nullptr;
      if (XGetWindowProperty(dpy_, w, property, 0, 1 << 20, False, AnyPropertyType, &type, &format,
                             &count, &after, &data) == Success &&
          data) {
        text = std::string(reinterpret_cast<char*>(data), count);
        XFree(data);
      }
      break;
    }
    XDestroyWindow(dpy_, w);
    return text;
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
