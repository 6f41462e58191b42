#include "platform/sdl/SdlDisplay.h"

#include <SDL.h>
#include <SDL_shape.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "graphics/Canvas.h"
#include "platform/host/HostEnvironment.h"
#include "platform/sdl/ScreenshotFile.h"
#include "platform/sdl/WindowScale.h"

namespace qlm {
namespace {

// The cursor table's resource entries as the system cursors closest to what they stand for;
// entries 11 to 15 belong to the project.
constexpr int kNoSystemCursor = -1;
constexpr int kSystemCursors[SdlDisplay::kCursorCount] = {
    SDL_SYSTEM_CURSOR_ARROW,
    SDL_SYSTEM_CURSOR_HAND,
    SDL_SYSTEM_CURSOR_IBEAM,
    SDL_SYSTEM_CURSOR_WAIT,
    SDL_SYSTEM_CURSOR_CROSSHAIR,
    SDL_SYSTEM_CURSOR_SIZEALL,
    SDL_SYSTEM_CURSOR_NO,
    SDL_SYSTEM_CURSOR_SIZENS,
    SDL_SYSTEM_CURSOR_SIZEWE,
    SDL_SYSTEM_CURSOR_SIZENWSE,
    SDL_SYSTEM_CURSOR_SIZENESW,
    kNoSystemCursor,
    kNoSystemCursor,
    kNoSystemCursor,
    kNoSystemCursor,
    kNoSystemCursor,
    SDL_SYSTEM_CURSOR_WAITARROW,
};

// The frame a window manager is assumed to put around a window until it says.
constexpr int kTitleBarGuess = 32;
constexpr int kBorderGuess = 4;

// Custom cursors larger than this are refused.
constexpr int kMaxCursorSide = 256;

int Scaled(int v, double f) {
  return static_cast<int>(std::lround(v * f));
}

}  // namespace

SdlDisplay::SdlDisplay(SdlScaling scaling, CodePage codePage, std::ostream* diagnostics)
    : scaling_(scaling),
      codePage_(std::move(codePage)),
      diagnostics_(diagnostics),
      frame_(640, 480) {
  scaling_.factor = std::clamp(scaling_.factor, 1, 8);
  fullScreen_ = scaling_.fullScreen.value_or(false);
  titleUtf8_ = "QLM Player";
  UpdateFactor();
  CreateWindow();
}

SdlDisplay::~SdlDisplay() {
  for (SDL_Cursor*& c : cursors_) {
    if (c)
      SDL_FreeCursor(c);
    c = nullptr;
  }
  if (arrow_)
    SDL_FreeCursor(arrow_);
  DestroyWindow();
}

void SdlDisplay::CreateWindow() {
  Uint32 flags = shown_ ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
  if (!titleBar_)
    flags |= SDL_WINDOW_BORDERLESS;
  if (scaling_.fit)
    flags |= SDL_WINDOW_RESIZABLE;
  if (topmost_)
    flags |= SDL_WINDOW_ALWAYS_ON_TOP;
  const int w = std::max(1, Scaled(frame_.Width(), factor_));
  const int h = std::max(1, Scaled(frame_.Height(), factor_));
  const int x = positioned_ ? posX_ : static_cast<int>(SDL_WINDOWPOS_CENTERED);
  const int y = positioned_ ? posY_ : static_cast<int>(SDL_WINDOWPOS_CENTERED);
  shapedWindow_ = false;
  if (!shape_.empty()) {
    window_ = SDL_CreateShapedWindow(titleUtf8_.c_str(), static_cast<unsigned>(x),
                                     static_cast<unsigned>(y), static_cast<unsigned>(w),
                                     static_cast<unsigned>(h), flags);
    shapedWindow_ = window_ != nullptr;
  }
  if (!window_)
    window_ = SDL_CreateWindow(titleUtf8_.c_str(), x, y, w, h, flags);
  if (!window_)
    throw std::runtime_error(std::string("cannot open a window: ") + SDL_GetError());
  // The renderer is made now even when the window surface will show the frame: SDL may make
  // the window again for it, which must happen before anyone knows the window.
  try {
    CreateRenderer();
  } catch (const std::runtime_error&) {
    DestroyWindow();
    throw;
  }
  if (fullScreen_)
    SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
  ApplyShape();
  ApplyIcon();
}

void SdlDisplay::DestroyWindow() {
  DestroyRenderer();
  if (window_)
    SDL_DestroyWindow(window_);
  window_ = nullptr;
  windowSurface_ = nullptr;
  surfaceCurrent_ = false;
}

void SdlDisplay::DestroyRenderer() {
  if (noticeTexture_)
    SDL_DestroyTexture(noticeTexture_);
  noticeTexture_ = nullptr;
  if (texture_)
    SDL_DestroyTexture(texture_);
  if (renderer_)
    SDL_DestroyRenderer(renderer_);
  texture_ = nullptr;
  renderer_ = nullptr;
}

bool SdlDisplay::Unscaled() const {
  if (fullScreen_ || factor_ != 1)
    return false;
  if (!scaling_.fit)
    return true;
  // A window the user may resize shows the frame unscaled only at its own size.
  int ww = 0, wh = 0;
  SDL_GetWindowSize(window_, &ww, &wh);
  return ww == frame_.Width() && wh == frame_.Height();
}

void SdlDisplay::CreateRenderer() {
  if (!renderer_) {
    renderer_ = SDL_CreateRenderer(window_, -1, 0);
    if (!renderer_)
      renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_)
      throw std::runtime_error(std::string("cannot draw in the window: ") + SDL_GetError());
  }
  if (!texture_)
    CreateTexture();
}

// An unscaled window shows the frame through its own surface: a present copies the dirty
// rectangle there and has only that rectangle sent to the screen. A scaled one (--scale, full
// screen, a resized window) draws a streaming texture through a renderer.
bool SdlDisplay::ChoosePath() {
  if (Unscaled()) {
    DestroyRenderer();
    if (SDL_Surface* surface = SDL_GetWindowSurface(window_)) {
      if (surface != windowSurface_)
        surfaceCurrent_ = false;
      windowSurface_ = surface;
      return true;
    }
  }
  windowSurface_ = nullptr;
  surfaceCurrent_ = false;
  CreateRenderer();
  return false;
}

void SdlDisplay::CreateTexture() {
  if (!renderer_)
    return;
  if (texture_)
    SDL_DestroyTexture(texture_);
  // SDL's RGB888 is a 32-bit 0x00RRGGBB word: the surface's own layout, copied as it is.
  texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                               frame_.Width(), frame_.Height());
  if (!texture_)
    throw std::runtime_error(std::string("cannot make the window's picture: ") + SDL_GetError());
  Upload(0, 0, frame_.Width(), frame_.Height());
}

void SdlDisplay::Upload(int x, int y, int w, int h) {
  if (!texture_ || w <= 0 || h <= 0)
    return;
  const SDL_Rect r{x, y, w, h};
  SDL_UpdateTexture(texture_, &r, frame_.Row(y) + x, frame_.Width() * 4);
}

void SdlDisplay::CopyToSurface(int x, int y, int w, int h) {
  SDL_Surface* surface = windowSurface_;
  w = std::min(w, surface->w - x);
  h = std::min(h, surface->h - y);
  if (w <= 0 || h <= 0)
    return;
  if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0)
    return;
  auto* to = static_cast<uint8_t*>(surface->pixels) + static_cast<ptrdiff_t>(y) * surface->pitch +
             static_cast<ptrdiff_t>(x) * surface->format->BytesPerPixel;
  SDL_ConvertPixels(w, h, SDL_PIXELFORMAT_RGB888, frame_.Row(y) + x, frame_.Width() * 4,
                    surface->format->format, to, surface->pitch);
  if (SDL_MUSTLOCK(surface))
    SDL_UnlockSurface(surface);
}

bool SdlDisplay::PresentRect(int x, int y, int w, int h) {
  if (!ChoosePath())
    return false;
  if (!surfaceCurrent_) {
    Redraw();
    return true;
  }
  CopyToSurface(x, y, w, h);
  const SDL_Rect r{x, y, w, h};
  SDL_UpdateWindowSurfaceRects(window_, &r, 1);
  // The notice stays over what was presented beneath it.
  DrawNoticeOnSurface();
  return true;
}

void SdlDisplay::Redraw() {
  if (!window_)
    return;
  if (ChoosePath()) {
    // A new surface holds nothing yet: the whole frame goes there first.
    if (!surfaceCurrent_) {
      CopyToSurface(0, 0, frame_.Width(), frame_.Height());
      surfaceCurrent_ = true;
    }
    SDL_UpdateWindowSurface(window_);
    DrawNoticeOnSurface();
    return;
  }
  int ow = 0, oh = 0;
  SDL_GetRendererOutputSize(renderer_, &ow, &oh);
  const ViewBox v = FitView(frame_.Width(), frame_.Height(), ow, oh);
  const SDL_Rect dst{v.x, v.y, v.w, v.h};
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  SDL_RenderCopy(renderer_, texture_, nullptr, &dst);
  if (!notice_.Empty()) {
    if (!noticeTexture_) {
      noticeTexture_ =
          SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STATIC,
                            notice_.Width(), notice_.Height());
      if (noticeTexture_)
        SDL_UpdateTexture(noticeTexture_, nullptr, notice_.Row(0), notice_.Width() * 4);
    }
    const ViewBox box = NoticeRect(ow, oh);
    const SDL_Rect at{box.x, box.y, box.w, box.h};
    if (noticeTexture_)
      SDL_RenderCopy(renderer_, noticeTexture_, nullptr, &at);
  }
  SDL_RenderPresent(renderer_);
}

ViewBox SdlDisplay::NoticeRect(int outW, int outH) const {
  const int scale = std::max(1, static_cast<int>(std::lround(fullScreen_ ? 1 : factor_)));
  const int w = std::min(notice_.Width(), outW);
  return {(outW - w) / 2, std::max(0, outH - notice_.Height() - 12 * scale), w, notice_.Height()};
}

void SdlDisplay::DrawNoticeOnSurface() {
  SDL_Surface* surface = windowSurface_;
  if (notice_.Empty() || !surface)
    return;
  const ViewBox box = NoticeRect(surface->w, surface->h);
  const SDL_Rect at{box.x, box.y, box.w, box.h};
  const int h = std::min(at.h, surface->h - at.y);
  if (at.w <= 0 || h <= 0 || (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0))
    return;
  auto* to = static_cast<uint8_t*>(surface->pixels) +
             static_cast<ptrdiff_t>(at.y) * surface->pitch +
             static_cast<ptrdiff_t>(at.x) * surface->format->BytesPerPixel;
  SDL_ConvertPixels(at.w, h, SDL_PIXELFORMAT_RGB888, notice_.Row(0), notice_.Width() * 4,
                    surface->format->format, to, surface->pitch);
  if (SDL_MUSTLOCK(surface))
    SDL_UnlockSurface(surface);
  SDL_UpdateWindowSurfaceRects(window_, &at, 1);
}

void SdlDisplay::ShowNotice(const std::string& textUtf8) {
  if (!noticeFonts_)
    noticeFonts_ = std::make_unique<FontCache>();
  const int scale = std::max(1, static_cast<int>(std::lround(fullScreen_ ? 1 : factor_)));
  FontSpec spec;
  spec.face = "Segoe UI";
  spec.height = -13 * scale;
  const Font& font = noticeFonts_->Get(spec);
  const int pad = 8 * scale;
  // A text wider than the window loses its beginning: the end of a path says the most.
  std::string text = textUtf8;
  const int room = std::max(1, frame_.Width() * scale - 4 * pad);
  while (text.size() > 1 && font.TextWidth(text) > room) {
    text.erase(0, 1);
    while (!text.empty() && (static_cast<unsigned char>(text[0]) & 0xC0) == 0x80)
      text.erase(0, 1);
    if (font.TextWidth("..." + text) <= room) {
      text = "..." + text;
      break;
    }
  }
  notice_ = Surface(font.TextWidth(text) + 2 * pad, font.Metrics().height + 2 * pad);
  Canvas canvas(notice_);
  canvas.FillRect({0, 0, notice_.Width(), notice_.Height()}, kNoticeFill);
  canvas.FrameRect({0, 0, notice_.Width(), notice_.Height()}, 0x808080, scale);
  canvas.DrawText(font, text, pad, pad, 0xFFFFFF);
  noticeUntil_ = SDL_GetTicks64() + kNoticeMs;
  if (noticeTexture_)
    SDL_DestroyTexture(noticeTexture_);
  noticeTexture_ = nullptr;
  Redraw();
}

std::optional<uint64_t> SdlDisplay::NoticeLeftMs() const {
  if (notice_.Empty())
    return std::nullopt;
  const uint64_t now = SDL_GetTicks64();
  return noticeUntil_ > now ? noticeUntil_ - now : 0;
}

void SdlDisplay::ExpireNotice() {
  if (notice_.Empty() || SDL_GetTicks64() < noticeUntil_)
    return;
  notice_ = Surface();
  if (noticeTexture_)
    SDL_DestroyTexture(noticeTexture_);
  noticeTexture_ = nullptr;
  // The picture without it.
  surfaceCurrent_ = false;
  Redraw();
}

void SdlDisplay::Reupload() {
  Upload(0, 0, frame_.Width(), frame_.Height());
  surfaceCurrent_ = false;
  Redraw();
}

void SdlDisplay::Show() {
  if (shown_)
    return;
  shown_ = true;
  SDL_ShowWindow(window_);
  // The frame's size is known once the window is on the screen: the scale may have to shrink.
  Rescale();
  KeepInWorkArea();
  if (minimized_)
    SDL_MinimizeWindow(window_);
}

void SdlDisplay::Present(const Surface& frame, int x, int y, int w, int h) {
  // Only what both the frame and the client area hold.
  const int left = std::max(0, x);
  const int top = std::max(0, y);
  const int right = std::min({x + w, frame.Width(), frame_.Width()});
  const int bottom = std::min({y + h, frame.Height(), frame_.Height()});
  const bool dirty = right > left && bottom > top;
  if (dirty) {
    frame_.Blit(frame, left, top, right - left, bottom - top, left, top);
    Upload(left, top, right - left, bottom - top);
  }
  Show();
  if (dirty && PresentRect(left, top, right - left, bottom - top))
    return;
  Redraw();
}

void SdlDisplay::SetTitle(const std::string& title) {
  titleUtf8_ = codePage_.ToUtf8(title);
  SDL_SetWindowTitle(window_, titleUtf8_.c_str());
}

void SdlDisplay::UpdateFactor() {
  factor_ = scaling_.factor;
  if (frame_.Empty())
    return;
  SDL_Rect usable{0, 0, 0, 0};
  const int index = window_ ? std::max(0, SDL_GetWindowDisplayIndex(window_)) : 0;
  if (SDL_GetDisplayUsableBounds(index, &usable) != 0 || usable.w <= 0 || usable.h <= 0)
    return;
  // The window's inside gets the work area less the title bar and borders the desktop adds.
  int top = 0, left = 0, bottom = 0, right = 0;
  FrameExtents(top, left, bottom, right);
  const WindowScale scale =
      ChooseWindowScale(frame_.Width(), frame_.Height(), scaling_.factor, scaling_.fit,
                        usable.w - left - right, usable.h - top - bottom);
  factor_ = scale.factor;
  // A presentation in full screen fills the screen at any size: it is not made smaller for a
  // window it does not show.
  if (fullScreen_ && factor_ < 1) {
    factor_ = 1;
    return;
  }
  // Until the window is on the screen the frame may be the default size, not the
  // presentation's, and full screen may still be asked for: a clamp then is not worth a word.
  if (!window_ || !shown_)
    return;
  if (scale.clamped && diagnostics_ && clampNoted_ != factor_) {
    if (factor_ < 1) {
      *diagnostics_ << "qlmplayer: the presentation's " << frame_.Width() << " x "
                    << frame_.Height() << " does not fit the screen's work area (" << usable.w
                    << " x " << usable.h << "); the window is scaled down to fit ("
                    << std::lround(factor_ * 100) << "%)\n";
    } else {
      *diagnostics_ << "qlmplayer: --scale " << scaling_.factor
                    << " does not fit the screen's work area (" << usable.w << " x " << usable.h
                    << "); the window is scaled by " << factor_ << '\n';
    }
  }
  clampNoted_ = scale.clamped ? factor_ : 0;
}

void SdlDisplay::FrameExtents(int& top, int& left, int& bottom, int& right) const {
  top = left = bottom = right = 0;
  if (!window_ || !titleBar_)
    return;
  if (SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) != 0 || top <= 0) {
    // Before the window manager has framed the window its frame is unknown: room for a usual
    // title bar and borders is kept, so that the title bar stays on the screen.
    top = kTitleBarGuess;
    left = right = bottom = kBorderGuess;
  }
}

bool SdlDisplay::Rescale() {
  const double before = factor_;
  UpdateFactor();
  if (factor_ == before)
    return false;
  ApplyWindowSize();
  CreateTexture();
  ApplyShape();
  return true;
}

void SdlDisplay::NoteFramed() {
  if (framed_ || !shown_ || !window_ || !titleBar_ || fullScreen_)
    return;
  int top = 0, left = 0, bottom = 0, right = 0;
  if (SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) != 0 || top <= 0)
    return;
  framed_ = true;
  if (Rescale())
    Redraw();
  KeepInWorkArea();
}

void SdlDisplay::KeepInWorkArea() {
  if (fullScreen_ || !window_)
    return;
  SDL_Rect usable{0, 0, 0, 0};
  const int index = std::max(0, SDL_GetWindowDisplayIndex(window_));
  if (SDL_GetDisplayUsableBounds(index, &usable) != 0 || usable.w <= 0 || usable.h <= 0)
    return;
  int top = 0, left = 0, bottom = 0, right = 0;
  FrameExtents(top, left, bottom, right);
  int x = 0, y = 0, w = 0, h = 0;
  SDL_GetWindowPosition(window_, &x, &y);
  SDL_GetWindowSize(window_, &w, &h);
  // The frame (title bar and borders included) inside the work area; one larger than the
  // work area keeps its title bar on the screen.
  const int nx = std::max(usable.x + left, std::min(x, usable.x + usable.w - right - w));
  const int ny = std::max(usable.y + top, std::min(y, usable.y + usable.h - bottom - h));
  if (nx != x || ny != y)
    SDL_SetWindowPosition(window_, nx, ny);
}

void SdlDisplay::ApplyWindowSize() {
  surfaceCurrent_ = false;
  if (fullScreen_)
    return;
  SDL_SetWindowSize(window_, std::max(1, Scaled(frame_.Width(), factor_)),
                    std::max(1, Scaled(frame_.Height(), factor_)));
}

void SdlDisplay::SetClientSize(int width, int height) {
  width = std::max(1, width);
  height = std::max(1, height);
  if (width == frame_.Width() && height == frame_.Height())
    return;
  // What fits of the old picture stays until the player paints the new one.
  Surface resized(width, height);
  resized.Blit(frame_, 0, 0, std::min(width, frame_.Width()), std::min(height, frame_.Height()), 0,
               0);
  frame_ = std::move(resized);
  UpdateFactor();
  ApplyWindowSize();
  CreateTexture();
  ApplyShape();
  if (shown_) {
    KeepInWorkArea();
    Redraw();
  }
}

void SdlDisplay::SetPosition(int x, int y) {
  int top = 0, left = 0;
  SDL_GetWindowBordersSize(window_, &top, &left, nullptr, nullptr);
  posX_ = Scaled(x, factor_) + left;
  posY_ = Scaled(y, factor_) + top;
  positioned_ = true;
  SDL_SetWindowPosition(window_, posX_, posY_);
  if (shown_)
    KeepInWorkArea();
}

int SdlDisplay::Left() const {
  int x = 0, y = 0, top = 0, left = 0;
  SDL_GetWindowPosition(window_, &x, &y);
  SDL_GetWindowBordersSize(window_, &top, &left, nullptr, nullptr);
  return static_cast<int>(std::lround((x - left) / factor_));
}

int SdlDisplay::Top() const {
  int x = 0, y = 0, top = 0;
  SDL_GetWindowPosition(window_, &x, &y);
  SDL_GetWindowBordersSize(window_, &top, nullptr, nullptr, nullptr);
  return static_cast<int>(std::lround((y - top) / factor_));
}

void SdlDisplay::SetDecorations(bool titleBar, bool /*minimizeBox*/) {
  // SDL has no say over the window manager's minimise box; it stays as the desktop draws it.
  titleBar_ = titleBar;
  SDL_SetWindowBordered(window_, titleBar ? SDL_TRUE : SDL_FALSE);
}

void SdlDisplay::SetTopmost(bool topmost) {
  topmost_ = topmost;
  SDL_SetWindowAlwaysOnTop(window_, topmost ? SDL_TRUE : SDL_FALSE);
}

void SdlDisplay::SetMinimized(bool minimized) {
  minimized_ = minimized;
  if (!shown_)
    return;  // applied when the window appears
  if (minimized)
    SDL_MinimizeWindow(window_);
  else
    SDL_RestoreWindow(window_);
}

bool SdlDisplay::IsMinimized() const {
  return minimized_ || (SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED) != 0;
}

void SdlDisplay::ApplyFullScreen() {
  SDL_SetWindowFullscreen(window_, fullScreen_ ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  if (!fullScreen_) {
    // A presentation too large for the screen leaves full screen for a window that fits.
    if (!Rescale())
      ApplyWindowSize();
    if (positioned_)
      SDL_SetWindowPosition(window_, posX_, posY_);
    if (shown_)
      KeepInWorkArea();
  }
  if (shown_)
    Redraw();
}

void SdlDisplay::RequestFullScreen(int width, int height) {
  // No display-mode switch: the client area is scaled to the whole screen with black bars.
  projectFullScreen_ = width > 0 && height > 0;
  if (scaling_.fullScreen || fullScreen_ == projectFullScreen_)
    return;
  fullScreen_ = projectFullScreen_;
  ApplyFullScreen();
}

void SdlDisplay::ToggleFullScreen() {
  fullScreen_ = !fullScreen_;
  ApplyFullScreen();
}

ScreenMetrics SdlDisplay::Screen() const {
  ScreenMetrics m;
  const int index = std::max(0, SDL_GetWindowDisplayIndex(window_));
  SDL_DisplayMode mode{};
  if (SDL_GetDesktopDisplayMode(index, &mode) == 0 && mode.w > 0 && mode.h > 0) {
    m.width = static_cast<int>(mode.w / factor_);
    m.height = static_cast<int>(mode.h / factor_);
    const int bits = static_cast<int>(SDL_BITSPERPIXEL(mode.format));
    m.colorBits = bits > 0 ? bits : 32;
  }
  m.workAreaWidth = m.width;
  m.workAreaHeight = m.height;
  SDL_Rect usable{0, 0, 0, 0};
  if (SDL_GetDisplayUsableBounds(index, &usable) == 0 && usable.w > 0 && usable.h > 0) {
    m.workAreaWidth = static_cast<int>(usable.w / factor_);
    m.workAreaHeight = static_cast<int>(usable.h / factor_);
  }
  return m;
}

void SdlDisplay::SetShape(const std::vector<ShapeBox>& boxes) {
  if (boxes == shape_)
    return;
  shape_ = boxes;
  // Only a window made as a shaped window takes a shape, so the window is made again.
  if (shape_.empty() && !shapedWindow_) {
    shapeApplied_ = false;
    return;
  }
  DestroyWindow();
  CreateWindow();
  if (shown_)
    Redraw();
}

void SdlDisplay::ApplyShape() {
  shapeApplied_ = false;
  if (shape_.empty() || !shapedWindow_)
    return;
  const int w = std::max(1, Scaled(frame_.Width(), factor_));
  const int h = std::max(1, Scaled(frame_.Height(), factor_));
  SDL_Surface* mask = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
  if (!mask)
    return;
  SDL_FillRect(mask, nullptr, 0);
  for (const ShapeBox& b : shape_) {
    const SDL_Rect r{Scaled(b.left, factor_), Scaled(b.top, factor_),
                     Scaled(b.right - b.left, factor_), Scaled(b.bottom - b.top, factor_)};
    if (r.w > 0 && r.h > 0)
      SDL_FillRect(mask, &r, 0xFF000000u);
  }
  SDL_WindowShapeMode mode{};
  mode.mode = ShapeModeBinarizeAlpha;
  mode.parameters.binarizationCutoff = 128;
  shapeApplied_ = SDL_SetWindowShape(window_, mask, &mode) == 0;
  SDL_FreeSurface(mask);
}

void SdlDisplay::SetCursor(int index) {
  SDL_Cursor* cursor = nullptr;
  if (index >= 0 && index < kCursorCount) {
    if (!cursors_[index] && kSystemCursors[index] != kNoSystemCursor)
      cursors_[index] =
          SDL_CreateSystemCursor(static_cast<SDL_SystemCursor>(kSystemCursors[index]));
    cursor = cursors_[index];
  }
  if (!cursor) {
    if (!arrow_)
      arrow_ = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
    cursor = arrow_;
  }
  if (cursor)
    SDL_SetCursor(cursor);
}

void SdlDisplay::SetCursorImage(int index, int width, int height, std::span<const uint32_t> argb,
                                int hotX, int hotY) {
  if (index < 0 || index >= kCursorCount)
    return;
  if (cursors_[index]) {
    if (SDL_GetCursor() == cursors_[index])
      SetCursor(-1);
    SDL_FreeCursor(cursors_[index]);
    cursors_[index] = nullptr;
  }
  if (width <= 0 || height <= 0 || width > kMaxCursorSide || height > kMaxCursorSide ||
      argb.size() < static_cast<size_t>(width) * static_cast<size_t>(height))
    return;
  std::vector<uint32_t> pixels(argb.begin(), argb.begin() + static_cast<ptrdiff_t>(width) * height);
  SDL_Surface* image = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), width, height, 32,
                                                          width * 4, SDL_PIXELFORMAT_ARGB8888);
  if (!image)
    return;
  cursors_[index] =
      SDL_CreateColorCursor(image, std::clamp(hotX, 0, width - 1), std::clamp(hotY, 0, height - 1));
  SDL_FreeSurface(image);
}

void SdlDisplay::SetClipboardText(const std::string& text) {
  SDL_SetClipboardText(codePage_.ToUtf8(text).c_str());
}

std::string SdlDisplay::ClipboardText() const {
  char* text = SDL_GetClipboardText();
  std::string utf8 = text ? text : "";
  SDL_free(text);
  return codePage_.FromUtf8(utf8);
}

void SdlDisplay::SaveScreenshot() {
  const HostEnvironment env = HostEnvironment::FromProcess();
  const std::filesystem::path config =
      env.xdgConfigHome.empty() ? env.home / ".config" : env.xdgConfigHome;
  std::ifstream dirs(config / "user-dirs.dirs");
  const std::string userDirs{std::istreambuf_iterator<char>(dirs), {}};
  const char* pictures = std::getenv("XDG_PICTURES_DIR");
  const std::filesystem::path folder =
      ScreenshotFolder(PicturesFolder(userDirs, pictures ? pictures : "", env.home));
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::string error;
  const auto path = qlm::SaveScreenshot(frame_, folder, titleUtf8_, local, error);
  ShowNotice(path ? "Screenshot saved as " + path->string() : error);
  if (!diagnostics_)
    return;
  if (path)
    *diagnostics_ << "qlmplayer: screenshot saved as " << path->string() << '\n';
  else
    *diagnostics_ << "qlmplayer: " << error << '\n';
}

void SdlDisplay::SetIcon(const Image24& icon) {
  icon_ = icon;
  ApplyIcon();
}

void SdlDisplay::ApplyIcon() {
  if (!window_ || icon_.Empty() || icon_.pixels.size() < size_t{icon_.width} * icon_.height * 3)
    return;
  // Image24 keeps B, G, R bytes: SDL's BGR24 reads them in that order.
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
      icon_.pixels.data(), static_cast<int>(icon_.width), static_cast<int>(icon_.height), 24,
      static_cast<int>(icon_.width) * 3, SDL_PIXELFORMAT_BGR24);
  if (!surface)
    return;
  SDL_SetWindowIcon(window_, surface);
  SDL_FreeSurface(surface);
}

uint32_t SdlDisplay::WindowId() const {
  return SDL_GetWindowID(window_);
}

int SdlDisplay::DialogScale(int width, int height) const {
  double scale = factor_;
  if (!window_)
    return ChooseDialogScale(scale, 0, width, height, 0, 0);
  int ww = 0, wh = 0;
  SDL_GetWindowSize(window_, &ww, &wh);
  if (fullScreen_ && frame_.Width() > 0)
    scale =
        static_cast<double>(FitView(frame_.Width(), frame_.Height(), ww, wh).w) / frame_.Width();
  const int index = std::max(0, SDL_GetWindowDisplayIndex(window_));
  float dpi = 0;
  if (SDL_GetDisplayDPI(index, nullptr, &dpi, nullptr) != 0)
    dpi = 0;
  SDL_Rect room{};
  if (SDL_GetDisplayUsableBounds(index, &room) != 0)
    room = {};
  return ChooseDialogScale(scale, dpi, width, height, room.w, room.h);
}

void SdlDisplay::WindowToClient(int windowX, int windowY, int& x, int& y) const {
  int ww = 0, wh = 0;
  SDL_GetWindowSize(window_, &ww, &wh);
  OutputToClient(FitView(frame_.Width(), frame_.Height(), ww, wh), frame_.Width(), frame_.Height(),
                 windowX, windowY, x, y);
}

ViewBox SdlDisplay::ClientToWindow(int x, int y, int w, int h) const {
  if (frame_.Width() <= 0 || frame_.Height() <= 0)
    return {};
  int ww = 0, wh = 0;
  SDL_GetWindowSize(window_, &ww, &wh);
  const ViewBox view = FitView(frame_.Width(), frame_.Height(), ww, wh);
  const auto across = [](int v, int out, int in) {
    return static_cast<int>(int64_t{v} * out / in);
  };
  ViewBox box;
  box.x = view.x + across(x, view.w, frame_.Width());
  box.y = view.y + across(y, view.h, frame_.Height());
  box.w = view.x + across(x + w, view.w, frame_.Width()) - box.x;
  box.h = view.y + across(y + h, view.h, frame_.Height()) - box.y;
  return box;
}

void SdlDisplay::SetTextInputRect(int x, int y, int w, int h) {
  const ViewBox box = ClientToWindow(x, y, w, h);
  if (box == ViewBox{})
    return;
  SDL_Rect r{box.x, box.y, std::max(1, box.w), std::max(1, box.h)};
  SDL_SetTextInputRect(&r);
}

}  // namespace qlm
