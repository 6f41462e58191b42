#include "platform/sdl/SdlDialogs.h"

#include <SDL.h>

#include <algorithm>
#include <iostream>
#include <optional>

#include "graphics/Font.h"
#include "graphics/Surface.h"
#include "platform/FilePickerModel.h"
#include "platform/sdl/ColourPickerView.h"
#include "platform/sdl/DialogCanvas.h"
#include "platform/sdl/DialogKit.h"
#include "platform/sdl/DialogWindow.h"
#include "platform/sdl/FilePickerView.h"
#include "platform/sdl/FontPickerView.h"
#include "platform/sdl/MessageBoxControl.h"
#include "platform/sdl/MessageBoxPainter.h"
#include "platform/sdl/PrintDialogView.h"
#include "platform/sdl/SdlDisplay.h"
#include "platform/sdl/SdlKeyMap.h"

namespace qlm {
namespace {

constexpr uint32_t kTopmostStyle = 0x40000;
constexpr uint32_t kSecondButtonDefault = 0x100;

// The scale a dialog window is drawn at and the fonts for its text at that scale.
struct DialogScaling {
  int scale = 1;
  FontCache* fonts = nullptr;
};

// One open box: its window, its picture and what the user did to it.
class MessageBoxWindow {
 public:
  MessageBoxWindow(MessageBoxPainter& painter, MessageBoxControl& control, MessageBoxLayout layout,
                   DialogScaling scaling)
      : painter_(painter),
        control_(control),
        layout_(std::move(layout)),
        scaling_(scaling),
        picture_(layout_.width * scaling.scale, layout_.height * scaling.scale) {}

  bool Open(const std::string& captionUtf8, SDL_Window* owner, bool topmost) {
    if (!window_.Open(captionUtf8, picture_.Width(), picture_.Height(), owner, topmost))
      return false;
    Draw();
    return true;
  }

  uint32_t Id() const { return window_.Id(); }
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
          pressed_ = MessageBoxPainter::ButtonAt(layout_, e.button.x / scaling_.scale,
                                                 e.button.y / scaling_.scale);
          control_.SetFocus(pressed_);
          Draw();
        }
        break;
      case SDL_MOUSEBUTTONUP:
        if (e.button.button == SDL_BUTTON_LEFT && pressed_ >= 0) {
          // Only a release over the button that was pressed chooses it.
          if (MessageBoxPainter::ButtonAt(layout_, e.button.x / scaling_.scale,
                                          e.button.y / scaling_.scale) == pressed_)
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
    DialogCanvas canvas(picture_, scaling_.scale, scaling_.fonts);
    painter_.Paint(canvas, layout_, control_, pressed_);
    window_.Present(picture_);
  }

  MessageBoxPainter& painter_;
  MessageBoxControl& control_;
  MessageBoxLayout layout_;
  DialogScaling scaling_;
  Surface picture_;
  DialogWindow window_;
  int pressed_ = -1;
  std::optional<int> answer_;
};

// One open picker: the window that shows a view and hands it the window's events.
class PickerWindow {
 public:
  PickerWindow(PickerView& view, DialogScaling scaling)
      : view_(view),
        scaling_(scaling),
        picture_(view.Width() * scaling.scale, view.Height() * scaling.scale) {}

  bool Open(const std::string& titleUtf8, SDL_Window* owner) {
    if (!window_.Open(titleUtf8, picture_.Width(), picture_.Height(), owner, false))
      return false;
    Draw();
    return true;
  }
  uint32_t Id() const { return window_.Id(); }

  void Handle(const SDL_Event& e) {
    switch (e.type) {
      case SDL_QUIT:
        view_.Cancel();
        return;
      case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE)
          view_.Cancel();
        else if (e.window.event == SDL_WINDOWEVENT_EXPOSED)
          Draw();
        return;
      case SDL_KEYDOWN:
        view_.Key(VirtualKeyFromSdl(e.key.keysym.scancode, e.key.keysym.sym, e.key.keysym.mod),
                  ModifiersFromSdl(e.key.keysym.mod));
        break;
      case SDL_TEXTINPUT:
        view_.Text(e.text.text);
        break;
      case SDL_MOUSEMOTION:
        mouseX_ = e.motion.x / scaling_.scale;
        mouseY_ = e.motion.y / scaling_.scale;
        return;
      case SDL_MOUSEBUTTONDOWN:
        if (e.button.button != SDL_BUTTON_LEFT)
          return;
        view_.MouseDown(e.button.x / scaling_.scale, e.button.y / scaling_.scale, e.button.clicks);
        break;
      case SDL_MOUSEBUTTONUP:
        if (e.button.button != SDL_BUTTON_LEFT)
          return;
        view_.MouseUp(e.button.x / scaling_.scale, e.button.y / scaling_.scale);
        break;
      case SDL_MOUSEWHEEL:
        view_.Wheel(mouseX_, mouseY_,
                    e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y);
        break;
      default:
        return;
    }
    Draw();
  }

 private:
  void Draw() {
    DialogCanvas canvas(picture_, scaling_.scale, scaling_.fonts);
    view_.Paint(canvas);
    window_.Present(picture_);
  }

  PickerView& view_;
  DialogScaling scaling_;
  Surface picture_;
  DialogWindow window_;
  int mouseX_ = 0;
  int mouseY_ = 0;
};

}  // namespace

SdlDialogs::SdlDialogs(SdlEventLoop& loop, SdlDisplay& display, CodePage codePage)
    : loop_(loop), display_(display), codePage_(std::move(codePage)) {
  // A full-screen player stays on the screen while its dialog has the focus.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
}

SdlDialogs::~SdlDialogs() = default;

FontCache* SdlDialogs::ScaledFonts(int scale) {
  if (scale <= 1)
    return nullptr;
  if (!scaledFonts_)
    scaledFonts_ = std::make_unique<FontCache>();
  return scaledFonts_.get();
}

SDL_Window* SdlDialogs::Owner() const {
  // The player's window, also while it is still hidden (a box of the first page's script).
  return SDL_GetWindowFromID(display_.WindowId());
}

SdlDialogs::ModalEnd SdlDialogs::RunModal(uint32_t id, SdlEventLoop::ModalHandler handler,
                                          const std::function<bool()>& finished,
                                          uint64_t deadline) {
  loop_.PushModal(id, [this, handler = std::move(handler)](const SDL_Event& e) {
    if (e.type == SDL_QUIT)
      quitRequested_ = true;
    handler(e);
  });
  ++open_;
  ModalEnd end = ModalEnd::kFinished;
  for (;;) {
    if (finished())
      break;
    if (loop_.TickCount() >= deadline) {
      end = ModalEnd::kTimedOut;
      break;
    }
    // The player's loop goes on under the box: timers fire, scripts run, the window repaints.
    const uint64_t until = std::min(deadline, loop_.TickCount() + SdlEventLoop::kSourcePollMs);
    if (loop_.WaitUntil(until)) {
      end = ModalEnd::kQuit;
      break;
    }
  }
  --open_;
  loop_.PopModal(id);
  if (end == ModalEnd::kFinished && quitRequested_) {
    // The box took the request to end the program (it closed with it): the player gets it too.
    quitRequested_ = false;
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
  }
  return end;
}

int SdlDialogs::MessageBoxTimeout(const std::string& text, const std::string& caption,
                                  uint32_t style, uint32_t timeoutMs) {
  MessageBoxControl control(style);
  return ShowBox(text, caption, style, control, timeoutMs, false);
}

int SdlDialogs::AskConsent(const std::string& text) {
  MessageBoxControl control = MessageBoxControl::Consent();
  return ShowBox(text, Caption(), mb::kIconWarning, control, 0, true);
}

int SdlDialogs::ShowBox(const std::string& text, const std::string& caption, uint32_t style,
                        MessageBoxControl& control, uint32_t timeoutMs, bool dataLines) {
  if (!painter_)
    painter_ = std::make_unique<MessageBoxPainter>();
  const std::string captionUtf8 = codePage_.ToUtf8(caption);
  MessageBoxLayout layout =
      painter_->Layout(codePage_.ToUtf8(text), style, control, captionUtf8, dataLines);
  const int scale = display_.DialogScale(layout.width, layout.height);
  MessageBoxWindow box(*painter_, control, std::move(layout), {scale, ScaledFonts(scale)});
  if (!box.Open(captionUtf8, Owner(), (style & kTopmostStyle) != 0))
    return control.EscapeAnswer().value_or(control.DefaultAnswer());

  const uint64_t deadline = timeoutMs > 0 ? loop_.TickCount() + timeoutMs : EventLoop::kForever;
  switch (RunModal(
      box.Id(), [&box](const SDL_Event& e) { box.Handle(e); },
      [&box] { return box.Answer().has_value(); }, deadline)) {
    case ModalEnd::kFinished:
      return *box.Answer();
    case ModalEnd::kTimedOut:
      return idb::kTimedOut;
    case ModalEnd::kQuit:
      break;
  }
  // The program is ending: the box goes with the answer closing it gives.
  return control.EscapeAnswer().value_or(control.DefaultAnswer());
}

bool SdlDialogs::RunPicker(PickerView& view, const std::string& titleUtf8) {
  const int scale = display_.DialogScale(view.Width(), view.Height());
  PickerWindow window(view, {scale, ScaledFonts(scale)});
  if (!window.Open(titleUtf8, Owner())) {
    std::cerr << "qlmplayer: the \"" << titleUtf8
              << "\" picker cannot be opened: " << SDL_GetError() << '\n';
    return false;
  }
  // Typed text reaches the picker's fields; the state of text input is left as it was found.
  const bool typing = SDL_IsTextInputActive();
  if (!typing)
    SDL_StartTextInput();
  const ModalEnd end = RunModal(
      window.Id(), [&window](const SDL_Event& e) { window.Handle(e); },
      [&view] { return view.GetState() != PickerView::State::kOpen; }, EventLoop::kForever);
  if (!typing)
    SDL_StopTextInput();
  return end == ModalEnd::kFinished && view.GetState() == PickerView::State::kAccepted;
}

std::optional<std::string> SdlDialogs::ChooseFile(FileDialogMode mode, const std::string& filter,
                                                  const std::string& initial) {
  std::string title = std::move(nextTitle_);
  nextTitle_.clear();
  if (!places_.files) {
    std::cerr << "qlmplayer: no files to pick from; the file dialog was cancelled\n";
    return std::nullopt;
  }
  if (title.empty()) {
    title = mode == FileDialogMode::kOpen   ? "Open"
            : mode == FileDialogMode::kSave ? "Save As"
                                            : codePage_.ToUtf8(filter);
    if (title.empty())
      title = "Browse for Folder";
  }
  if (!kit_)
    kit_ = std::make_unique<DialogKit>();
  FilePickerModel model(*places_.files, mode, filter, initial, places_.startFolder, places_.places);
  FilePickerView view(model, *kit_, codePage_);
  for (;;) {
    if (!RunPicker(view, title))
      return std::nullopt;
    const std::optional<std::string>& path = view.Result();
    if (mode != FileDialogMode::kSave || !path || !model.IsExistingFile(*path))
      return path;
    // Saving over a file replaces it: only when the user says so (No is the default button).
    const size_t slash = path->rfind('\\');
    const std::string name = slash == std::string::npos ? *path : path->substr(slash + 1);
    if (MessageBox(name + " already exists.\nDo you want to replace it?", codePage_.FromUtf8(title),
                   mb::kYesNo | mb::kIconWarning | kSecondButtonDefault) == idb::kYes)
      return path;
    view.Reopen();
  }
}

std::optional<uint32_t> SdlDialogs::ChooseColour() {
  if (!kit_)
    kit_ = std::make_unique<DialogKit>();
  ColourPickerView view(*kit_);
  if (!RunPicker(view, "Colour"))
    return std::nullopt;
  return view.Colour();
}

std::optional<FontChoice> SdlDialogs::ChooseFont() {
  if (!kit_)
    kit_ = std::make_unique<DialogKit>();
  FontPickerView view(*kit_, InstalledFontFamilies(), 96);
  if (!RunPicker(view, "Font"))
    return std::nullopt;
  return view.Choice();
}

std::optional<PrintChoice> SdlDialogs::ChoosePrint(const PrintDialogRequest& request) {
  if (!kit_)
    kit_ = std::make_unique<DialogKit>();
  PrintDialogView view(*kit_, request);
  if (!RunPicker(view, "Print"))
    return std::nullopt;
  return view.Choice();
}

}  // namespace qlm
