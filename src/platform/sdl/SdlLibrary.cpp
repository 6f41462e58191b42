// The SDL library is opened on the first SDL call rather than when the program starts: a
// headless run then never maps it, nor the display, input, sound and session libraries it
// links (about forty). Each SDL function the frontend calls is defined here with SDL's own
// declaration (the compiler checks it against SDL.h) and forwards to the library's function.
// Without the library, SDL_InitSubSystem fails and SDL_GetError says why, so the frontend
// reports it as it reports any SDL start-up failure.

#include <SDL.h>
#include <SDL_shape.h>
#include <SDL_syswm.h>
#include <dlfcn.h>

#include <string>

namespace {

constexpr const char* kLibrary = "libSDL2-2.0.so.0";

struct Opened {
  void* handle = nullptr;
  std::string error;  // why it did not open
};

// The library, opened once for the process.
const Opened& Library() {
  static const Opened opened = [] {
    Opened o;
    o.handle = dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
    if (!o.handle) {
      const char* why = dlerror();
      o.error = std::string(kLibrary) + " cannot be loaded" + (why ? std::string(": ") + why : "");
    }
    return o;
  }();
  return opened;
}

const char* LoadError() {
  return Library().error.c_str();
}

template <typename F>
F* Resolve(const char* name) {
  void* handle = Library().handle;
  return handle ? reinterpret_cast<F*>(dlsym(handle, name)) : nullptr;
}

}  // namespace

// One lookup per function, the first time it is called.
#define QLM_SDL_RESOLVE(name) static auto* const fn = Resolve<decltype(::name)>(#name)

extern "C" {

SDL_Cursor* SDL_CreateColorCursor(SDL_Surface* surface, int hot_x, int hot_y) {
  QLM_SDL_RESOLVE(SDL_CreateColorCursor);
  return fn ? fn(surface, hot_x, hot_y) : nullptr;
}
SDL_Surface* SDL_CreateRGBSurfaceWithFormat(Uint32 flags, int width, int height, int depth,
                                            Uint32 format) {
  QLM_SDL_RESOLVE(SDL_CreateRGBSurfaceWithFormat);
  return fn ? fn(flags, width, height, depth, format) : nullptr;
}
SDL_Surface* SDL_CreateRGBSurfaceWithFormatFrom(void* pixels, int width, int height, int depth,
                                                int pitch, Uint32 format) {
  QLM_SDL_RESOLVE(SDL_CreateRGBSurfaceWithFormatFrom);
  return fn ? fn(pixels, width, height, depth, pitch, format) : nullptr;
}
SDL_Renderer* SDL_CreateRenderer(SDL_Window* window, int index, Uint32 flags) {
  QLM_SDL_RESOLVE(SDL_CreateRenderer);
  return fn ? fn(window, index, flags) : nullptr;
}
SDL_Window* SDL_CreateShapedWindow(const char* title, unsigned int x, unsigned int y,
                                   unsigned int w, unsigned int h, Uint32 flags) {
  QLM_SDL_RESOLVE(SDL_CreateShapedWindow);
  return fn ? fn(title, x, y, w, h, flags) : nullptr;
}
SDL_Cursor* SDL_CreateSystemCursor(SDL_SystemCursor id) {
  QLM_SDL_RESOLVE(SDL_CreateSystemCursor);
  return fn ? fn(id) : nullptr;
}
SDL_Texture* SDL_CreateTexture(SDL_Renderer* renderer, Uint32 format, int access, int w, int h) {
  QLM_SDL_RESOLVE(SDL_CreateTexture);
  return fn ? fn(renderer, format, access, w, h) : nullptr;
}
SDL_Window* SDL_CreateWindow(const char* title, int x, int y, int w, int h, Uint32 flags) {
  QLM_SDL_RESOLVE(SDL_CreateWindow);
  return fn ? fn(title, x, y, w, h, flags) : nullptr;
}
void SDL_DestroyRenderer(SDL_Renderer* renderer) {
  QLM_SDL_RESOLVE(SDL_DestroyRenderer);
  if (fn)
    fn(renderer);
}
void SDL_DestroyTexture(SDL_Texture* texture) {
  QLM_SDL_RESOLVE(SDL_DestroyTexture);
  if (fn)
    fn(texture);
}
void SDL_DestroyWindow(SDL_Window* window) {
  QLM_SDL_RESOLVE(SDL_DestroyWindow);
  if (fn)
    fn(window);
}
int SDL_FillRect(SDL_Surface* dst, const SDL_Rect* rect, Uint32 color) {
  QLM_SDL_RESOLVE(SDL_FillRect);
  return fn ? fn(dst, rect, color) : -1;
}
void SDL_FreeCursor(SDL_Cursor* cursor) {
  QLM_SDL_RESOLVE(SDL_FreeCursor);
  if (fn)
    fn(cursor);
}
void SDL_FreeSurface(SDL_Surface* surface) {
  QLM_SDL_RESOLVE(SDL_FreeSurface);
  if (fn)
    fn(surface);
}
char* SDL_GetClipboardText() {
  QLM_SDL_RESOLVE(SDL_GetClipboardText);
  return fn ? fn() : nullptr;
}
SDL_Cursor* SDL_GetCursor() {
  QLM_SDL_RESOLVE(SDL_GetCursor);
  return fn ? fn() : nullptr;
}
int SDL_GetDesktopDisplayMode(int displayIndex, SDL_DisplayMode* mode) {
  QLM_SDL_RESOLVE(SDL_GetDesktopDisplayMode);
  return fn ? fn(displayIndex, mode) : -1;
}
int SDL_GetDisplayBounds(int displayIndex, SDL_Rect* rect) {
  QLM_SDL_RESOLVE(SDL_GetDisplayBounds);
  return fn ? fn(displayIndex, rect) : -1;
}
int SDL_GetDisplayUsableBounds(int displayIndex, SDL_Rect* rect) {
  QLM_SDL_RESOLVE(SDL_GetDisplayUsableBounds);
  return fn ? fn(displayIndex, rect) : -1;
}
int SDL_GetDisplayDPI(int displayIndex, float* ddpi, float* hdpi, float* vdpi) {
  QLM_SDL_RESOLVE(SDL_GetDisplayDPI);
  return fn ? fn(displayIndex, ddpi, hdpi, vdpi) : -1;
}
void SDL_free(void* mem) {
  QLM_SDL_RESOLVE(SDL_free);
  if (fn)
    fn(mem);
}
const char* SDL_GetError() {
  QLM_SDL_RESOLVE(SDL_GetError);
  return fn ? fn() : LoadError();
}
const char* SDL_GetScancodeName(SDL_Scancode scancode) {
  QLM_SDL_RESOLVE(SDL_GetScancodeName);
  return fn ? fn(scancode) : "";
}
SDL_Keymod SDL_GetModState() {
  QLM_SDL_RESOLVE(SDL_GetModState);
  return fn ? fn() : SDL_Keymod{};
}
Uint32 SDL_GetMouseState(int* x, int* y) {
  QLM_SDL_RESOLVE(SDL_GetMouseState);
  return fn ? fn(x, y) : Uint32{};
}
int SDL_GetRendererOutputSize(SDL_Renderer* renderer, int* w, int* h) {
  QLM_SDL_RESOLVE(SDL_GetRendererOutputSize);
  return fn ? fn(renderer, w, h) : -1;
}
Uint64 SDL_GetTicks64() {
  QLM_SDL_RESOLVE(SDL_GetTicks64);
  return fn ? fn() : Uint64{};
}
int SDL_GetWindowBordersSize(SDL_Window* window, int* top, int* left, int* bottom, int* right) {
  QLM_SDL_RESOLVE(SDL_GetWindowBordersSize);
  return fn ? fn(window, top, left, bottom, right) : -1;
}
int SDL_GetWindowDisplayIndex(SDL_Window* window) {
  QLM_SDL_RESOLVE(SDL_GetWindowDisplayIndex);
  return fn ? fn(window) : -1;
}
Uint32 SDL_GetWindowFlags(SDL_Window* window) {
  QLM_SDL_RESOLVE(SDL_GetWindowFlags);
  return fn ? fn(window) : Uint32{};
}
SDL_Window* SDL_GetWindowFromID(Uint32 id) {
  QLM_SDL_RESOLVE(SDL_GetWindowFromID);
  return fn ? fn(id) : nullptr;
}
Uint32 SDL_GetWindowID(SDL_Window* window) {
  QLM_SDL_RESOLVE(SDL_GetWindowID);
  return fn ? fn(window) : Uint32{};
}
void SDL_GetWindowPosition(SDL_Window* window, int* x, int* y) {
  QLM_SDL_RESOLVE(SDL_GetWindowPosition);
  if (fn)
    fn(window, x, y);
}
void SDL_GetWindowSize(SDL_Window* window, int* w, int* h) {
  QLM_SDL_RESOLVE(SDL_GetWindowSize);
  if (fn)
    fn(window, w, h);
}
SDL_bool SDL_GetWindowWMInfo(SDL_Window* window, SDL_SysWMinfo* info) {
  QLM_SDL_RESOLVE(SDL_GetWindowWMInfo);
  return fn ? fn(window, info) : SDL_FALSE;
}
int SDL_InitSubSystem(Uint32 flags) {
  QLM_SDL_RESOLVE(SDL_InitSubSystem);
  return fn ? fn(flags) : -1;
}
SDL_bool SDL_IsTextInputActive() {
  QLM_SDL_RESOLVE(SDL_IsTextInputActive);
  return fn ? fn() : SDL_FALSE;
}
void SDL_MinimizeWindow(SDL_Window* window) {
  QLM_SDL_RESOLVE(SDL_MinimizeWindow);
  if (fn)
    fn(window);
}
int SDL_PollEvent(SDL_Event* event) {
  QLM_SDL_RESOLVE(SDL_PollEvent);
  return fn ? fn(event) : -1;
}
int SDL_PushEvent(SDL_Event* event) {
  QLM_SDL_RESOLVE(SDL_PushEvent);
  return fn ? fn(event) : -1;
}
void SDL_Quit() {
  QLM_SDL_RESOLVE(SDL_Quit);
  if (fn)
    fn();
}
void SDL_QuitSubSystem(Uint32 flags) {
  QLM_SDL_RESOLVE(SDL_QuitSubSystem);
  if (fn)
    fn(flags);
}
void SDL_RaiseWindow(SDL_Window* window) {
  QLM_SDL_RESOLVE(SDL_RaiseWindow);
  if (fn)
    fn(window);
}
int SDL_RenderClear(SDL_Renderer* renderer) {
  QLM_SDL_RESOLVE(SDL_RenderClear);
  return fn ? fn(renderer) : -1;
}
int SDL_RenderCopy(SDL_Renderer* renderer, SDL_Texture* texture, const SDL_Rect* srcrect,
                   const SDL_Rect* dstrect) {
  QLM_SDL_RESOLVE(SDL_RenderCopy);
  return fn ? fn(renderer, texture, srcrect, dstrect) : -1;
}
void SDL_RenderPresent(SDL_Renderer* renderer) {
  QLM_SDL_RESOLVE(SDL_RenderPresent);
  if (fn)
    fn(renderer);
}
void SDL_RestoreWindow(SDL_Window* window) {
  QLM_SDL_RESOLVE(SDL_RestoreWindow);
  if (fn)
    fn(window);
}
int SDL_SetClipboardText(const char* text) {
  QLM_SDL_RESOLVE(SDL_SetClipboardText);
  return fn ? fn(text) : -1;
}
void SDL_SetCursor(SDL_Cursor* cursor) {
  QLM_SDL_RESOLVE(SDL_SetCursor);
  if (fn)
    fn(cursor);
}
SDL_bool SDL_SetHint(const char* name, const char* value) {
  QLM_SDL_RESOLVE(SDL_SetHint);
  return fn ? fn(name, value) : SDL_FALSE;
}
int SDL_SetRenderDrawColor(SDL_Renderer* renderer, Uint8 r, Uint8 g, Uint8 b, Uint8 a) {
  QLM_SDL_RESOLVE(SDL_SetRenderDrawColor);
  return fn ? fn(renderer, r, g, b, a) : -1;
}
void SDL_SetTextInputRect(const SDL_Rect* rect) {
  QLM_SDL_RESOLVE(SDL_SetTextInputRect);
  if (fn)
    fn(rect);
}
void SDL_SetWindowAlwaysOnTop(SDL_Window* window, SDL_bool on_top) {
  QLM_SDL_RESOLVE(SDL_SetWindowAlwaysOnTop);
  if (fn)
    fn(window, on_top);
}
void SDL_SetWindowBordered(SDL_Window* window, SDL_bool bordered) {
  QLM_SDL_RESOLVE(SDL_SetWindowBordered);
  if (fn)
    fn(window, bordered);
}
int SDL_SetWindowFullscreen(SDL_Window* window, Uint32 flags) {
  QLM_SDL_RESOLVE(SDL_SetWindowFullscreen);
  return fn ? fn(window, flags) : -1;
}
void SDL_SetWindowIcon(SDL_Window* window, SDL_Surface* icon) {
  QLM_SDL_RESOLVE(SDL_SetWindowIcon);
  if (fn)
    fn(window, icon);
}
int SDL_SetWindowModalFor(SDL_Window* modal_window, SDL_Window* parent_window) {
  QLM_SDL_RESOLVE(SDL_SetWindowModalFor);
  return fn ? fn(modal_window, parent_window) : -1;
}
void SDL_SetWindowPosition(SDL_Window* window, int x, int y) {
  QLM_SDL_RESOLVE(SDL_SetWindowPosition);
  if (fn)
    fn(window, x, y);
}
int SDL_SetWindowShape(SDL_Window* window, SDL_Surface* shape, SDL_WindowShapeMode* shape_mode) {
  QLM_SDL_RESOLVE(SDL_SetWindowShape);
  return fn ? fn(window, shape, shape_mode) : -1;
}
void SDL_SetWindowSize(SDL_Window* window, int w, int h) {
  QLM_SDL_RESOLVE(SDL_SetWindowSize);
  if (fn)
    fn(window, w, h);
}
void SDL_SetWindowTitle(SDL_Window* window, const char* title) {
  QLM_SDL_RESOLVE(SDL_SetWindowTitle);
  if (fn)
    fn(window, title);
}
void SDL_ShowWindow(SDL_Window* window) {
  QLM_SDL_RESOLVE(SDL_ShowWindow);
  if (fn)
    fn(window);
}
void SDL_StartTextInput() {
  QLM_SDL_RESOLVE(SDL_StartTextInput);
  if (fn)
    fn();
}
void SDL_StopTextInput() {
  QLM_SDL_RESOLVE(SDL_StopTextInput);
  if (fn)
    fn();
}
int SDL_UpdateTexture(SDL_Texture* texture, const SDL_Rect* rect, const void* pixels, int pitch) {
  QLM_SDL_RESOLVE(SDL_UpdateTexture);
  return fn ? fn(texture, rect, pixels, pitch) : -1;
}
int SDL_WaitEvent(SDL_Event* event) {
  QLM_SDL_RESOLVE(SDL_WaitEvent);
  return fn ? fn(event) : -1;
}
int SDL_WaitEventTimeout(SDL_Event* event, int timeout) {
  QLM_SDL_RESOLVE(SDL_WaitEventTimeout);
  return fn ? fn(event, timeout) : -1;
}

int SDL_GetNumAudioDevices(int iscapture) {
  QLM_SDL_RESOLVE(SDL_GetNumAudioDevices);
  return fn ? fn(iscapture) : -1;
}
void SDL_CloseAudioDevice(SDL_AudioDeviceID dev) {
  QLM_SDL_RESOLVE(SDL_CloseAudioDevice);
  if (fn)
    fn(dev);
}
SDL_AudioDeviceID SDL_OpenAudioDevice(const char* device, int iscapture,
                                      const SDL_AudioSpec* desired, SDL_AudioSpec* obtained,
                                      int allowed_changes) {
  QLM_SDL_RESOLVE(SDL_OpenAudioDevice);
  return fn ? fn(device, iscapture, desired, obtained, allowed_changes) : SDL_AudioDeviceID{};
}
void SDL_PauseAudioDevice(SDL_AudioDeviceID dev, int pause_on) {
  QLM_SDL_RESOLVE(SDL_PauseAudioDevice);
  if (fn)
    fn(dev, pause_on);
}
int SDL_QueueAudio(SDL_AudioDeviceID dev, const void* data, Uint32 len) {
  QLM_SDL_RESOLVE(SDL_QueueAudio);
  return fn ? fn(dev, data, len) : -1;
}
void SDL_ClearQueuedAudio(SDL_AudioDeviceID dev) {
  QLM_SDL_RESOLVE(SDL_ClearQueuedAudio);
  if (fn)
    fn(dev);
}
Uint32 SDL_GetQueuedAudioSize(SDL_AudioDeviceID dev) {
  QLM_SDL_RESOLVE(SDL_GetQueuedAudioSize);
  return fn ? fn(dev) : Uint32{};
}

int SDL_ConvertPixels(int width, int height, Uint32 src_format, const void* src, int src_pitch,
                      Uint32 dst_format, void* dst, int dst_pitch) {
  QLM_SDL_RESOLVE(SDL_ConvertPixels);
  return fn ? fn(width, height, src_format, src, src_pitch, dst_format, dst, dst_pitch) : -1;
}
SDL_Surface* SDL_GetWindowSurface(SDL_Window* window) {
  QLM_SDL_RESOLVE(SDL_GetWindowSurface);
  return fn ? fn(window) : nullptr;
}
int SDL_LockSurface(SDL_Surface* surface) {
  QLM_SDL_RESOLVE(SDL_LockSurface);
  return fn ? fn(surface) : -1;
}
void SDL_UnlockSurface(SDL_Surface* surface) {
  QLM_SDL_RESOLVE(SDL_UnlockSurface);
  if (fn)
    fn(surface);
}
int SDL_UpdateWindowSurface(SDL_Window* window) {
  QLM_SDL_RESOLVE(SDL_UpdateWindowSurface);
  return fn ? fn(window) : -1;
}
int SDL_UpdateWindowSurfaceRects(SDL_Window* window, const SDL_Rect* rects, int numrects) {
  QLM_SDL_RESOLVE(SDL_UpdateWindowSurfaceRects);
  return fn ? fn(window, rects, numrects) : -1;
}

void SDL_GetRGB(Uint32 pixel, const SDL_PixelFormat* format, Uint8* r, Uint8* g, Uint8* b) {
  QLM_SDL_RESOLVE(SDL_GetRGB);
  if (fn)
    fn(pixel, format, r, g, b);
}

}  // extern "C"
