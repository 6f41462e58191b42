#include "platform/sdl/DialogWindow.h"

#include <SDL_syswm.h>

#include <algorithm>

namespace qlm {
namespace {

#if defined(SDL_VIDEO_DRIVER_X11) && defined(QLM_HAVE_X11)
// The properties an X window manager reads to treat a window as the player's modal dialog.
// They are set before the window is mapped, as the managers read them then, and after the
// renderer is made, which rewrites the window's properties.
void MarkAsDialog(SDL_Window* window, bool topmost) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
    return;
  ::Display* dpy = info.info.x11.display;
  const ::Window w = info.info.x11.window;
  const auto atom = [dpy](const char* name) { return XInternAtom(dpy, name, False); };
  const Atom type = atom("_NET_WM_WINDOW_TYPE_DIALOG");
  XChangeProperty(dpy, w, atom("_NET_WM_WINDOW_TYPE"), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&type), 1);
  Atom states[3] = {atom("_NET_WM_STATE_MODAL"), atom("_NET_WM_STATE_SKIP_TASKBAR"),
                    atom("_NET_WM_STATE_ABOVE")};
  XChangeProperty(dpy, w, atom("_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(states), topmost ? 3 : 2);
  // Motif hints: move and close only; border, title and window menu, no minimise or maximise.
  constexpr long kFunctions = 1, kDecorations = 2;
  constexpr long kMove = 4, kClose = 32;
  constexpr long kBorder = 2, kTitle = 8, kMenu = 16;
  const long hints[5] = {kFunctions | kDecorations, kMove | kClose, kBorder | kTitle | kMenu, 0, 0};
  const Atom motif = atom("_MOTIF_WM_HINTS");
  XChangeProperty(dpy, w, motif, motif, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(hints), 5);
  XFlush(dpy);
}
#else
void MarkAsDialog(SDL_Window*, bool) {}
#endif

}  // namespace

SDL_Point DialogPosition(SDL_Window* owner, int width, int height) {
  if (!owner)
    return {static_cast<int>(SDL_WINDOWPOS_CENTERED), static_cast<int>(SDL_WINDOWPOS_CENTERED)};
  int ox = 0, oy = 0, ow = 0, oh = 0;
  SDL_GetWindowPosition(owner, &ox, &oy);
  SDL_GetWindowSize(owner, &ow, &oh);
  const int index = SDL_GetWindowDisplayIndex(owner);
  SDL_Rect screen;
  // A full-screen player covers its screen, also while it is still being put there.
  if ((SDL_GetWindowFlags(owner) & SDL_WINDOW_FULLSCREEN) != 0 && index >= 0 &&
      SDL_GetDisplayBounds(index, &screen) == 0) {
    ox = screen.x;
    oy = screen.y;
    ow = screen.w;
    oh = screen.h;
  }
  SDL_Point p{ox + (ow - width) / 2, oy + (oh - height) / 2};
  if (index >= 0 && SDL_GetDisplayUsableBounds(index, &screen) == 0) {
    p.x = std::clamp(p.x, screen.x, std::max(screen.x, screen.x + screen.w - width));
    p.y = std::clamp(p.y, screen.y, std::max(screen.y, screen.y + screen.h - height));
  }
  return p;
}

DialogWindow::~DialogWindow() {
  if (texture_)
    SDL_DestroyTexture(texture_);
  if (renderer_)
    SDL_DestroyRenderer(renderer_);
  if (window_)
    SDL_DestroyWindow(window_);
}

bool DialogWindow::Open(const std::string& titleUtf8, int width, int height, SDL_Window* owner,
                        bool topmost) {
  Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_SKIP_TASKBAR;
  if (topmost)
    flags |= SDL_WINDOW_ALWAYS_ON_TOP;
  const SDL_Point at = DialogPosition(owner, width, height);
  window_ = SDL_CreateWindow(titleUtf8.c_str(), at.x, at.y, width, height, flags);
  if (!window_)
    return false;
  renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  if (!renderer_)
    return false;
  texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                               width, height);
  if (!texture_)
    return false;
  if (owner)
    SDL_SetWindowModalFor(window_, owner);
  MarkAsDialog(window_, topmost);
  SDL_ShowWindow(window_);
  SDL_RaiseWindow(window_);
  return true;
}

void DialogWindow::Present(const Surface& picture) {
  if (!texture_)
    return;
  SDL_UpdateTexture(texture_, nullptr, picture.Row(0), picture.Width() * 4);
  SDL_RenderClear(renderer_);
  SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
  SDL_RenderPresent(renderer_);
}

}  // namespace qlm
