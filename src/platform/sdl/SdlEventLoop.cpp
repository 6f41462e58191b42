#include "platform/sdl/SdlEventLoop.h"

#include <algorithm>

#include "platform/KeyNames.h"
#include "platform/sdl/SdlDisplay.h"
#include "platform/sdl/SdlKeyMap.h"
#include "platform/sdl/SoundOffNotice.h"

namespace qlm {

SdlEventLoop::SdlEventLoop(Clock& clock, SdlDisplay& display, CodePage codePage)
    : EventLoop(clock), display_(display), codePage_(std::move(codePage)) {
  SDL_StartTextInput();
}

SdlEventLoop::~SdlEventLoop() {
  SDL_StopTextInput();
}

void SdlEventLoop::PushModal(uint32_t windowId, ModalHandler handler) {
  modals_.push_back({windowId, std::move(handler)});
}

void SdlEventLoop::PopModal(uint32_t windowId) {
  std::erase_if(modals_, [windowId](const Modal& m) { return m.windowId == windowId; });
}

void SdlEventLoop::WaitForEvents(uint64_t deadline) {
  const uint64_t now = TickCount();
  uint64_t wait = deadline > now ? deadline - now : 0;
  if (HasSources() || !modals_.empty())
    wait = std::min(wait, kSourcePollMs);
  // A notice over the picture goes when its time is up.
  if (const std::optional<uint64_t> notice = display_.NoticeLeftMs())
    wait = std::min(wait, *notice);
  // A null event only waits: what arrived stays queued for CollectEvents.
  if (wait >= static_cast<uint64_t>(INT32_MAX))
    SDL_WaitEvent(nullptr);
  else
    SDL_WaitEventTimeout(nullptr, static_cast<int>(wait));
}

void SdlEventLoop::CollectEvents() {
  SDL_Event event;
  while (SDL_PollEvent(&event))
    Translate(event);
  if (sound_)
    sound_->Check();
  display_.ExpireNotice();
}

uint32_t SdlEventLoop::EventWindow(const SDL_Event& event) {
  switch (event.type) {
    case SDL_WINDOWEVENT:
      return event.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      return event.key.windowID;
    case SDL_TEXTINPUT:
      return event.text.windowID;
    case SDL_TEXTEDITING:
      return event.edit.windowID;
    case SDL_MOUSEMOTION:
      return event.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      return event.button.windowID;
    case SDL_MOUSEWHEEL:
      return event.wheel.windowID;
    default:
      return 0;
  }
}

void SdlEventLoop::Translate(const SDL_Event& event) {
  const uint32_t window = EventWindow(event);
  if (!modals_.empty()) {
    for (auto it = modals_.rbegin(); it != modals_.rend(); ++it) {
      if (window != 0 && it->windowId == window) {
        // A copy: the handler may close its window and pop itself.
        const ModalHandler handler = it->handler;
        handler(event);
        return;
      }
    }
    // The end of the program goes to the top box; so do keys and text that the system gave the
    // player window (SDL names the window that had the keyboard focus last, which is the
    // player's when it appeared after the box), as a modal box owns the keyboard.
    const bool typed = event.type == SDL_KEYDOWN || event.type == SDL_KEYUP ||
                       event.type == SDL_TEXTINPUT || event.type == SDL_TEXTEDITING;
    if (event.type == SDL_QUIT || (typed && (window == 0 || window == display_.WindowId()))) {
      const ModalHandler handler = modals_.back().handler;
      handler(event);
      return;
    }
    // A click on the player window, the focus coming to it, or the window appearing or coming
    // forward (a box of the first page's script opens before the window; a new size may map it
    // again) brings the box back on top.
    if (window != 0 && window == display_.WindowId() &&
        (event.type == SDL_MOUSEBUTTONDOWN ||
         (event.type == SDL_WINDOWEVENT && (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED ||
                                            event.window.event == SDL_WINDOWEVENT_TAKE_FOCUS ||
                                            event.window.event == SDL_WINDOWEVENT_SHOWN ||
                                            event.window.event == SDL_WINDOWEVENT_EXPOSED)))) {
      if (SDL_Window* box = SDL_GetWindowFromID(modals_.back().windowId))
        SDL_RaiseWindow(box);
    }
    // The player window under a modal box keeps painting but takes no input.
    if (event.type == SDL_WINDOWEVENT && window == display_.WindowId() &&
        event.window.event != SDL_WINDOWEVENT_CLOSE)
      TranslateWindowEvent(event.window);
    else if (event.type == SDL_RENDER_TARGETS_RESET || event.type == SDL_RENDER_DEVICE_RESET)
      display_.Reupload();
    return;
  }

  switch (event.type) {
    case SDL_QUIT:
      PostInput(CloseEvent{});
      return;
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
      display_.Reupload();
      return;
    default:
      break;
  }
  if (window != display_.WindowId())
    return;
  switch (event.type) {
    case SDL_WINDOWEVENT:
      TranslateWindowEvent(event.window);
      break;
    case SDL_MOUSEMOTION: {
      MouseEvent m{MouseAction::kMove, 0, 0, ModifiersFromSdl(SDL_GetModState())};
      display_.WindowToClient(event.motion.x, event.motion.y, m.x, m.y);
      PostInput(m);
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      TranslateMouseButton(event.button);
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      TranslateKey(event.key);
      break;
    case SDL_TEXTINPUT: {
      const std::string bytes = codePage_.FromUtf8(event.text.text);
      for (char c : bytes)
        PostInput(CharEvent{static_cast<uint8_t>(c)});
      break;
    }
    case SDL_MOUSEWHEEL:
      TranslateWheel(event.wheel);
      break;
    case SDL_TEXTEDITING:
      PostInput(CompositionEvent{codePage_.FromUtf8(event.edit.text)});
      break;
    default:
      break;
  }
}

void SdlEventLoop::TranslateWheel(const SDL_MouseWheelEvent& e) {
  // Notches away from the user are positive, whatever the desktop's natural scrolling says.
  const int notches = e.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.y : e.y;
  if (notches == 0)
    return;
  int windowX = 0, windowY = 0;
  SDL_GetMouseState(&windowX, &windowY);
  MouseEvent m{MouseAction::kWheel, 0, 0, ModifiersFromSdl(SDL_GetModState())};
  m.wheel = notches;
  display_.WindowToClient(windowX, windowY, m.x, m.y);
  PostInput(m);
}

void SdlEventLoop::TranslateWindowEvent(const SDL_WindowEvent& e) {
  switch (e.event) {
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      display_.NoteFramed();
      display_.Redraw();
      break;
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_MOVED:
      display_.NoteFramed();
      break;
    case SDL_WINDOWEVENT_MINIMIZED:
      display_.NoteMinimized(true);
      break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
      display_.NoteMinimized(false);
      display_.Redraw();
      break;
    case SDL_WINDOWEVENT_CLOSE:
      PostInput(CloseEvent{});
      break;
    default:
      break;
  }
}

void SdlEventLoop::TranslateMouseButton(const SDL_MouseButtonEvent& e) {
  const bool down = e.type == SDL_MOUSEBUTTONDOWN;
  MouseEvent m{MouseAction::kMove, 0, 0, ModifiersFromSdl(SDL_GetModState())};
  if (e.button == SDL_BUTTON_LEFT) {
    leftDown_ = down;
    // As on Windows: the second press of a double click is a double click, the third a press.
    if (down)
      m.action = e.clicks >= 2 && e.clicks % 2 == 0 ? MouseAction::kLeftDoubleClick
                                                    : MouseAction::kLeftDown;
    else
      m.action = MouseAction::kLeftUp;
  } else if (e.button == SDL_BUTTON_RIGHT) {
    m.action = down ? MouseAction::kRightDown : MouseAction::kRightUp;
  } else {
    return;
  }
  display_.WindowToClient(e.x, e.y, m.x, m.y);
  PostInput(m);
}

void SdlEventLoop::TranslateKey(const SDL_KeyboardEvent& e) {
  const uint16_t mod = e.keysym.mod;
  const Modifiers modifiers = ModifiersFromSdl(mod);
  const uint32_t code = VirtualKeyFromSdl(e.keysym.scancode, e.keysym.sym, mod);
  const bool noModifiers = !modifiers.alt && !modifiers.ctrl && !modifiers.shift;
  if ((code == vk::kReturn && modifiers.alt && !modifiers.ctrl && !modifiers.shift) ||
      (code == vk::kF1 + 10 && noModifiers)) {  // F11
    if (e.type == SDL_KEYDOWN && !e.repeat)
      display_.ToggleFullScreen();
    return;
  }
  if (code == vk::kF1 + 11 && noModifiers) {  // F12
    if (e.type == SDL_KEYDOWN && !e.repeat)
      display_.SaveScreenshot();
    return;
  }
  if (code == 0)
    return;
  const bool down = e.type == SDL_KEYDOWN;
  PostInput(KeyEvent{down ? KeyAction::kDown : KeyAction::kUp, code, modifiers});
  // SDL types no character for these keys; Windows does.
  if (down) {
    if (const uint8_t c = ControlCharFromKey(code, modifiers))
      PostInput(CharEvent{c});
  }
}

}  // namespace qlm
