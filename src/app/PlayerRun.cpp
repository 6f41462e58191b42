#include "app/PlayerRun.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>

#include "app/DesktopRun.h"
#include "app/JsonPlayerEvents.h"
#include "media/MpvMediaBackend.h"
#include "platform/HostFileSystem.h"
#include "platform/HostSystemInformation.h"
#include "platform/IniProfileStore.h"
#include "platform/SystemFolders.h"
#include "platform/headless/EventScript.h"
#include "platform/headless/EventScriptRunner.h"
#include "platform/headless/HeadlessDialogs.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessProcesses.h"
#include "platform/headless/JsonLinesWriter.h"
#include "platform/headless/VirtualEventLoop.h"
#include "player/CommandLine.h"
#include "player/PlayerApp.h"

namespace qlm {
namespace {

// The commands of an events file that reach into the player.
class WindowAutomation : public AutomationTarget {
 public:
  WindowAutomation(PlayerWindow& window, JsonLinesWriter& out) : window_(window), out_(out) {}

  void RunScript(const std::string& text) override { window_.RunScriptText(text); }

  void Dump() override {
    const PlayerSnapshot s = window_.Snapshot();
    std::vector<JsonLinesWriter::Variable> vars;
    vars.reserve(s.variables.size());
    for (const auto& v : s.variables)
      vars.push_back({v.name, v.isText, v.text, v.number});
    std::vector<JsonLinesWriter::Object> objects;
    objects.reserve(s.objects.size());
    for (const auto& o : s.objects) {
      objects.push_back({o.page, o.name, o.kind, o.rect.left, o.rect.top, o.rect.right,
                         o.rect.bottom, o.hidden, o.text});
    }
    out_.State(s.page, vars, objects);
  }

  void Cancel() override { window_.CloseCancel(); }

 private:
  PlayerWindow& window_;
  JsonLinesWriter& out_;
};

// Reads an events stream as it arrives: a command is played as soon as its line (or its whole
// script-begin ... script-end block) is complete, and the player keeps answering its own
// messages (hand-overs from a second start) while it waits for the next line.
class EventStream {
 public:
  EventStream(int fd, std::function<bool()> idle) : fd_(fd), idle_(std::move(idle)) {}

  // The commands of the next complete chunk; nullopt at the end of the stream or when idle()
  // says to stop. Throws EventScriptError with the line counted from the start of the stream.
  std::optional<std::vector<EventCommand>> Next() {
    std::string chunk;
    int firstLine = 0;
    bool inBlock = false;
    for (;;) {
      std::string line;
      if (!ReadLine(line)) {
        if (chunk.empty())
          return std::nullopt;
        break;  // an unclosed block: the parser names it
      }
      ++lineNumber_;
      if (chunk.empty())
        firstLine = lineNumber_;
      chunk += line;
      chunk += '\n';
      const std::string trimmed = Trim(line);
      if (trimmed == "script-begin")
        inBlock = true;
      else if (trimmed == "script-end")
        inBlock = false;
      if (!inBlock)
        break;
    }
    try {
      std::vector<EventCommand> commands = ParseEventScript(chunk);
      for (EventCommand& c : commands)
        c.line += firstLine - 1;
      return commands;
    } catch (const EventScriptError& e) {
      throw EventScriptError(e.Line() + firstLine - 1, Message(e));
    }
  }

 private:
  static std::string Trim(const std::string& s) {
    const size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
      return {};
    return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
  }
  // The message without the "events line N: " the error's text may start with.
  static std::string Message(const EventScriptError& e) {
    std::string text = e.what();
    const std::string prefix = "events line " + std::to_string(e.Line()) + ": ";
    if (text.starts_with(prefix))
      text.erase(0, prefix.size());
    return text;
  }

  bool ReadLine(std::string& line) {
    for (;;) {
      if (const size_t nl = buffer_.find('\n'); nl != std::string::npos) {
        line = buffer_.substr(0, nl);
        buffer_.erase(0, nl + 1);
        return true;
      }
      if (eof_) {
        if (buffer_.empty())
          return false;
        line = std::move(buffer_);
        buffer_.clear();
        return true;
      }
      pollfd p{fd_, POLLIN, 0};
      const int ready = ::poll(&p, 1, 20);
      if (ready < 0 && errno != EINTR) {
        eof_ = true;
        continue;
      }
      if (ready <= 0) {
        if (!idle_())
          return false;
        continue;
      }
      char data[4096];
      const ssize_t n = ::read(fd_, data, sizeof data);
      if (n < 0 && (errno == EINTR || errno == EAGAIN))
        continue;
      if (n <= 0)
        eof_ = true;
      else
        buffer_.append(data, static_cast<size_t>(n));
    }
  }

  int fd_;
  std::function<bool()> idle_;
  std::string buffer_;
  bool eof_ = false;
  int lineNumber_ = 0;
};

std::string ReadWholeFile(const std::string& path, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read the events file " + path;
    return {};
  }
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

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

int RunPlayerProcess(const PlayerProcess& process) {
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

  // With a display the presentation plays in a window. Without one (or when no window can be
  // opened) the run is headless and leaves a screenshot of what it would have shown.
  std::optional<std::string> screenshot = options.screenshotPath;
  if (!options.headless) {
    std::string why = "no display (DISPLAY is not set)";
    if (process.hasDisplay) {
      if (const std::optional<int> code = RunDesktop(process, options, why))
        return *code;
      why = "no window can be opened (" + why + ")";
    }
    const std::filesystem::path shot = process.environment.TempRoot() / "qlmplayer-screenshot.png";
    err << "qlmplayer: " << why << "; playing headless, screenshot in " << shot.string() << '\n';
    screenshot = shot.string();
  }

  // The events, read whole when they come from a file so that a fault stops the run before it
  // starts.
  std::optional<std::vector<EventCommand>> fileEvents;
  if (options.eventsPath && *options.eventsPath != "-") {
    std::string error;
    const std::string text = ReadWholeFile(*options.eventsPath, error);
    if (!error.empty()) {
      err << "qlmplayer: " << error << '\n';
      return kExitUsage;
    }
    try {
      fileEvents = ParseEventScript(text);
    } catch (const EventScriptError& e) {
      err << "qlmplayer: " << *options.eventsPath << ": " << e.what() << '\n';
      return kExitUsage;
    }
  }

  const CodePage codePage(options.codePage);
  VirtualEventLoop loop(options.startTime.value_or(VirtualClock::kDefaultStart));
  JsonLinesWriter json(out, codePage);
  HeadlessDialogs dialogs(json);
  HeadlessDisplay display(640, 480);
  HostFileSystem files(process.environment, codePage);
  for (const DriveMount& m : options.mounts)
    files.AddMount(m.letter, m.hostPath, m.cdrom);
  if (options.traceFiles)
    files.SetTrace([&err](const std::string& line) { err << line << '\n'; });
  IniProfileStore profile(options.profileDir ? std::filesystem::path(*options.profileDir)
                                             : process.environment.ConfigDir());
  JsonPlayerEvents events(json);
  PlayerContext context{loop,     display, dialogs,
                        profile,  files,   MakeSystemFolders(files, process.environment),
                        codePage, &events, options.seed};
  // Headless media play to a null audio output; their time is the virtual clock's.
  MpvMediaBackend media(MpvMediaBackend::Options{.nullAudio = true});
  context.media = &media;
  const HostSystemInformation system;
  context.system = &system;
  // Launches are checked and reported, never started.
  HeadlessProcesses processes(process.executable);
  context.processes = &processes;

  // Relative paths of the presentation start in its folder.
  std::error_code ec;
  if (!options.arguments.empty() && std::filesystem::is_regular_file(options.arguments[0], ec))
    files.SetCurrentFolder(std::filesystem::absolute(options.arguments[0], ec).parent_path());
  else
    files.SetCurrentFolder(std::filesystem::current_path(ec));

  PlayerApp app(context, process.executable);
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
  WindowAutomation automation(window, json);
  EventScriptRunner runner(loop, dialogs, display, automation, codePage, err);
  int code = kExitOk;
  bool eventsFailed = false;
  if (runner.Start()) {
    if (fileEvents) {
      for (const EventCommand& c : *fileEvents) {
        if (!runner.Step(c))
          break;
      }
    } else if (options.eventsPath) {
      EventStream stream(process.eventsFd, [&loop] {
        loop.Pump();
        return !loop.Settle();
      });
      try {
        while (auto commands = stream.Next()) {
          bool more = true;
          for (const EventCommand& c : *commands) {
            if (!(more = runner.Step(c)))
              break;
          }
          if (!more)
            break;
        }
      } catch (const EventScriptError& e) {
        err << "qlmplayer: " << e.what() << '\n';
        eventsFailed = true;
      }
    }
  }
  code = runner.Finish();
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

}  // namespace qlm
