#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ReadableFile.h"
#include "script/WindowTimers.h"

namespace qlm {

class EventLoop;
class FileSystem;
class MediaBackend;

// Error numbers of the media-control command strings, as the platform numbers them.
namespace mci_error {
inline constexpr uint32_t kNone = 0;
inline constexpr uint32_t kUnrecognizedKeyword = 259;
inline constexpr uint32_t kUnrecognizedCommand = 261;
inline constexpr uint32_t kInvalidDeviceName = 263;
inline constexpr uint32_t kCannotLoadDriver = 266;
inline constexpr uint32_t kMissingCommandString = 267;
inline constexpr uint32_t kBadInteger = 270;
inline constexpr uint32_t kMissingParameter = 273;
inline constexpr uint32_t kFileNotFound = 275;
inline constexpr uint32_t kOutOfRange = 282;
inline constexpr uint32_t kDuplicateAlias = 289;
inline constexpr uint32_t kMissingDeviceName = 292;
inline constexpr uint32_t kInvalidFile = 296;
}  // namespace mci_error

// The answer to one command string: an error number (0 on success) and the answer text.
struct MciReply {
  uint32_t error = mci_error::kNone;
  std::string answer;
};

// The value MCICommand stores in MCIResult for an answer text: "playing" -2, "stopped" -1, a
// "m:ss" style answer (a colon after the first character) minutes x 60 + seconds, otherwise
// the leading decimal integer (0 when there is none).
int32_t MciAnswerValue(std::string_view answer);

// The media-control command strings of scripts and MCI objects, played through a MediaBackend:
// open (with type, alias, style and parent), close (an alias or "all"), play (from, to),
// pause, resume, stop, seek (to start, end or a position), status (mode, position, length,
// ready, time format, volume, media present), set (time format milliseconds or msf, audio all
// on or off), setaudio volume, and the window commands put and window, which are accepted
// since no device shows a window. Aliases are compared without regard to case.
//
// The position of a playing device is its media time against the event loop's clock, so a
// headless run sees the same positions, and the same end, every time. When a device reaches
// the end of what it plays it stops there and media_message::kEnded is posted with its alias;
// timer kEndTimer wakes the table for that.
class MciDevices {
 public:
  static constexpr uint32_t kEndTimer = window_timer::kMediaEnd;

  // `backend` may be null: every open then fails with kCannotLoadDriver. `files` opens the
  // Windows paths of open, and the back end reads the file opened there (null: every open
  // fails as a missing file).
  MciDevices(EventLoop& loop, MediaBackend* backend, const FileSystem* files);
  ~MciDevices();
  MciDevices(const MciDevices&) = delete;
  MciDevices& operator=(const MciDevices&) = delete;

  MciReply Send(std::string_view command);

  // The loop's timer: true when the id is the table's.
  bool OnTimer(uint32_t id);
  // Closes every device (the player ends or another project is read).
  void CloseAll();
  bool IsOpen(std::string_view alias) const;
  size_t OpenCount() const { return devices_.size(); }

 private:
  enum class Mode { kStopped, kPlaying, kPaused };
  enum class TimeFormat { kMilliseconds, kMsf };
  struct Device {
    uint32_t id = 0;
    double lengthMs = 0;
    Mode mode = Mode::kStopped;
    double anchorMs = 0;      // position when the mode last changed
    uint64_t anchorTick = 0;  // the clock then
    double endMs = 0;         // where the running play stops
    TimeFormat format = TimeFormat::kMilliseconds;
    int volume = 1000;
    bool muted = false;
    // The opened file the back end reads, open until the device closes.
    std::unique_ptr<ReadableFile> source;
  };
  using DeviceMap = std::map<std::string, Device, std::less<>>;

  MciReply Open(const std::vector<std::string>& words, const std::vector<bool>& quoted);
  MciReply Close(const std::string& alias);
  MciReply Play(const std::string& alias, Device& device, const std::vector<std::string>& words);
  MciReply Seek(const std::string& alias, Device& device, const std::vector<std::string>& words);
  MciReply Status(Device& device, const std::vector<std::string>& words);
  MciReply Set(const std::string& alias, Device& device, const std::vector<std::string>& words);
  MciReply SetAudio(const std::string& alias, Device& device,
                    const std::vector<std::string>& words);

  double Position(const Device& device) const;
  // Holds the device at `positionMs` in `mode` from now on.
  void Anchor(Device& device, Mode mode, double positionMs);
  // Stops devices that reached the end of their play and posts their ends.
  void SettleEnded();
  void ArmEndTimer();
  std::string FormatTime(const Device& device, double ms) const;
  // A position in the device's time format; false when the text is not one.
  bool ParseTime(const Device& device, const std::string& text, double& ms) const;

  EventLoop& loop_;
  MediaBackend* backend_;
  const FileSystem* files_;
  DeviceMap devices_;
  uint32_t nextId_ = 1;
};

}  // namespace qlm
