#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace qlm {

// How the players that take first frames are run.
struct FirstFrameSettings {
  std::filesystem::path player;            // the qlmplayer program
  std::vector<std::string> playerOptions;  // passed on to every player (--mount ...)
  int timeoutSeconds = 30;                 // the player's --timeout
  std::optional<uint64_t> maxMemoryMb;     // the player's --max-memory
  std::filesystem::path profileDir;        // the players' settings, away from the user's
};

// What one player run left behind.
struct FirstFrame {
  bool written = false;   // the picture is there
  bool timedOut = false;  // the first page never finished: the frame is the one at the time limit
  bool blank = false;     // the frame is all one colour (a presentation that ended before drawing)
  std::string code;       // why there is no picture, as a stable word; empty when written
  std::string message;    // the same for people
};

// Plays `input` in its own headless player and writes its first frame to `output` (a PNG). The
// player ends itself at the time limit with the frame it has; one that does not (a script that
// never lets the player run) is killed a little later. Never throws.
FirstFrame TakeFirstFrame(const std::filesystem::path& input, const std::filesystem::path& output,
                          const FirstFrameSettings& settings);

// True when the PNG at `path` decodes to pixels that are all the same colour.
bool IsOneColourPicture(const std::filesystem::path& path);

// What `player --version` prints on its first line, or empty when it does not run.
std::string PlayerVersion(const std::filesystem::path& player);

}  // namespace qlm
