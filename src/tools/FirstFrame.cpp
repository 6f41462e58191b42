#include "tools/FirstFrame.h"

#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>

#include <nlohmann/json.hpp>

#include "graphics/ImageCodec.h"
#include "tools/ChildProcess.h"

namespace qlm {

namespace fs = std::filesystem;

namespace {

// The player's own watchdog ends a run that ignores its time limit this long after it; the tool
// waits a little more before it kills the player itself.
constexpr std::chrono::seconds kPlayerGrace{5};
constexpr std::chrono::seconds kKillMargin{3};
// The player's exit statuses for runs ended by their bounds.
constexpr int kPlayerTimedOut = 3;
constexpr int kPlayerOutOfMemory = 4;

// What the player last told its user: the text of its last message box (a JSON line), else
// its last line of diagnostics.
std::string LastMessage(const std::string& output) {
  std::string message;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    const nlohmann::json json = nlohmann::json::parse(line, nullptr, false);
    if (json.is_discarded())
      message = line;
    else if (json.is_object() && json.value("event", "") == "messagebox")
      message = json.value("text", "");
  }
  return message;
}

FirstFrame Failed(std::string code, std::string message) {
  FirstFrame frame;
  frame.code = std::move(code);
  frame.message = std::move(message);
  return frame;
}

}  // namespace

FirstFrame TakeFirstFrame(const fs::path& input, const fs::path& output,
                          const FirstFrameSettings& settings) {
  std::error_code error;
  fs::create_directories(output.parent_path(), error);
  fs::remove(output, error);
  std::vector<std::string> args = settings.playerOptions;
  args.insert(args.end(), {"--headless", "--profile-dir", settings.profileDir.string(), "--timeout",
                           std::to_string(settings.timeoutSeconds)});
  if (settings.maxMemoryMb)
    args.insert(args.end(), {"--max-memory", std::to_string(*settings.maxMemoryMb)});
  args.insert(args.end(), {"--screenshot", output.string(), "--", input.string()});
  const ChildResult child =
      RunChild(settings.player, args,
               std::chrono::seconds(settings.timeoutSeconds) + kPlayerGrace + kKillMargin);
  if (!child.started)
    return Failed("player-not-started",
                  "cannot start " + settings.player.string() + ": " + child.error);
  // A player killed or ended by its watchdog may have left half a file.
  if (child.timedOut || child.signal != 0 || child.exitCode == kPlayerOutOfMemory)
    fs::remove(output, error);
  if (child.timedOut)
    return Failed("timeout", "no first frame within the time limit");
  if (child.signal != 0)
    return Failed("player-crashed", "the player ended on signal " + std::to_string(child.signal));
  if (child.exitCode == kPlayerOutOfMemory)
    return Failed("out-of-memory", "the player ran out of its memory limit");
  if (!fs::is_regular_file(output, error)) {
    if (child.exitCode == kPlayerTimedOut)
      return Failed("timeout", "no first frame within the time limit");
    const std::string why = LastMessage(child.output);
    return Failed("no-picture", "no picture (exit status " + std::to_string(child.exitCode) + ")" +
                                    (why.empty() ? "" : ": " + why));
  }
  FirstFrame frame;
  frame.written = true;
  frame.timedOut = child.exitCode == kPlayerTimedOut;
  frame.blank = IsOneColourPicture(output);
  return frame;
}

bool IsOneColourPicture(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                   std::istreambuf_iterator<char>()};
  const std::optional<Image24> image = DecodePng(bytes);
  if (!image || image->pixels.size() < 3)
    return false;
  const uint8_t* p = image->pixels.data();
  for (size_t i = 3; i + 2 < image->pixels.size(); i += 3) {
    if (p[i] != p[0] || p[i + 1] != p[1] || p[i + 2] != p[2])
      return false;
  }
  return true;
}

std::string PlayerVersion(const fs::path& player) {
  const ChildResult child = RunChild(player, {"--version"}, std::chrono::seconds(10));
  if (!child.started || child.exitCode != 0)
    return "";
  return child.output.substr(0, child.output.find('\n'));
}

}  // namespace qlm
