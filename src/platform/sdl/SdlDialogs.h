#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "platform/Dialogs.h"
#include "platform/sdl/SdlEventLoop.h"

namespace qlm {

class DialogKit;
class FontCache;
class FileSystem;
class MessageBoxControl;
class MessageBoxPainter;
class PickerView;
class SdlDisplay;

// Message boxes and pickers of the desktop: small windows of their own, drawn with the player's
// renderer, modal children of the player window. While one is open the player's event loop
// keeps running, so its timers fire and its scripts go on; a box with a timeout closes itself.
// Texts come in the presentation's code page.
class SdlDialogs : public Dialogs {
 public:
  // Where the file pickers look: the file system they list through (its trust policy decides
  // what they show), the folder they open in and the places above the drive roots.
  struct FilePlaces {
    const FileSystem* files = nullptr;
    std::string startFolder;
    std::vector<std::string> places;
  };

  SdlDialogs(SdlEventLoop& loop, SdlDisplay& display, CodePage codePage);
  ~SdlDialogs() override;

  int MessageBox(const std::string& text, const std::string& caption, uint32_t style) override {
    return MessageBoxTimeout(text, caption, style, 0);
  }
  int MessageBoxTimeout(const std::string& text, const std::string& caption, uint32_t style,
                        uint32_t timeoutMs) override;
  int AskConsent(const std::string& text) override;

  // Without file places the file pickers are cancelled (with a note on stderr).
  void SetFilePlaces(FilePlaces places) { places_ = std::move(places); }
  void SetNextFileTitle(std::string title) override { nextTitle_ = std::move(title); }

  std::optional<std::string> ChooseFile(FileDialogMode mode, const std::string& filter,
                                        const std::string& initial) override;
  std::optional<uint32_t> ChooseColour() override;
  std::optional<FontChoice> ChooseFont() override;
  std::optional<PrintChoice> ChoosePrint(const PrintDialogRequest& request) override;

  // Boxes and pickers open right now (nested ones count each).
  int OpenBoxes() const { return open_; }

 private:
  enum class ModalEnd { kFinished, kTimedOut, kQuit };
  // Shows a box with the buttons of `control` until it is answered or times out.
  int ShowBox(const std::string& text, const std::string& caption, uint32_t style,
              MessageBoxControl& control, uint32_t timeoutMs, bool dataLines);
  // Runs the player's loop with the window `id` modal until `finished` says so, the deadline
  // passes or the program is ending.
  ModalEnd RunModal(uint32_t id, SdlEventLoop::ModalHandler handler,
                    const std::function<bool()>& finished, uint64_t deadline);
  // Shows `view` in a window titled `title` until it is accepted or cancelled; true when
  // accepted.
  bool RunPicker(PickerView& view, const std::string& titleUtf8);
  SDL_Window* Owner() const;
  // The fonts of dialogs drawn at `scale`; null at 1, where the dialogs' own fonts draw.
  FontCache* ScaledFonts(int scale);

  SdlEventLoop& loop_;
  SdlDisplay& display_;
  CodePage codePage_;
  std::unique_ptr<MessageBoxPainter> painter_;
  std::unique_ptr<DialogKit> kit_;
  std::unique_ptr<FontCache> scaledFonts_;
  FilePlaces places_;
  std::string nextTitle_;
  int open_ = 0;
  bool quitRequested_ = false;  // a box closed because the program is asked to end
};

}  // namespace qlm
