#include "app/PlayerRun.h"

#include <chrono>
#include <new>
#include <optional>
#include <string>

#ifndef QLM_WEB
#include "app/DesktopRun.h"
#endif
#include "app/JsonPlayerEvents.h"
#include "app/PlayerBuilder.h"
#include "app/RunLimits.h"
#include "document/StandaloneContainer.h"
#include "platform/headless/EventScript.h"
#include "platform/headless/EventScriptRunner.h"
#include "platform/headless/EventStream.h"
#include "platform/headless/FolderPrinter.h"
#include "platform/headless/HeadlessDialogs.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessProcesses.h"
#include "platform/headless/JsonLinesWriter.h"
#include "platform/headless/VirtualEventLoop.h"
#include "platform/headless/WavSpeechOutput.h"
#include "player/CommandLine.h"
#include "player/PlayerApp.h"

namespace qlm {
namespace {

// The commands of an events file that reach into the player. They may come while the first
// page's script still runs inside start-up, so the window is looked up at each command.
class WindowAutomation : public AutomationTarget {
 public:
  WindowAutomation(PlayerApp& app, JsonLinesWriter& out) : app_(app), out_(out) {}

  void RunScript(const std::string& text) override {
    if (PlayerWindow* window = app_.Window())
      window->RunScriptText(text);
  }

  void Dump() override {
    if (PlayerWindow* window = app_.Window())
      out_.State(window->Snapshot());
  }

  void Cancel() override {
    if (PlayerWindow* window = app_.Window())
      window->CloseCancel();
  }

 private:
  PlayerApp& app_;
  JsonLinesWriter& out_;
};

}  // namespace

Project BlankProject() {
  Project project;
  project.settings.title = "QLM Player";
  project.settings.clientWidth = 640;
  project.settings.clientHeight = 480;
  PageRecord page;
  page.name = "Page 1";
  project.pages.push_back(std::move(page));
  project.storedPageCount = 1;
  return project;
}

namespace {

int RunPlayer(const PlayerProcess& process) {
  std::ostream& out = *process.out;
  std::ostream& err = *process.err;
  PlayerOptions options;
  try {
    options = ParsePlayerOptions(process.args);
  } catch (const CommandLineError& e) {
    err << "qlmplayer: " << e.what() << '\n';
    return kExitUsage;
  }
  if (options.help) {
    out << PlayerUsage("qlmplayer");
    return kExitOk;
  }
  if (options.version) {
    out << "qlmplayer " << QLM_VERSION << '\n';
    return kExitOk;
  }
  if (options.forgetTrust) {
    const std::filesystem::path store = TrustStoreOf(process.environment).File();
    std::error_code ec;
    std::filesystem::remove(store, ec);
    if (ec) {
      err << "qlmplayer: cannot remove " << store.string() << ": " << ec.message() << '\n';
      return kExitUsage;
    }
    out << "qlmplayer: forgot every remembered consent (" << store.string() << ")\n";
    return kExitOk;
  }

  if (options.headless && options.maxMemoryMb) {
    std::string error;
    if (!LimitAddressSpace(*options.maxMemoryMb, error)) {
      err << "qlmplayer: --max-memory: " << error << '\n';
      return kExitUsage;
    }
  }

  // With a display the presentation plays in a window. Without one (or when no window can be
  // opened) the run is headless and leaves a screenshot of what it would have shown.
  std::optional<std::string> screenshot = options.screenshotPath;
  if (!options.headless) {
    std::string why = "no display (DISPLAY is not set)";
#ifndef QLM_WEB
    if (process.hasDisplay) {
      if (const std::optional<int> code = RunDesktop(process, options, why))
        return *code;
      why = "no window can be opened (" + why + ")";
    }
#endif
    const std::filesystem::path shot = process.environment.TempRoot() / "qlmplayer-screenshot.png";
    err << "qlmplayer: " << why << "; playing headless, screenshot in " << shot.string() << '\n';
    screenshot = shot.string();
  }

  // The events, read whole when they come from a file so that a fault stops the run before it
  // starts.
  std::optional<std::vector<EventCommand>> fileEvents;
  if (options.eventsPath && *options.eventsPath != "-") {
    std::string error;
    try {
      fileEvents = ReadEventsFile(*options.eventsPath, error);
    } catch (const EventScriptError& e) {
      err << "qlmplayer: " << *options.eventsPath << ": " << e.what() << '\n';
      return kExitUsage;
    }
    if (!fileEvents) {
      err << "qlmplayer: " << error << '\n';
      return kExitUsage;
    }
  }

  // The real-time bound. The run ends at its next pump once it expires; a script that never
  // lets the loop run is ended by the watchdog a few seconds later.
  std::optional<RunWatchdog> watchdog;
  if (options.timeoutSeconds) {
    watchdog.emplace(std::chrono::seconds(*options.timeoutSeconds), std::chrono::seconds(5),
                     "{\"event\":\"timeout\"}\n{\"event\":\"exit\",\"code\":" +
                         std::to_string(kExitTimeout) + "}\n");
  }

  // Headless media play to a null audio output; their time is the virtual clock's.
  PlayerBuilder builder(process, options, MediaModuleOptions{.nullAudio = true});
  const CodePage& codePage = builder.Encoding();
  VirtualEventLoop loop(options.startTime.value_or(VirtualClock::kDefaultStart));
  JsonLinesWriter json(out, codePage);
  HeadlessDialogs dialogs(json);
  HeadlessDisplay display(640, 480);
  JsonPlayerEvents events(json);
  PlayerContext context = builder.Build(loop, display, dialogs, &events);
  // Launches are checked and reported, never started.
  HeadlessProcesses processes(process.executable, IsPresentationFile);
  context.processes = &processes;
  // Speech is only reported, unless the utterances are to be written as WAV files.
  std::optional<WavSpeechOutput> speech;
  if (options.speechWavDir) {
    speech.emplace(builder.Synthesizer(), *options.speechWavDir,
                   [&err](const std::string& why) { err << "qlmplayer: speech: " << why << '\n'; });
    context.speech = &*speech;
  }

  // Print jobs are only reported, unless they are to be written as PDF files.
  FolderPrinter printer(options.printDir ? std::optional<std::filesystem::path>(*options.printDir)
                                         : std::nullopt);
  context.printer = &printer;

  PlayerApp app(context, process.executable);
  app.SetDiagnostics(&err);
  app.SetStartPage(options.startPage);
  WindowAutomation automation(app, json);
  EventScriptRunner runner(loop, dialogs, display, automation, codePage, err);
  if (fileEvents) {
    // Queued before start-up: a first page whose script loops from the start plays them.
    runner.Queue(*fileEvents);
    runner.EndOfInput();
  }
  if (watchdog) {
    loop.AddSource([&watchdog, &loop] {
      if (watchdog->Expired() && !loop.QuitRequested())
        loop.PostQuit(kExitTimeout);
    });
  }
  const PlayerApp::StartResult start =
      options.blank ? app.StartWith(BlankProject()) : app.StartUp(options.commandLine);
  if (start == PlayerApp::StartResult::kHandedOver) {
    const int code = app.HandOverError().empty() ? kExitOk : kExitNoProject;
    json.Exit(code);
    return code;
  }
  if (start == PlayerApp::StartResult::kNoProject) {
    json.Exit(kExitNoProject);
    return kExitNoProject;
  }

  PlayerWindow& window = *app.Window();
  loop.SetHandler(&window);
  int code = kExitOk;
  bool eventsFailed = false;
  if (runner.Start()) {
    if (fileEvents) {
      runner.Play();
    } else if (options.eventsPath) {
      EventStream stream(process.eventsFd, [&loop] {
        loop.Pump();
        return !loop.Settle();
      });
      try {
        while (auto commands = stream.Next()) {
          runner.Queue(*commands);
          if (!runner.Play())
            break;
        }
      } catch (const EventScriptError& e) {
        err << "qlmplayer: " << e.what() << '\n';
        eventsFailed = true;
      }
    }
  }
  code = runner.Finish();
  const bool timedOut = watchdog && watchdog->Expired() && code == kExitTimeout;
  if (timedOut)
    json.Write({{"event", "timeout"}});
  if (eventsFailed && code == kExitOk)
    code = kExitUsage;
  if (screenshot) {
    std::string error;
    if (!display.WriteScreenshot(*screenshot, error))
      err << "qlmplayer: " << error << '\n';
  }
  app.Finish();
  loop.SetHandler(nullptr);
  json.Exit(code);
  return code;
}

}  // namespace

int RunPlayerProcess(const PlayerProcess& process) {
  try {
    return RunPlayer(process);
  } catch (const std::bad_alloc&) {
    // The --max-memory cap (or the machine) ran out: the run ends with its own line and status.
    *process.out << "{\"event\":\"memory\"}\n{\"event\":\"exit\",\"code\":" << kExitOutOfMemory
                 << "}" << std::endl;
    return kExitOutOfMemory;
  } catch (const std::exception& e) {
    // A fault of the player's own ends the run with its own lines and status, not a crash.
    *process.err << "qlmplayer: internal fault: " << e.what() << '\n';
    JsonLinesWriter json(*process.out);
    json.Write({{"event", "fault"}, {"what", e.what()}});
    json.Exit(kExitFault);
    return kExitFault;
  }
}

}  // namespace qlm
