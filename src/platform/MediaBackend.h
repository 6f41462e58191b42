#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/MediaFile.h"

namespace qlm {

// Window message a media back end or the device table posts when a device's media ran to its
// end: texts[0] is the device alias.
namespace media_message {
inline constexpr uint32_t kEnded = 2260;
}  // namespace media_message

// What the machine offers for playing sound and media files. Each open file is a device known
// by its alias; aliases are compared as the caller gives them (the caller folds case). All calls
// come from the user-interface thread.
class MediaBackend {
 public:
  struct MediaInfo {
    double lengthMs = 0;    // 0 when the library cannot tell
    bool hasVideo = false;  // the file carries pictures (played with video off here)
  };

  virtual ~MediaBackend() = default;

  // Opens `file` paused at its start; it stays readable until the device closes (the library
  // may open it again). Nullopt, with a reason in `error`, when the file cannot be decoded.
  // What the file names and was not opened (a list's entries) goes to `refused`.
  virtual std::optional<MediaInfo> Open(const std::string& alias, const MediaFile& file,
                                        std::string& error, RefusedReferences& refused) = 0;
  virtual void Close(const std::string& alias) = 0;
  virtual void Play(const std::string& alias) = 0;
  // Holds playback where it is (MCI's pause and stop both do this).
  virtual void Pause(const std::string& alias) = 0;
  virtual void Seek(const std::string& alias, double positionMs) = 0;
  // Volume from 0 (silent) to 1000 (full).
  virtual void SetVolume(const std::string& alias, int volume) = 0;
  // Where the library's playback is now, in milliseconds.
  virtual std::optional<double> PositionMs(const std::string& alias) = 0;
  // True once the library played the media to its end (it holds the last position then).
  virtual bool ReachedEnd(const std::string& alias) = 0;
};

}  // namespace qlm
