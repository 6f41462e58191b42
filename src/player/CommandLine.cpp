#include "player/CommandLine.h"

#include <charconv>

#include "platform/CodePage.h"

namespace qlm {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

char UpperAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsWhiteSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

void CommandLineParams::Clear() {
  params_.clear();
  dropped_ = 0;
}

void CommandLineParams::Set(std::string_view text) {
  Clear();
  auto store = [this](std::string&& param) {
    if (params_.size() < kMaxCount) {
      params_.push_back(std::move(param));
    } else {
      ++dropped_;
    }
  };
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i]))
    ++i;
  std::string current;
  bool quoted = false;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '"') {
      if (i + 1 < text.size() && text[i + 1] == '"') {
        current += '"';
        i += 2;
      } else {
        quoted = !quoted;
        ++i;
        continue;
      }
    } else if (IsBlank(c) && !quoted) {
      store(std::move(current));
      current.clear();
      while (i < text.size() && IsBlank(text[i]))
        ++i;
      continue;
    } else {
      current += c;
      ++i;
    }
    if (current.size() >= kMaxLength) {
      store(std::move(current));
      return;
    }
  }
  if (!current.empty())
    store(std::move(current));
}

const std::string* CommandLineParams::Get(int i) const {
  if (i < 0 || i >= Count())
    return nullptr;
  return &params_[static_cast<size_t>(i)];
}

std::optional<StartPageArgument> ParseStartPageArgument(std::string_view param) {
  if (!param.starts_with(kStartPagePrefix))
    return std::nullopt;
  std::string keyword;
  for (char c : param.substr(8, 10))
    keyword += UpperAscii(c);
  StartPageArgument arg;
  size_t from = 9;  // the character right after the prefix is skipped
  if (keyword == "NEW_WINDOW" && (param.size() == 18 || param[18] == ',')) {
    arg.newWindow = true;
    from = 19;
  }
  if (from < param.size()) {
    std::string_view page = param.substr(from);
    while (!page.empty() && IsWhiteSpace(page.front()))
      page.remove_prefix(1);
    arg.startPage = page;
  }
  return arg;
}

std::string StartPageParameter(std::string_view page) {
  return std::string(kStartPagePrefix) + " " + std::string(page);
}

std::string QuoteParameter(std::string_view param) {
  // Quotes inside are doubled. The parameter is wrapped in quotes only when it holds a blank or
  // a tab: a wrapped run of nothing but quotes would be read back as one more literal quote.
  const bool wrap = param.find_first_of(" \t") != std::string_view::npos;
  std::string out = wrap ? "\"" : "";
  for (char c : param) {
    out += c;
    if (c == '"')
      out += '"';
  }
  if (wrap)
    out += '"';
  return out;
}

std::string JoinCommandLine(std::span<const std::string> args) {
  std::string out;
  for (const std::string& arg : args) {
    if (arg.empty())
      continue;
    if (!out.empty())
      out += ' ';
    out += QuoteParameter(arg);
  }
  return out;
}

StartupCommand ParseStartupCommand(std::string_view rawCommandLine) {
  StartupCommand cmd;
  cmd.params.Set(rawCommandLine);
  if (const std::string* doc = cmd.params.Get(0))
    cmd.documentPath = *doc;
  if (const std::string* second = cmd.params.Get(1)) {
    cmd.startPage = ParseStartPageArgument(*second);
    if (cmd.startPage)
      cmd.params.Set(QuoteParameter(cmd.documentPath));
  }
  return cmd;
}

namespace {

template <typename T>
std::optional<T> ParseNumber(std::string_view text) {
  T value{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty())
    return std::nullopt;
  return value;
}

DriveMount ParseMount(std::string_view text) {
  if (std::optional<DriveMount> mount = ParseDriveMount(text))
    return *mount;
  throw CommandLineError(
      "--mount expects D=PATH[:cdrom][:rw] (a drive letter, '=' and a folder): " +
      std::string(text));
}

std::string CodePageName(const std::string& value) {
  std::string name = value;
  if (ParseNumber<unsigned>(value))
    name = "CP" + value;  // "1252" -> "CP1252"
  if (CodePage(name).Name() != name) {
    throw CommandLineError("--codepage: unknown code page \"" + value + "\"");
  }
  return name;
}

}  // namespace

PlayerOptions ParsePlayerOptions(std::span<const std::string> args) {
  PlayerOptions o;
  size_t i = 0;
  for (; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      ++i;
      break;
    }
    if (!arg.starts_with("--") && arg != "-f")
      break;
    std::string name = arg;
    std::optional<std::string> inlineValue;
    if (const size_t eq = arg.find('='); eq != std::string::npos) {
      name = arg.substr(0, eq);
      inlineValue = arg.substr(eq + 1);
    }
    auto value = [&]() -> std::string {
      if (inlineValue)
        return *inlineValue;
      if (i + 1 >= args.size())
        throw CommandLineError("option " + name + " needs a value");
      return args[++i];
    };
    auto flag = [&](bool& target) {
      if (inlineValue)
        throw CommandLineError("option " + name + " takes no value");
      target = true;
    };
    if (name == "--headless") {
      flag(o.headless);
    } else if (name == "--blank") {
      flag(o.blank);
    } else if (name == "--trace-files") {
      flag(o.traceFiles);
    } else if (name == "--json") {
      flag(o.json);
    } else if (name == "--trust") {
      flag(o.trust);
    } else if (name == "--allow-launch") {
      flag(o.allowLaunch);
    } else if (name == "--allow-plugins") {
      flag(o.allowPlugins);
    } else if (name == "--ask") {
      flag(o.ask);
    } else if (name == "--forget-trust") {
      flag(o.forgetTrust);
    } else if (name == "--help") {
      flag(o.help);
    } else if (name == "--version") {
      flag(o.version);
    } else if (name == "--events") {
      o.eventsPath = value();
      if (o.eventsPath->empty())
        throw CommandLineError("--events needs a file name or -");
    } else if (name == "--screenshot") {
      o.screenshotPath = value();
      if (o.screenshotPath->empty())
        throw CommandLineError("--screenshot needs a file name");
    } else if (name == "--print-dir") {
      o.printDir = value();
      if (o.printDir->empty())
        throw CommandLineError("--print-dir needs a folder");
    } else if (name == "--speech-wav") {
      o.speechWavDir = value();
      if (o.speechWavDir->empty())
        throw CommandLineError("--speech-wav needs a folder");
    } else if (name == "--codepage") {
      o.codePage = CodePageName(value());
    } else if (name == "--mount") {
      DriveMount mount = ParseMount(value());
      for (const DriveMount& m : o.mounts) {
        if (m.letter == mount.letter) {
          throw CommandLineError(std::string("--mount: drive ") + mount.letter +
                                 ": is mounted twice");
        }
      }
      o.mounts.push_back(std::move(mount));
    } else if (name == "--profile-dir") {
      o.profileDir = value();
      if (o.profileDir->empty())
        throw CommandLineError("--profile-dir needs a folder");
    } else if (name == "--scale") {
      const std::string v = value();
      if (v == "fit") {
        o.scaleFit = true;
      } else if (auto n = ParseNumber<int>(v); n && *n >= 1 && *n <= 8) {
        o.scale = *n;
        o.scaleFit = false;
      } else {
        throw CommandLineError("--scale expects a whole number from 1 to 8 or \"fit\": " + v);
      }
    } else if (name == "--fullscreen" || name == "-f") {
      bool on = false;
      flag(on);
      o.fullScreen = true;
    } else if (name == "--windowed") {
      bool on = false;
      flag(on);
      o.fullScreen = false;
    } else if (name == "--start-page") {
      o.startPage = value();
      if (o.startPage->find_first_not_of(" \t") == std::string::npos)
        throw CommandLineError("--start-page needs a page name");
    } else if (name == "--seed") {
      const std::string v = value();
      const auto n = ParseNumber<uint32_t>(v);
      if (!n)
        throw CommandLineError("--seed expects a number from 0 to 4294967295: " + v);
      o.seed = *n;
    } else if (name == "--start-time") {
      const std::string v = value();
      o.startTime = LocalDateTime::Parse(v);
      if (!o.startTime) {
        throw CommandLineError("--start-time expects YYYY-MM-DDTHH:MM:SS: " + v);
      }
    } else if (name == "--timeout") {
      const std::string v = value();
      const auto n = ParseNumber<uint32_t>(v);
      if (!n || *n == 0)
        throw CommandLineError("--timeout expects a number of seconds from 1: " + v);
      o.timeoutSeconds = *n;
    } else if (name == "--image-cache") {
      const std::string v = value();
      const auto n = ParseNumber<uint32_t>(v);
      if (!n || *n > 1048576)
        throw CommandLineError("--image-cache expects megabytes from 0 to 1048576: " + v);
      o.imageCacheMb = *n;
    } else if (name == "--max-memory") {
      const std::string v = value();
      const auto n = ParseNumber<uint32_t>(v);
      if (!n || *n < 64 || *n > 1048576)
        throw CommandLineError("--max-memory expects megabytes from 64 to 1048576: " + v);
      o.maxMemoryMb = *n;
    } else if (name == "--overlay-quota") {
      const std::string v = value();
      const auto n = ParseNumber<uint32_t>(v);
      if (!n || *n > 1048576)
        throw CommandLineError("--overlay-quota expects megabytes from 0 to 1048576: " + v);
      o.overlayQuotaMb = *n;
    } else {
      throw CommandLineError("unknown option " + name + " (see --help)");
    }
  }
  o.arguments.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
  o.commandLine = JoinCommandLine(o.arguments);

  if (o.help || o.version)
    return o;
  if (!o.headless) {
    const char* needsHeadless = o.eventsPath       ? "--events"
                                : o.screenshotPath ? "--screenshot"
                                : o.startTime      ? "--start-time"
                                : o.ask            ? "--ask"
                                : o.timeoutSeconds ? "--timeout"
                                : o.maxMemoryMb    ? "--max-memory"
                                : o.speechWavDir   ? "--speech-wav"
                                : o.printDir       ? "--print-dir"
                                                   : nullptr;
    if (needsHeadless) {
      throw CommandLineError(std::string(needsHeadless) + " works only with --headless");
    }
  }
  if (o.blank && !o.arguments.empty()) {
    throw CommandLineError("--blank starts an empty project and takes no document");
  }
  return o;
}

std::string PlayerUsage(std::string_view programName) {
  std::string p(programName);
  return "Usage: " + p + " [OPTIONS] [DOCUMENT [ARGUMENTS...]]\n" + "       " + p +
         " --headless [--events FILE|-] [--screenshot OUT.png] [--blank] [DOCUMENT ...]\n"
         "\n"
         "Plays a presentation: a document (.qmd) or a stand-alone executable. Without a\n"
         "document, the presentation appended to the player itself is played; when there is\n"
         "none, a window asks for a presentation to open.\n"
         "Options come before the document; what follows the document is the presentation's\n"
         "own command line (CmdLineParam$).\n"
         "\n"
         "  --headless            run without a window; events and results as JSON lines\n"
         "  --events FILE|-       headless: read the events to play from FILE or stdin\n"
         "  --screenshot OUT.png  headless: write the last frame as PNG when the run ends\n"
         "  --blank               start with an empty one-page 640 x 480 project\n"
         "  --speech-wav DIR      headless: write each spoken text as DIR/speech-NNN.wav\n"
         "  --print-dir DIR       headless: write each print job as DIR/print-NNN.pdf\n"
         "  --codepage NAME       the presentation's code page (default WINDOWS-1252; 1252 etc.)\n"
         "  --mount D=PATH[:cdrom][:rw]  map drive letter D to a host folder (repeatable);\n"
         "                        :cdrom makes it a CD drive, :rw lets the presentation write it\n"
         "  --profile-dir DIR     where per-user settings are kept\n"
         "  --scale N|fit         window scale factor 1 to 8, or fit the screen (a presentation\n"
         "                        larger than the screen is scaled down to fit in a window);\n"
         "                        message boxes and pickers are drawn at the window's scale\n"
         "  -f, --fullscreen      start in full screen, whatever the presentation asks\n"
         "  --windowed            stay in a window, whatever the presentation asks\n"
         "  --start-page NAME     start on the page NAME (as the presentation's own\n"
         "                        command line \"ECPA|SA: NAME\" does)\n"
         "  --trace-files         print every file lookup to stderr\n"
         "  --json                in a window too: pages, launches and the exit as JSON lines\n"
         "  --seed N              seed of the random numbers\n"
         "  --image-cache MB      memory for decoded pictures (default 256); the least\n"
         "                        recently drawn are decoded again when needed\n"
         "  --start-time T        headless: the clock's start, YYYY-MM-DDTHH:MM:SS\n"
         "  --timeout SECONDS     headless: end the run after SECONDS of real time with a\n"
         "                        \"timeout\" line and exit status 3\n"
         "  --max-memory MB       headless: cap the process's address space at MB megabytes;\n"
         "                        running out ends the run with a \"memory\" line, status 4\n"
         "\n"
         "Safety: by default a presentation reads its own folder, mounted drives and the\n"
         "player's drive C; its writes into its own folder go to an overlay under\n"
         "$XDG_DATA_HOME/qlmplayer/; programs, documents and plug-ins of its folder need consent.\n"
         "  --trust               trust the presentation fully, as the original player did\n"
         "  --allow-launch        let it start programs and documents without asking\n"
         "  --allow-plugins       let it load native plug-ins from its folder without asking\n"
         "  --ask                 headless: ask for consent as \"messagebox\" lines (answer N)\n"
         "  --forget-trust        forget every remembered consent and exit\n"
         "  --overlay-quota MB    what the overlay may hold (default 1024); a write past it\n"
         "                        fails as on a full disc\n"
         "\n"
         "  --help                this text\n"
         "  --version             the player's version\n"
         "  --                    ends the options\n"
         "\n"
         "Keys in the window: Alt+Enter or F11 toggle full screen, F12 saves a screenshot in\n"
         "the qlmplayer folder of the pictures folder (XDG_PICTURES_DIR, else ~/Pictures) and\n"
         "says where in a notice over the picture. A list box that was clicked takes the arrow\n"
         "keys, Page Up/Down, Home, End and typed letters; Tab and Shift+Tab move between the\n"
         "page's input fields and list boxes.\n";
}

}  // namespace qlm
