#include "app/DesktopRun.h"

#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "app/JsonPlayerEvents.h"
#include "app/PlayerBuilder.h"
#include "document/StandaloneContainer.h"
#include "graphics/ImageCodec.h"
#include "platform/headless/JsonLinesWriter.h"
#include "platform/host/CupsPrinters.h"
#include "platform/host/DialogPrinter.h"
#include "platform/host/HostProcesses.h"
#include "platform/sdl/SdlClock.h"
#include "platform/sdl/SdlDialogs.h"
#include "platform/sdl/SdlDisplay.h"
#include "platform/sdl/SdlEventLoop.h"
#include "platform/sdl/SdlSpeechOutput.h"
#include "platform/sdl/SdlVideo.h"
#include "platform/sdl/SoundOffNotice.h"
#include "platform/sdl/X11ProgramWindows.h"
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
  void OnComposition(const CompositionEvent& event) override {
    if (PlayerWindow* w = app_.Window())
      w->OnComposition(event);
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

// True when the program file carries a presentation of its own.
bool CarriesPresentation(const FileSystem& files, const std::filesystem::path& executable) {
  const FileSystem::Opened opened = files.OpenRead(executable.string());
  return opened.file && IsStandaloneFile(*opened.file);
}

// The places of the presentation's pickers: its folder, drive C:, the mounted drives and, when
// it is trusted with everything, the whole host as Z:.
SdlDialogs::FilePlaces PresentationPlaces(const HostFileSystem& files,
                                          const PlayerOptions& options) {
  SdlDialogs::FilePlaces places;
  places.files = &files;
  places.startFolder = files.ToWindows(files.CurrentFolder());
  places.places = {places.startFolder, "C:\\"};
  for (const DriveMount& m : options.mounts)
    places.places.push_back(std::string(1, m.letter) + ":\\");
  if (options.trust)
    places.places.push_back("Z:\\");
  return places;
}

// Started without a document and without a presentation of its own, the player asks for one
// in an open picker over the whole host, starting in the current folder. Returns the chosen
// host path; nullopt when the picker was cancelled.
std::optional<std::filesystem::path> PickPresentation(const PlayerProcess& process,
                                                      SdlDialogs& dialogs,
                                                      const CodePage& codePage) {
  HostFileSystem files(process.environment, codePage);
  std::error_code ec;
  files.SetCurrentFolder(std::filesystem::current_path(ec));
  SdlDialogs::FilePlaces places;
  places.files = &files;
  places.startFolder = files.ToWindows(files.CurrentFolder());
  places.places = {places.startFolder, files.ToWindows(process.environment.home), "Z:\\"};
  dialogs.SetFilePlaces(places);
  dialogs.SetNextFileTitle("Open a presentation");
  const std::optional<std::string> chosen = dialogs.ChooseFile(
      FileDialogMode::kOpen, "Presentations (*.qmd; *.exe)|*.qmd;*.exe|All Files (*.*)|*.*||", "");
  dialogs.SetFilePlaces({});
  if (!chosen)
    return std::nullopt;
  return files.ToHost(*chosen);
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
  // Without a sound device, one line says sound is off instead of ALSA's dozen.
  SoundOffNotice::SilenceAlsa();
  SoundOffNotice sound(*process.err);
  loop.SetSoundNotice(&sound);
  SdlDialogs dialogs(loop, *display, codePage);
  JsonLinesWriter json(out, codePage);

  // With nothing to play, the user picks a presentation; the run goes on as if it was named.
  // A pick that does not open (its box says why) brings the picker back.
  bool pick = false;
  if (options.arguments.empty() && !options.blank) {
    HostFileSystem own(process.environment, codePage);
    pick = !CarriesPresentation(own, process.executable);
  }
  int code = kExitOk;
  for (bool again = true; again;) {
    again = false;
    PlayerOptions chosen = options;
    if (pick) {
      const std::optional<std::filesystem::path> picked =
          PickPresentation(process, dialogs, codePage);
      if (!picked) {
        *process.err << "qlmplayer: no presentation was chosen\n";
        if (options.json)
          json.Exit(kExitNoProject);
        return kExitNoProject;
      }
      chosen.arguments = {picked->string()};
      chosen.commandLine = JoinCommandLine(chosen.arguments);
    }

    JsonPlayerEvents events(json);
    PlayerBuilder builder(process, chosen, MediaModuleOptions{});
    PlayerContext context = builder.Build(loop, *display, dialogs, chosen.json ? &events : nullptr);
    dialogs.SetFilePlaces(PresentationPlaces(builder.Files(), chosen));
    // The desktop starts what Run and launching objects name; headless runs only report it.
    HostProcesses processes(process.executable, IsPresentationFile);
    context.processes = &processes;
    // The windows of programs that embedded-program objects start, held in the player's.
    X11ProgramWindows programWindows(*display);
    context.programWindows = &programWindows;
    // Speech is heard through the audio device the media play through.
    SdlSpeechOutput speech(builder.Synthesizer(), [&err = *process.err](const std::string& reason) {
      err << "qlmplayer: speech cannot be heard: " << reason << '\n';
    });
    context.speech = &speech;
    // Print jobs go to the print service's queues or a PDF file, as the print dialog says.
    const CupsPrinters cups;
    DialogPrinter printer(dialogs, context.files, cups);
    context.printer = &printer;

    PlayerApp app(context, process.executable);
    app.SetDiagnostics(process.err);
    app.SetStartPage(chosen.startPage);
    AppWindowHandler handler(app);
    loop.SetHandler(&handler);
    const PlayerApp::StartResult start =
        chosen.blank ? app.StartWith(BlankProject()) : app.StartUp(chosen.commandLine);
    if (start == PlayerApp::StartResult::kHandedOver) {
      code = app.HandOverError().empty() ? kExitOk : kExitNoProject;
    } else if (start == PlayerApp::StartResult::kNoProject) {
      code = kExitNoProject;
      again = pick;
    } else {
      // The window's modal loop: the program ends when it returns.
      while (!loop.WaitUntil(EventLoop::kForever)) {
      }
      code = loop.ExitCode();
      app.Finish();
    }
    loop.SetHandler(nullptr);
    dialogs.SetFilePlaces({});
  }
  if (options.json)
    json.Exit(code);
  return code;
}

}  // namespace qlm
