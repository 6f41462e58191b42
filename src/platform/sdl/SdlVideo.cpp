#include "platform/sdl/SdlVideo.h"

#include <SDL.h>

namespace qlm {

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
