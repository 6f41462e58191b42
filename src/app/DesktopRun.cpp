#include "app/DesktopRun.h"

#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "app/JsonPlayerEvents.h"
#include "app/PlayerBuilder.h"
#include "graphics/ImageCodec.h"
#include "platform/headless/JsonLinesWriter.h"
#include "platform/host/HostProcesses.h"
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

// The project's icon as the build draws it beside the program, or as it is installed.
Image24 ProgramIcon(const std::filesystem::path& executable) {
  const std::filesystem::path dir = executable.parent_path();
  for (const std::filesystem::path& path :
       {dir / "icons/64x64/qlmplayer.png",
        dir / "../share/icons/hicolor/64x64/apps/qlmplayer.png"}) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    if (std::optional<Image24> icon = DecodePng(bytes))
      return *std::move(icon);
  }
  return {};
}

}  // namespace

std::optional<int> RunDesktop(const PlayerProcess& process, const PlayerOptions& options,
                              std::string& why) {
  std::unique_ptr<SdlVideo> video = SdlVideo::Open(why);
  if (!video)
    return std::nullopt;
  std::ostream& out = *process.out;
  const CodePage codePage(options.codePage);
  std::unique_ptr<SdlDisplay> display;
  try {
    display = std::make_unique<SdlDisplay>(
        SdlScaling{options.scale, options.scaleFit, options.fullScreen}, codePage, process.err);
  } catch (const std::exception& e) {
    why = e.what();
    return std::nullopt;
  }
  display->SetIcon(ProgramIcon(process.executable));

  SdlClock clock;
  SdlEventLoop loop(clock, *display, codePage);
  SdlDialogs dialogs(loop, *display, codePage);
  JsonLinesWriter json(out, codePage);
  JsonPlayerEvents events(json);
  PlayerBuilder builder(process, options, MediaModuleOptions{});
  PlayerContext context = builder.Build(loop, *display, dialogs, options.json ? &events : nullptr);
  // The desktop starts what Run and launching objects name; headless runs only report it.
  HostProcesses processes(process.executable);
  context.processes = &processes;

  int code = kExitOk;
  {
    PlayerApp app(context, process.executable);
    app.SetDiagnostics(process.err);
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
