#include "platform/sdl/SdlDialogs.h"

#include <SDL.h>

#include <algorithm>
#include <iostream>
#include <optional>

#include "graphics/Surface.h"
#include "platform/sdl/MessageBoxControl.h"
#include "platform/sdl/MessageBoxPainter.h"
#include "platform/sdl/SdlDisplay.h"
#include "platform/sdl/SdlEventLoop.h"
#include "platform/sdl/SdlKeyMap.h"

namespace qlm {
namespace {

constexpr uint32_t kTopmostStyle = 0x40000;

// One open box: its window, its picture and what the user did to it.
class MessageBoxWindow {
 public:
  MessageBoxWindow(MessageBoxPainter& painter, MessageBoxControl& control, MessageBoxLayout layout)
      : painter_(painter),
        control_(control),
        layout_(std::move(layout)),
        picture_(layout_.width, layout_.height) {}

  ~MessageBoxWindow() {
    if (texture_)
      SDL_DestroyTexture(texture_);
    if (renderer_)
      SDL_DestroyRenderer(renderer_);
    if (window_)
      SDL_DestroyWindow(window_);
  }
  MessageBoxWindow(const MessageBoxWindow&) = delete;
  MessageBoxWindow& operator=(const MessageBoxWindow&) = delete;

  bool Open(const std::string& captionUtf8, SDL_Window* owner, bool topmost) {
    Uint32 flags = SDL_WINDOW_SHOWN;
    if (topmost)
      flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    window_ = SDL_CreateWindow(captionUtf8.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                               layout_.width, layout_.height, flags);
    if (!window_)
      return false;
    if (owner)
      SDL_SetWindowModalFor(window_, owner);
    // The software renderer: a box is small, and it leaves the player's renderer alone.
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_)
      return false;
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                 layout_.width, layout_.height);
    if (!texture_)
      return false;
    SDL_RaiseWindow(window_);
    Draw();
    return true;
  }

  uint32_t Id() const { return SDL_GetWindowID(window_); }
  const std::optional<int>& Answer() const { return answer_; }

  void Handle(const SDL_Event& e) {
    switch (e.type) {
      case SDL_QUIT:
        Close();
        break;
      case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE)
          Close();
        else if (e.window.event == SDL_WINDOWEVENT_EXPOSED)
          Draw();
        break;
      case SDL_KEYDOWN: {
        const Modifiers m = ModifiersFromSdl(e.key.keysym.mod);
        const uint32_t code =
            VirtualKeyFromSdl(e.key.keysym.scancode, e.key.keysym.sym, e.key.keysym.mod);
        if (auto answer = control_.Key(code, m.shift))
          answer_ = answer;
        Draw();
        break;
      }
      case SDL_MOUSEBUTTONDOWN:
        if (e.button.button == SDL_BUTTON_LEFT) {
          pressed_ = MessageBoxPainter::ButtonAt(layout_, e.button.x, e.button.y);
          control_.SetFocus(pressed_);
          Draw();
        }
        break;
      case SDL_MOUSEBUTTONUP:
        if (e.button.button == SDL_BUTTON_LEFT && pressed_ >= 0) {
          // Only a release over the button that was pressed chooses it.
          if (MessageBoxPainter::ButtonAt(layout_, e.button.x, e.button.y) == pressed_)
            answer_ = control_.Buttons()[static_cast<size_t>(pressed_)].id;
          pressed_ = -1;
          Draw();
        }
        break;
      default:
        break;
    }
  }

  // The close box and the end of the program: the Escape answer where the box has one.
  void Close() {
    if (auto answer = control_.EscapeAnswer())
      answer_ = answer;
  }

 private:
  void Draw() {
    painter_.Paint(picture_, layout_, control_, pressed_);
    SDL_UpdateTexture(texture_, nullptr, picture_.Row(0), picture_.Width() * 4);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
  }

  MessageBoxPainter& painter_;
  MessageBoxControl& control_;
  MessageBoxLayout layout_;
  Surface picture_;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  int pressed_ = -1;
  std::optional<int> answer_;
};

}  // namespace

SdlDialogs::SdlDialogs(SdlEventLoop& loop, SdlDisplay& display, CodePage codePage)
    : loop_(loop), display_(display), codePage_(std::move(codePage)) {}

SdlDialogs::~SdlDialogs() = default;

int SdlDialogs::MessageBoxTimeout(const std::string& text, const std::string& caption,
                                  uint32_t style, uint32_t timeoutMs) {
  if (!painter_)
    painter_ = std::make_unique<MessageBoxPainter>();
  MessageBoxControl control(style);
  MessageBoxWindow box(*painter_, control,
                       painter_->Layout(codePage_.ToUtf8(text), style, control));
  SDL_Window* owner = display_.Shown() ? SDL_GetWindowFromID(display_.WindowId()) : nullptr;
  if (!box.Open(codePage_.ToUtf8(caption), owner, (style & kTopmostStyle) != 0))
    return control.EscapeAnswer().value_or(control.DefaultAnswer());

  const uint64_t deadline = timeoutMs > 0 ? loop_.TickCount() + timeoutMs : EventLoop::kForever;
  const uint32_t id = box.Id();
  loop_.PushModal(id, [&box](const SDL_Event& e) { box.Handle(e); });
  ++open_;
  int answer = control.DefaultAnswer();
  for (;;) {
    if (box.Answer()) {
      answer = *box.Answer();
      break;
    }
    if (loop_.TickCount() >= deadline) {
      answer = idb::kTimedOut;
      break;
    }
    // The player's loop goes on under the box: timers fire, scripts run, the window repaints.
    const uint64_t until = std::min(deadline, loop_.TickCount() + SdlEventLoop::kSourcePollMs);
    if (loop_.WaitUntil(until)) {
      // The program is ending: the box goes with the answer closing it gives.
      answer = control.EscapeAnswer().value_or(control.DefaultAnswer());
      break;
    }
  }
  --open_;
  loop_.PopModal(id);
  return answer;
}

namespace {

void NoteCancelled(const char* what) {
  std::cerr << "qlmplayer: the " << what
            << " dialog is not available on the desktop yet; it was cancelled\n";
}

}  // namespace

std::optional<std::string> SdlDialogs::ChooseFile(FileDialogMode mode, const std::string&,
                                                  const std::string&) {
  NoteCancelled(mode == FileDialogMode::kFolder ? "folder"
                : mode == FileDialogMode::kSave ? "save-file"
                                                : "open-file");
  return std::nullopt;
}

std::optional<uint32_t> SdlDialogs::ChooseColour() {
  NoteCancelled("colour");
  return std::nullopt;
}

std::optional<FontChoice> SdlDialogs::ChooseFont() {
  NoteCancelled("font");
  return std::nullopt;
}

}  // namespace qlm
