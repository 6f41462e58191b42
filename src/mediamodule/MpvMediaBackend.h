#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/MediaBackend.h"

struct mpv_handle;

namespace qlm {

// Media devices played by libmpv, one player instance per alias. Video is always off: the
// devices the player opens show no pictures of their own. With null audio (headless runs and
// tests) the sound is decoded and timed but goes nowhere.
class MpvMediaBackend : public MediaBackend {
 public:
  struct Options {
    bool nullAudio = false;
    // With null audio: decode as fast as possible instead of in real time.
    bool untimed = false;
    // How long an open may wait for the library to read the file's header.
    int openTimeoutMs = 10000;
    // Follow what a media file names (playlist entries, edit lists, references inside
    // containers) and open addresses: only for presentations trusted with everything.
    bool followReferences = false;
  };

  explicit MpvMediaBackend(Options options);
  ~MpvMediaBackend() override;
  MpvMediaBackend(const MpvMediaBackend&) = delete;
  MpvMediaBackend& operator=(const MpvMediaBackend&) = delete;

  std::optional<MediaInfo> Open(const std::string& alias, const MediaFile& file, std::string& error,
                                RefusedReferences& refused) override;
  void Close(const std::string& alias) override;
  void Play(const std::string& alias) override;
  void Pause(const std::string& alias) override;
  void Seek(const std::string& alias, double positionMs) override;
  void SetVolume(const std::string& alias, int volume) override;
  std::optional<double> PositionMs(const std::string& alias) override;
  bool ReachedEnd(const std::string& alias) override;

 private:
  struct HandleDeleter {
    void operator()(mpv_handle* handle) const;
  };
  using Handle = std::unique_ptr<mpv_handle, HandleDeleter>;

  mpv_handle* Find(const std::string& alias) const;
  // Loads `file` into a new player; null with the reason in `error` when it does not play.
  Handle Load(const MediaFile& file, std::string& error) const;

  Options options_;
  std::map<std::string, Handle> devices_;
};

}  // namespace qlm
