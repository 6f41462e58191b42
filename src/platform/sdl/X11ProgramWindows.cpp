#include "platform/sdl/X11ProgramWindows.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <unistd.h>

#include <utility>
#include <vector>

#include "platform/sdl/SdlDisplay.h"

namespace qlm {

#if defined(SDL_VIDEO_DRIVER_X11) && defined(QLM_HAVE_X11)

}  // namespace qlm

#include <X11/Xatom.h>
#include <X11/extensions/shape.h>

namespace qlm {

namespace {

// Requests about another program's windows may fail at any moment (the program closes them):
// while a trap is set, the errors are counted instead of ending the process, and the trap
// waits for the server's answers before it lets go.
class ErrorTrap {
 public:
  explicit ErrorTrap(::Display* dpy) : dpy_(dpy) {
    XSync(dpy_, False);
    errors_ = 0;
    previous_ = XSetErrorHandler(&Count);
  }
  ~ErrorTrap() {
    XSync(dpy_, False);
    XSetErrorHandler(previous_);
  }
  ErrorTrap(const ErrorTrap&) = delete;
  ErrorTrap& operator=(const ErrorTrap&) = delete;

  // True when no request failed so far.
  bool Clean() {
    XSync(dpy_, False);
    return errors_ == 0;
  }

 private:
  static int Count(::Display*, XErrorEvent*) {
    ++errors_;
    return 0;
  }
  // Xlib's handler is one per process and gets no context: the count lives beside it, used only
  // on the thread that runs the window.
  static inline int errors_ = 0;
  ::Display* dpy_;
  XErrorHandler previous_ = nullptr;
};

// The window's X connection and X window; false when it is none.
bool X11WindowOf(SDL_Window* window, ::Display*& dpy, ::Window& w) {
  if (!window)
    return false;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
    return false;
  dpy = info.info.x11.display;
  w = info.info.x11.window;
  return dpy != nullptr && w != 0;
}

std::vector<::Window> Children(::Display* dpy, ::Window w) {
  ::Window root = 0, parent = 0, *list = nullptr;
  unsigned count = 0;
  std::vector<::Window> result;
  if (XQueryTree(dpy, w, &root, &parent, &list, &count) && list) {
    result.assign(list, list + count);
    XFree(list);
  }
  return result;
}

// The process _NET_WM_PID names; 0 when the window names none.
long WindowPid(::Display* dpy, ::Window w, Atom pidAtom) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  long pid = 0;
  if (XGetWindowProperty(dpy, w, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                         &data) == Success &&
      data) {
    if (format == 32 && count == 1)
      pid = *reinterpret_cast<long*>(data);
    XFree(data);
  }
  return pid;
}

// A mapped top-level client window of the program: directly under the root, or inside the
// frame a window manager put around it. Menus and tool tips (override-redirect) are no top
// windows.
::Window FindProgramWindow(::Display* dpy, ::Window root, ::Window own, pid_t pid) {
  const Atom pidAtom = XInternAtom(dpy, "_NET_WM_PID", False);
  const auto owned = [&](::Window w) {
    const long owner = WindowPid(dpy, w, pidAtom);
    if (owner <= 0)
      return false;
    if (owner != pid && ::getsid(static_cast<pid_t>(owner)) != pid)
      return false;
    XWindowAttributes a;
    return XGetWindowAttributes(dpy, w, &a) && a.map_state == IsViewable && !a.override_redirect;
  };
  for (::Window top : Children(dpy, root)) {
    if (top == own)
      continue;
    if (owned(top))
      return top;
    for (::Window inner : Children(dpy, top)) {
      if (owned(inner))
        return inner;
      for (::Window deeper : Children(dpy, inner)) {
        if (owned(deeper))
          return deeper;
      }
    }
  }
  return 0;
}

class X11ProgramWindow : public ProgramWindow {
 public:
  // `withdrawn`: a window manager was asked to let the window go, which it is given time for.
  X11ProgramWindow(SdlDisplay& display, ::Display* dpy, ::Window parent, ::Window window,
                   bool withdrawn)
      : display_(display),
        dpy_(dpy),
        parent_(parent),
        window_(window),
        waits_(withdrawn ? kWithdrawPolls : 0) {
    int event = 0, error = 0;
    hasShape_ = XShapeQueryExtension(dpy_, &event, &error) != 0;
  }

  ~X11ProgramWindow() override {
    if (gone_)
      return;
    ErrorTrap trap(dpy_);
    // Hidden at once; asked to close as a window manager's close box asks, when it listens.
    XUnmapWindow(dpy_, window_);
    const Atom deleteAtom = XInternAtom(dpy_, "WM_DELETE_WINDOW", False);
    Atom* protocols = nullptr;
    int count = 0;
    bool listens = false;
    if (XGetWMProtocols(dpy_, window_, &protocols, &count) && protocols) {
      for (int i = 0; i < count; ++i)
        listens = listens || protocols[i] == deleteAtom;
      XFree(protocols);
    }
    if (listens) {
      XEvent e{};
      e.xclient.type = ClientMessage;
      e.xclient.window = window_;
      e.xclient.message_type = XInternAtom(dpy_, "WM_PROTOCOLS", False);
      e.xclient.format = 32;
      e.xclient.data.l[0] = static_cast<long>(deleteAtom);
      e.xclient.data.l[1] = CurrentTime;
      XSendEvent(dpy_, window_, False, NoEventMask, &e);
    }
  }
  X11ProgramWindow(const X11ProgramWindow&) = delete;
  X11ProgramWindow& operator=(const X11ProgramWindow&) = delete;

  void Place(const IntRect& rect, bool shown) override {
    if (waits_ > 0)
      return;
    ::Display* dpy = nullptr;
    ::Window parent = 0;
    // The player's window may have been made anew (a shaped window): its children went with
    // the old one.
    if (gone_ || !X11WindowOf(display_.Window(), dpy, parent) || parent != parent_) {
      gone_ = true;
      return;
    }
    const ViewBox box = display_.ClientToWindow(rect.left, rect.top, rect.Width(), rect.Height());
    const bool visible = shown && box.w > 0 && box.h > 0;
    if (placed_ && box == box_ && visible == mapped_)
      return;
    ErrorTrap trap(dpy_);
    if (visible) {
      XMoveResizeWindow(dpy_, window_, box.x, box.y, static_cast<unsigned>(box.w),
                        static_cast<unsigned>(box.h));
      XMapRaised(dpy_, window_);
    } else {
      XUnmapWindow(dpy_, window_);
    }
    placed_ = true;
    box_ = box;
    mapped_ = visible;
    shaped_ = false;
    if (visible)
      ApplyShape();
    gone_ = !trap.Clean();
  }

  void Clip(const IntRect& rect, const std::vector<IntRect>& covered) override {
    if (rect == clipRect_ && covered == covered_)
      return;
    clipRect_ = rect;
    covered_ = covered;
    shaped_ = false;
    if (placed_)
      ApplyShape();
  }

  bool Send(const std::array<int32_t, 3>& values, int count) override {
    if (gone_)
      return false;
    ErrorTrap trap(dpy_);
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = window_;
    e.xclient.message_type = XInternAtom(dpy_, "QLM_COMMAND", False);
    e.xclient.format = 32;
    for (size_t i = 0; i < values.size(); ++i)
      e.xclient.data.l[i] = values[i];
    e.xclient.data.l[3] = count;
    XSendEvent(dpy_, window_, False, NoEventMask, &e);
    gone_ = !trap.Clean();
    return !gone_;
  }

  bool Alive() override {
    if (gone_)
      return false;
    ErrorTrap trap(dpy_);
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    const bool queried = XQueryTree(dpy_, window_, &root, &parent, &children, &count) != 0;
    if (children)
      XFree(children);
    if (!queried || !trap.Clean()) {
      gone_ = true;
      return false;
    }
    if (parent == parent_)
      return true;
    // Still with a window manager: taken once the manager has let it go (it puts it back on
    // the desktop, unmapped), or after a while whatever the manager does. A manager that puts
    // it into a frame again later has it taken again.
    if (waits_ > 0 && parent != root) {
      --waits_;
      return true;
    }
    waits_ = 0;
    XReparentWindow(dpy_, window_, parent_, box_.x, box_.y);
    XUnmapWindow(dpy_, window_);
    placed_ = false;
    mapped_ = false;
    return true;
  }

 private:
  // The window's shape: all of it less the objects above, at the scale the frame is shown.
  void ApplyShape() {
    if (shaped_ || !hasShape_)
      return;
    shaped_ = true;
    if (covered_.empty()) {
      XShapeCombineMask(dpy_, window_, ShapeBounding, 0, 0, 0, ShapeSet);
      return;
    }
    XRectangle all{0, 0, static_cast<unsigned short>(box_.w), static_cast<unsigned short>(box_.h)};
    XShapeCombineRectangles(dpy_, window_, ShapeBounding, 0, 0, &all, 1, ShapeSet, Unsorted);
    std::vector<XRectangle> above;
    for (const IntRect& c : covered_) {
      const ViewBox b = display_.ClientToWindow(c.left, c.top, c.Width(), c.Height());
      above.push_back({static_cast<short>(b.x - box_.x), static_cast<short>(b.y - box_.y),
                       static_cast<unsigned short>(b.w), static_cast<unsigned short>(b.h)});
    }
    XShapeCombineRectangles(dpy_, window_, ShapeBounding, 0, 0, above.data(),
                            static_cast<int>(above.size()), ShapeSubtract, Unsorted);
  }

  SdlDisplay& display_;
  ::Display* dpy_;
  ::Window parent_;
  ::Window window_;
  bool hasShape_ = false;  // the server has the shape extension
  bool shaped_ = false;    // the shape fits box_ and covered_
  IntRect clipRect_;
  std::vector<IntRect> covered_;
  // Polls of Alive left for a window manager to let the window go.
  static constexpr int kWithdrawPolls = 20;
  int waits_ = 0;
  bool gone_ = false;
  bool placed_ = false;
  bool mapped_ = false;
  ViewBox box_;
};

}  // namespace

std::unique_ptr<ProgramWindow> X11ProgramWindows::Adopt(int pid) {
  ::Display* dpy = nullptr;
  ::Window parent = 0;
  if (pid <= 0 || !X11WindowOf(display_.Window(), dpy, parent))
    return nullptr;
  ErrorTrap trap(dpy);
  const ::Window window = FindProgramWindow(dpy, DefaultRootWindow(dpy), parent, pid);
  if (window == 0)
    return nullptr;
  ::Window root = 0, frame = 0, *children = nullptr;
  unsigned count = 0;
  if (XQueryTree(dpy, window, &root, &frame, &children, &count) && children)
    XFree(children);
  const bool managed = frame != root;
  if (managed) {
    // In a window manager's frame: the manager lets it go before it is taken (Alive).
    XWithdrawWindow(dpy, window, DefaultScreen(dpy));
  } else {
    // Hidden until it is placed.
    XReparentWindow(dpy, window, parent, 0, 0);
    XUnmapWindow(dpy, window);
  }
  if (!trap.Clean())
    return nullptr;
  return std::make_unique<X11ProgramWindow>(display_, dpy, parent, window, managed);
}

#else

std::unique_ptr<ProgramWindow> X11ProgramWindows::Adopt(int /*pid*/) {
  return nullptr;
}

#endif

}  // namespace qlm
