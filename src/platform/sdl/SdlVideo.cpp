#include "platform/sdl/SdlVideo.h"

#include <SDL.h>
#include <SDL_syswm.h>

namespace qlm {

#if defined(SDL_VIDEO_DRIVER_X11) && defined(QLM_HAVE_X11)
namespace {

// Xlib's handler before ours; Xlib keeps one handler for the whole process.
XErrorHandler defaultXErrors = nullptr;

// Xlib's default handler ends the process on any error. A request about one of the player's
// windows that the server has just destroyed (a closed message box raised, or told its state,
// a moment too late) is harmless and is ignored; every other error takes the default path.
int IgnoreVanishedWindows(::Display* display, XErrorEvent* event) {
  if (event->error_code == BadWindow || event->error_code == BadDrawable)
    return 0;
  return defaultXErrors ? defaultXErrors(display, event) : 0;
}

}  // namespace
#endif

std::unique_ptr<SdlVideo> SdlVideo::Open(std::string& error) {
  // The player closes its own windows; the last one closing is not a quit. Scaled frames keep
  // their hard pixel edges.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  // Unscaled windows present through their own surface, sent to the screen as it is rather
  // than through a renderer SDL would make for it.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  // A click that activates the window is a click, as on the window system the player came from.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
#if defined(SDL_VIDEO_DRIVER_X11) && defined(QLM_HAVE_X11)
  // Installed before SDL's own, which passes the errors it does not handle on to this one.
  if (!defaultXErrors)
    defaultXErrors = XSetErrorHandler(&IgnoreVanishedWindows);
#endif
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    error = SDL_GetError();
    return nullptr;
  }
  return std::unique_ptr<SdlVideo>(new SdlVideo());
}

SdlVideo::~SdlVideo() {
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  SDL_Quit();
}

}  // namespace qlm
