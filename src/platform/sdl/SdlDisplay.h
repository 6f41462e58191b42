#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "graphics/Font.h"
#include "graphics/Image24.h"
#include "graphics/Surface.h"
#include "platform/CodePage.h"
#include "platform/Display.h"
#include "platform/sdl/ViewTransform.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Surface;
struct SDL_Cursor;

namespace qlm {

// How the client area is scaled into the window.
struct SdlScaling {
  int factor = 1;    // whole-number scale, 1 to 8
  bool fit = false;  // as large as the screen's usable area allows, aspect kept
  // true: full screen from the start (--fullscreen), false: always a window (--windowed); either
  // overrides what the project asks for. Unset: the project decides.
  std::optional<bool> fullScreen;
};

// The player window on the desktop: an SDL window showing the client area through a streaming
// texture. Presents copy only the dirty rectangle into the texture. The player works in client
// pixels; the window may be a multiple of them (--scale N), fitted to the screen (--scale fit)
// or full screen with black bars (Alt+Enter, or a project that asks for another resolution).
// Positions and screen metrics are reported in client pixels, so that a centred window stays
// centred whatever the scale.
//
// A whole-number scale too large for the screen's work area (less the window frame) is lowered
// to one that fits, and `diagnostics` (may be null) is told so.
//
// Needs an open SdlVideo. Throws std::runtime_error when the window cannot be made.
class SdlDisplay : public Display {
 public:
  static constexpr int kCursorCount = 17;

  SdlDisplay(SdlScaling scaling, CodePage codePage, std::ostream* diagnostics = nullptr);
  ~SdlDisplay() override;
  SdlDisplay(const SdlDisplay&) = delete;
  SdlDisplay& operator=(const SdlDisplay&) = delete;

  // Display.
  void Present(const Surface& frame, int x, int y, int w, int h) override;
  void SetTitle(const std::string& title) override;
  void SetClientSize(int width, int height) override;
  int ClientWidth() const override { return frame_.Width(); }
  int ClientHeight() const override { return frame_.Height(); }
  void SetPosition(int x, int y) override;
  int Left() const override;
  int Top() const override;
  void SetDecorations(bool titleBar, bool minimizeBox) override;
  void SetTopmost(bool topmost) override;
  void SetMinimized(bool minimized) override;
  bool IsMinimized() const override;
  void RequestFullScreen(int width, int height) override;
  ScreenMetrics Screen() const override;
  void SetShape(const std::vector<ShapeBox>& boxes) override;
  void SetCursor(int index) override;
  void SetCursorImage(int index, int width, int height, std::span<const uint32_t> argb, int hotX,
                      int hotY) override;
  void SetClipboardText(const std::string& text) override;
  std::string ClipboardText() const override;

  // For the event loop.
  uint32_t WindowId() const;
  // A point of the window (as mouse events give it) in client coordinates.
  void WindowToClient(int windowX, int windowY, int& x, int& y) const;
  // A box of the client area in window pixels, as the frame is shown (scaled, letterboxed).
  ViewBox ClientToWindow(int x, int y, int w, int h) const;
  // The window itself, for the parts of the frontend that speak to the window system.
  SDL_Window* Window() const { return window_; }
  void SetTextInputRect(int x, int y, int w, int h) override;
  // Alt+Enter and F11: full screen with black bars, or back to the window.
  void ToggleFullScreen();
  bool IsFullScreen() const { return fullScreen_; }
  // F12: the client area as last presented, unscaled, as a PNG in the pictures folder
  // (the desktop's pictures folder, else ~/Pictures, in its qlmplayer folder); the diagnostics
  // say where, and so does a notice over the picture.
  void SaveScreenshot();
  // A short notice shown over the bottom of the picture for kNoticeMs (never part of the frame
  // or its screenshots).
  static constexpr uint64_t kNoticeMs = 2000;
  static constexpr uint32_t kNoticeFill = 0x202020;
  void ShowNotice(const std::string& textUtf8);
  // Milliseconds until the notice goes (nullopt: none is shown); and its going, when due.
  std::optional<uint64_t> NoticeLeftMs() const;
  void ExpireNotice();
  // The window's icon (an opaque picture); an empty image leaves the desktop's own.
  void SetIcon(const Image24& icon);
  // Draws the texture again (the window was uncovered or resized).
  void Redraw();
  // Uploads the whole kept frame again (the renderer lost its textures).
  void Reupload();
  void NoteMinimized(bool minimized) { minimized_ = minimized; }
  // The window manager may have framed the window: the first time its frame is known, the
  // scale and the place are checked against the work area again with it.
  void NoteFramed();

  // What the window shows, as last presented; and whether it is on the screen yet.
  const Surface& Frame() const { return frame_; }
  bool Shown() const { return shown_; }
  // The window's shape is applied by the window system (false: kept, but rectangular).
  bool ShapeApplied() const { return shapeApplied_; }
  // The scale from client pixels to window pixels in the window (not full-screen) state.
  double Factor() const { return factor_; }
  // The scale of a dialog of width x height in dialog pixels over this window (see
  // ChooseDialogScale): the window's scale, or the full-screen picture's.
  int DialogScale(int width, int height) const;

 private:
  void CreateWindow();
  void DestroyWindow();
  void CreateRenderer();
  void DestroyRenderer();
  void CreateTexture();
  // The window shows the frame at its own size.
  bool Unscaled() const;
  // The window surface when the frame is unscaled (true), else the renderer and its texture.
  bool ChoosePath();
  // Frame pixels into the window surface.
  void CopyToSurface(int x, int y, int w, int h);
  // Shows the box through the window surface; false when the renderer shows the frame.
  bool PresentRect(int x, int y, int w, int h);
  void ApplyShape();
  void UpdateFactor();
  // UpdateFactor, and when the scale changed, the window's size, texture and shape follow it.
  // True when it changed.
  bool Rescale();
  // The title bar and borders the window manager puts around the window (a usual frame while
  // it has not said yet); none without a title bar.
  void FrameExtents(int& top, int& left, int& bottom, int& right) const;
  // Moves the window so that its frame lies inside the screen's work area.
  void KeepInWorkArea();
  void ApplyWindowSize();
  void ApplyFullScreen();
  void Upload(int x, int y, int w, int h);
  // Where the notice goes in an output of outW x outH pixels.
  ViewBox NoticeRect(int outW, int outH) const;
  // The notice over the window surface (the unscaled path), sent to the screen.
  void DrawNoticeOnSurface();
  void Show();
  void ApplyIcon();

  SdlScaling scaling_;
  CodePage codePage_;
  std::ostream* diagnostics_ = nullptr;
  double clampNoted_ = 0;  // the lowered scale last reported, so that it is said once
  double factor_ = 1;
  Surface frame_;
  std::string titleUtf8_;
  Image24 icon_;
  bool titleBar_ = true;
  bool topmost_ = false;
  bool minimized_ = false;
  bool shown_ = false;
  bool fullScreen_ = false;         // what the window is now
  bool projectFullScreen_ = false;  // what the project asked for
  bool positioned_ = false;
  bool framed_ = false;      // the window manager's frame was known once the window was shown
  int posX_ = 0, posY_ = 0;  // window pixels, when positioned_
  std::vector<ShapeBox> shape_;
  bool shapeApplied_ = false;
  bool shapedWindow_ = false;  // the window was made by SDL_CreateShapedWindow

  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  SDL_Surface* windowSurface_ = nullptr;  // the window's own pixels, while unscaled
  bool surfaceCurrent_ = false;           // windowSurface_ holds the whole frame
  std::array<SDL_Cursor*, kCursorCount> cursors_{};
  std::array<bool, kCursorCount> customCursor_{};
  SDL_Cursor* arrow_ = nullptr;
  // The notice: its picture (drawn at the window's scale), when it goes, its texture.
  Surface notice_;
  uint64_t noticeUntil_ = 0;
  SDL_Texture* noticeTexture_ = nullptr;
  std::unique_ptr<FontCache> noticeFonts_;
};

}  // namespace qlm
