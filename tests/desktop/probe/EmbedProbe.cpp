// A small X program for the program-object tests: it shows a window of one colour and writes
// what happens to it into a log file, one line each: "started", "command A B C N" for each
// QLM_COMMAND client message, "closed" when it is asked to close (it then ends).
//
//   embed_probe RRGGBB LOGFILE

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Log(const char* path, const std::string& line) {
  if (FILE* f = std::fopen(path, "a")) {
    std::fprintf(f, "%s\n", line.c_str());
    std::fclose(f);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3)
    return 2;
  const unsigned long colour = std::strtoul(argv[1], nullptr, 16);
  const char* log = argv[2];
  Display* dpy = XOpenDisplay(nullptr);
  if (!dpy)
    return 1;
  const Window w = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 100, 80, 0, 0, colour);
  XStoreName(dpy, w, "Embed Probe");
  const long pid = getpid();
  XChangeProperty(dpy, w, XInternAtom(dpy, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&pid), 1);
  Atom deleteAtom = XInternAtom(dpy, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(dpy, w, &deleteAtom, 1);
  const Atom command = XInternAtom(dpy, "QLM_COMMAND", False);
  XMapWindow(dpy, w);
  XFlush(dpy);
  Log(log, "started");
  for (;;) {
    XEvent e;
    XNextEvent(dpy, &e);
    if (e.type != ClientMessage)
      continue;
    const long* l = e.xclient.data.l;
    if (e.xclient.message_type == command) {
      Log(log, "command " + std::to_string(l[0]) + " " + std::to_string(l[1]) + " " +
                   std::to_string(l[2]) + " " + std::to_string(l[3]));
    } else if (static_cast<Atom>(l[0]) == deleteAtom) {
      Log(log, "closed");
      XCloseDisplay(dpy);
      return 0;
    }
  }
}
