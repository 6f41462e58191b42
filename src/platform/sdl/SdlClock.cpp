#include "platform/sdl/SdlClock.h"

#include <SDL.h>

namespace qlm {

SdlClock::SdlClock() : start_(SDL_GetTicks64()) {}

uint64_t SdlClock::TickCount() const {
  return SDL_GetTicks64() - start_;
}

}  // namespace qlm
