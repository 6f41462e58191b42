#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "platform/InstanceLock.h"
#include "player/PlayerContext.h"
#include "player/PlayerWindow.h"

namespace qlm {

// The application object: decides which project runs, keeps the single-instance rule and owns
// the player window for the life of the presentation.
class PlayerApp {
 public:
  enum class StartResult {
    kRunning,     // the window is up; run the event loop, then call Finish()
    kHandedOver,  // another instance of this one-instance presentation took the command line
    kNoProject,   // nothing could be read; the reason has been shown
  };

  // ownExecutable: the running program, whose trailer may carry a bundled project.
  PlayerApp(PlayerContext& context, std::filesystem::path ownExecutable);
  ~PlayerApp();
  PlayerApp(const PlayerApp&) = delete;
  PlayerApp& operator=(const PlayerApp&) = delete;

  // Start-up in order: the command line (with the "ECPA|SA:" start page), the container of a
  // stand-alone file or of the player itself, the instance lock and hand-over, the document or
  // the embedded project, and the window's set-up.
  //
  // A stand-alone file named first plays the role of the executable: what follows it is its
  // command line, exactly as if that file had been started with it.
  StartResult StartUp(std::string_view rawCommandLine);

  // Starts with a project given in memory instead (the --blank console, tests).
  StartResult StartWith(Project project, std::string_view rawCommandLine = {});

  // Where the start-up's own message boxes (cannot find, not a document, damaged) are also
  // written; null: boxes only.
  void SetDiagnostics(std::ostream* err) { diagnostics_ = err; }
  // The player's --start-page: the start-page argument goes in second place of the command line
  // (first, after the document); without a document, the start page is taken as it is.
  void SetStartPage(std::optional<std::string> page) { startPage_ = std::move(page); }

  // The shut-down after the event loop.
  void Finish();

  PlayerWindow* Window() { return window_.get(); }
  // The host path the presentation came from (its folder is "<SrcDir>"); empty when none.
  const std::filesystem::path& PresentationPath() const { return presentationPath_; }
  // Why a hand-over failed, when it did.
  const std::string& HandOverError() const { return handOverError_; }

 private:
  StartResult Show();

  PlayerContext& ctx_;
  std::filesystem::path ownExecutable_;
  std::unique_ptr<PlayerWindow> window_;
  std::unique_ptr<InstanceLock> lock_;
  int watchHandle_ = 0;
  std::filesystem::path presentationPath_;
  std::string handOverError_;
  std::ostream* diagnostics_ = nullptr;
  std::optional<std::string> startPage_;
};

}  // namespace qlm
