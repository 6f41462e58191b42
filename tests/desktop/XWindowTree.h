#pragma once

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <string>
#include <vector>

namespace qlm::test {

// A client window as the test finds it with or without a window manager: the window itself,
// the top-level window that holds it (the manager's frame, or the window itself without one),
// and its contents' place on the screen.
struct XClient {
  Window client = 0;
  Window frame = 0;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// The viewable windows titled `title`, looked for in the top-level windows and in the frames a
// window manager puts around them.
inline std::vector<XClient> FindClients(Display* dpy, const std::string& title) {
  std::vector<XClient> found;
  const Window root = DefaultRootWindow(dpy);
  const auto children = [dpy](Window w) {
    Window r = 0, parent = 0, *list = nullptr;
    unsigned count = 0;
    std::vector<Window> result;
    if (XQueryTree(dpy, w, &r, &parent, &list, &count) && list) {
      result.assign(list, list + count);
      XFree(list);
    }
    return result;
  };
  const auto visit = [&](Window frame, Window w) {
    char* name = nullptr;
    if (!XFetchName(dpy, w, &name) || !name)
      return false;
    const bool match = title == name;
    XFree(name);
    XWindowAttributes a;
    if (!match || !XGetWindowAttributes(dpy, w, &a) || a.map_state != IsViewable)
      return false;
    XClient c{w, frame, 0, 0, a.width, a.height};
    Window child = 0;
    XTranslateCoordinates(dpy, w, root, 0, 0, &c.x, &c.y, &child);
    found.push_back(c);
    return true;
  };
  for (Window top : children(root)) {
    if (visit(top, top))
      continue;
    for (Window inner : children(top)) {
      if (visit(top, inner))
        break;
      for (Window deeper : children(inner)) {
        if (visit(top, deeper))
          break;
      }
    }
  }
  return found;
}

// The place of a top-level window in the stacking order, 0 at the bottom; -1 when it is not one.
inline int StackingIndex(Display* dpy, Window frame) {
  Window r = 0, parent = 0, *list = nullptr;
  unsigned count = 0;
  int index = -1;
  if (XQueryTree(dpy, DefaultRootWindow(dpy), &r, &parent, &list, &count) && list) {
    for (unsigned i = 0; i < count; ++i) {
      if (list[i] == frame)
        index = static_cast<int>(i);
    }
    XFree(list);
  }
  return index;
}

// The 32-bit items of a window property (atoms, cardinals, the Motif hints).
inline std::vector<long> PropertyItems(Display* dpy, Window w, const char* property) {
  std::vector<long> items;
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(dpy, w, XInternAtom(dpy, property, False), 0, 64, False, AnyPropertyType,
                         &type, &format, &count, &after, &data) == Success &&
      data) {
    if (format == 32)
      items.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
    XFree(data);
  }
  return items;
}

inline bool HasAtom(Display* dpy, Window w, const char* property, const char* atom) {
  const long wanted = static_cast<long>(XInternAtom(dpy, atom, False));
  for (long item : PropertyItems(dpy, w, property)) {
    if (item == wanted)
      return true;
  }
  return false;
}

inline Window TransientFor(Display* dpy, Window w) {
  Window owner = 0;
  return XGetTransientForHint(dpy, w, &owner) ? owner : 0;
}

// Types ASCII text through XTEST, with Shift where the character needs it.
inline void TypeText(Display* dpy, const std::string& text) {
  const KeyCode shift = XKeysymToKeycode(dpy, XK_Shift_L);
  for (char c : text) {
    const KeySym sym = static_cast<KeySym>(static_cast<unsigned char>(c));
    const KeyCode code = XKeysymToKeycode(dpy, sym);
    if (!code)
      continue;
    const bool shifted = XkbKeycodeToKeysym(dpy, code, 0, 0) != sym;
    if (shifted)
      XTestFakeKeyEvent(dpy, shift, True, CurrentTime);
    XTestFakeKeyEvent(dpy, code, True, CurrentTime);
    XTestFakeKeyEvent(dpy, code, False, CurrentTime);
    if (shifted)
      XTestFakeKeyEvent(dpy, shift, False, CurrentTime);
  }
  XSync(dpy, False);
}

inline void DoubleClick(Display* dpy, int x, int y) {
  XTestFakeMotionEvent(dpy, -1, x, y, CurrentTime);
  for (int i = 0; i < 2; ++i) {
    XTestFakeButtonEvent(dpy, 1, True, CurrentTime);
    XTestFakeButtonEvent(dpy, 1, False, CurrentTime);
  }
  XSync(dpy, False);
}

}  // namespace qlm::test
