#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Clock.h"
#include "platform/DriveMount.h"

namespace qlm {

// The parameters of a presentation's command line, as scripts see them in CmdLineParam$.
class CommandLineParams {
 public:
  static constexpr size_t kMaxCount = 16;
  // A parameter that reaches this length ends the scan: the rest of the line is ignored.
  static constexpr size_t kMaxLength = 1024;

  // Splits `text` at blanks and tabs outside double quotes; a double quote toggles quoting and
  // two in a row give one literal quote. Parameters past the 16th are dropped (and counted).
  void Set(std::string_view text);
  void Clear();

  int Count() const { return static_cast<int>(params_.size()); }
  // Parameter i for 0 <= i < Count(), null otherwise.
  const std::string* Get(int i) const;
  const std::vector<std::string>& All() const { return params_; }
  // How many parameters past the 16th the last Set() dropped.
  int Dropped() const { return dropped_; }

 private:
  std::vector<std::string> params_;
  int dropped_ = 0;
};

// The start-page argument "ECPA|SA:..." that the RunQMD command passes as second parameter.
struct StartPageArgument {
  bool newWindow = false;
  std::string startPage;
  bool operator==(const StartPageArgument&) const = default;
};

inline constexpr std::string_view kStartPagePrefix = "ECPA|SA:";

// nullopt when `param` does not begin with "ECPA|SA:" (compared exactly).
std::optional<StartPageArgument> ParseStartPageArgument(std::string_view param);

// The start-page argument that starts on `page`. The character after the prefix is skipped
// when it is read back, so a blank stands there.
std::string StartPageParameter(std::string_view page);

// A parameter written so that CommandLineParams reads it back unchanged: quotes doubled, and
// the whole in double quotes when it holds blanks or tabs.
std::string QuoteParameter(std::string_view param);

// Joins arguments into one command line that CommandLineParams splits back into the same
// arguments. Empty arguments cannot be written in that syntax and are left out.
std::string JoinCommandLine(std::span<const std::string> args);

// What start-up takes from the presentation's command line: the document (the first parameter)
// and the start-page argument (the second, when it begins with "ECPA|SA:"). With a start-page
// argument the parameters are parsed again from the document alone, so that scripts see only it.
struct StartupCommand {
  CommandLineParams params;
  std::string documentPath;
  std::optional<StartPageArgument> startPage;
};

StartupCommand ParseStartupCommand(std::string_view rawCommandLine);

// The player's own options, given before the document; they are not part of the
// presentation's command line.
struct PlayerOptions {
  bool headless = false;
  std::optional<std::string> eventsPath;      // "-": standard input
  std::optional<std::string> screenshotPath;  // written when the run ends
  std::optional<std::string> speechWavDir;    // headless: each utterance as a WAV file here
  std::optional<std::string> printDir;        // headless: each print job as a PDF file here
  bool blank = false;                         // an empty one-page 640 x 480 project
  std::string codePage = "WINDOWS-1252";      // the presentation's 8-bit code page (iconv name)
  std::vector<DriveMount> mounts;
  std::optional<std::string> profileDir;
  int scale = 1;  // window scale factor, 1 to 8
  bool scaleFit = false;
  std::optional<bool> fullScreen;        // --fullscreen / -f: true, --windowed: false
  std::optional<std::string> startPage;  // --start-page: the page to show first
  bool traceFiles = false;
  bool json = false;               // JSON lines on stdout in a desktop run as well
  bool trust = false;              // the presentation reaches everything, as in the original player
  bool allowLaunch = false;        // launches start without consent
  bool allowPlugins = false;       // plug-ins of the presentation's folder load without consent
  bool ask = false;                // headless: consent boxes are asked as message boxes
  bool forgetTrust = false;        // clear the remembered consent and exit
  uint32_t overlayQuotaMb = 1024;  // what the presentation's overlay may hold
  std::optional<uint32_t> seed;
  std::optional<LocalDateTime> startTime;  // headless: the virtual clock's start
  std::optional<uint32_t> timeoutSeconds;  // headless: wall-clock limit of the run
  std::optional<uint32_t> maxMemoryMb;     // headless: address-space limit of the process
  uint32_t imageCacheMb = 256;             // decoded pictures kept, in megabytes
  bool help = false;
  bool version = false;

  // What follows the options: the document and its arguments, as one command line.
  std::string commandLine;
  std::vector<std::string> arguments;  // the same, one argument each
};

class CommandLineError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Parses the arguments after the program name. Options come first; the first argument that is
// not an option (or everything after "--") starts the presentation's command line. Throws
// CommandLineError with a message for the user.
PlayerOptions ParsePlayerOptions(std::span<const std::string> args);

// The --help text.
std::string PlayerUsage(std::string_view programName);

}  // namespace qlm
