#include "app/DesktopRun.h"

#include <exception>
#include <memory>

#include "app/JsonPlayerEvents.h"
#include "media/MpvMediaBackend.h"
#include "platform/HostFileSystem.h"
#include "platform/HostProcesses.h"
#include "platform/HostSystemInformation.h"
#include "platform/IniProfileStore.h"
#include "platform/SystemFolders.h"
#include "platform/headless/JsonLinesWriter.h"
#include "platform/sdl/SdlClock.h"
#include "platform/sdl/SdlDialogs.h"
#include "platform/sdl/SdlDisplay.h"
#include "platform/sdl/SdlEventLoop.h"
#include "platform/sdl/SdlVideo.h"
#include "player/PlayerApp.h"

namespace qlm {
namespace {

// The loop's events go to the application's window from the moment it exists: a message box
// during start-up runs the loop, and what it dispatches (the first paint, timers) must not be
// lost.
class AppWindowHandler : public EventHandler {
 public:
  explicit AppWindowHandler(PlayerApp& app) : app_(app) {}
  void OnTimer(uint32_t id) override {
    if (PlayerWindow* w = app_.Window())
      w->OnTimer(id);
  }
  void OnMessage(const WindowMessage& message) override {
    if (PlayerWindow* w = app_.Window())
      w->OnMessage(message);
  }
  void OnMouse(const MouseEvent& event) override {
    if (PlayerWindow* w = app_.Window())
      w->OnMouse(event);
  }
  void OnKey(const KeyEvent& event) override {
    if (PlayerWindow* w = app_.Window())
      w->OnKey(event);
  }
  void OnChar(const CharEvent& event) override {
    if (PlayerWindow* w = app_.Window())
      w->OnChar(event);
  }
  void OnClose() override {
    if (PlayerWindow* w = app_.Window())
      w->OnClose();
  }

 private:
  PlayerApp& app_;
};

}  // namespace

std::optional<int> RunDesktop(const PlayerProcess& process, const PlayerOptions& options,
                              std::string& why) {
  std::unique_ptr<SdlVideo> video = SdlVideo::Open(why);
  if (!video)
    return std::nullopt;
  std::ostream& out = *process.out;
  std::ostream& err = *process.err;
  const CodePage codePage(options.codePage);
  std::unique_ptr<SdlDisplay> display;
  try {
    display = std::make_unique<SdlDisplay>(SdlScaling{options.scale, options.scaleFit}, codePage);
  } catch (const std::exception& e) {
    why = e.what();
    return std::nullopt;
  }

  SdlClock clock;
  SdlEventLoop loop(clock, *display, codePage);
  SdlDialogs dialogs(loop, *display, codePage);
  JsonLinesWriter json(out, codePage);
  JsonPlayerEvents events(json);
  HostFileSystem files(process.environment, codePage);
  for (const DriveMount& m : options.mounts)
    files.AddMount(m.letter, m.hostPath, m.cdrom);
  if (options.traceFiles)
    files.SetTrace([&err](const std::string& line) { err << line << '\n'; });
  IniProfileStore profile(options.profileDir ? std::filesystem::path(*options.profileDir)
                                             : process.environment.ConfigDir());
  PlayerContext context{loop,        *display,
                        dialogs,     profile,
                        files,       MakeSystemFolders(files, process.environment),
                        codePage,    options.json ? &events : nullptr,
                        options.seed};
  MpvMediaBackend media(MpvMediaBackend::Options{});
  context.media = &media;
  // The desktop starts what Run and launching objects name; headless runs only check and
  // report it.
  HostProcesses processes(process.executable);
  context.processes = &processes;
  const HostSystemInformation system;
  context.system = &system;

  // Relative paths of the presentation start in its folder.
  std::error_code ec;
  if (!options.arguments.empty() && std::filesystem::is_regular_file(options.arguments[0], ec))
    files.SetCurrentFolder(std::filesystem::absolute(options.arguments[0], ec).parent_path());
  else
    files.SetCurrentFolder(std::filesystem::current_path(ec));

  int code = kExitOk;
  {
    PlayerApp app(context, process.executable);
    AppWindowHandler handler(app);
    loop.SetHandler(&handler);
    const PlayerApp::StartResult start =
        options.blank ? app.StartWith(BlankProject()) : app.StartUp(options.commandLine);
    if (start == PlayerApp::StartResult::kHandedOver) {
      code = app.HandOverError().empty() ? kExitOk : kExitNoProject;
    } else if (start == PlayerApp::StartResult::kNoProject) {
      code = kExitNoProject;
    } else {
      // The window's modal loop: the program ends when it returns.
      while (!loop.WaitUntil(EventLoop::kForever)) {
      }
      code = loop.ExitCode();
      app.Finish();
    }
    loop.SetHandler(nullptr);
  }
  if (options.json)
    json.Exit(code);
  return code;
}

}  // namespace qlm
