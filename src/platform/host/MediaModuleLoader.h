#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mediamodule/MediaModule.h"

namespace qlm {

// The player's media devices and video decoders, loaded from qlm_media_backend.so the first
// time either is used. The module is looked for beside the executable, then in the installed
// module folder. When it does not load, every media file fails to open with the reason.
class MediaModuleLoader : public MediaBackend, public VideoDecoders {
 public:
  MediaModuleLoader(MediaModuleOptions options, std::vector<std::filesystem::path> candidates);
  ~MediaModuleLoader() override;
  MediaModuleLoader(const MediaModuleLoader&) = delete;
  MediaModuleLoader& operator=(const MediaModuleLoader&) = delete;

  // Where the module of this executable may lie, in the order they are tried.
  static std::vector<std::filesystem::path> DefaultCandidates(
      const std::filesystem::path& executable);

  bool Loaded() const { return module_ != nullptr; }

  // MediaBackend.
  std::optional<MediaInfo> Open(const std::string& alias, const MediaFile& file, std::string& error,
                                RefusedReferences& refused) override;
  void Close(const std::string& alias) override;
  void Play(const std::string& alias) override;
  void Pause(const std::string& alias) override;
  void Seek(const std::string& alias, double positionMs) override;
  void SetVolume(const std::string& alias, int volume) override;
  std::optional<double> PositionMs(const std::string& alias) override;
  bool ReachedEnd(const std::string& alias) override;

  // VideoDecoders.
  std::unique_ptr<VideoStream> Open(const MediaFile& file, std::string& error,
                                    RefusedReferences& refused) override;

 private:
  // Loads the module once; null with the reason in `error` when it cannot be.
  MediaModule* Module(std::string& error);

  MediaModuleOptions options_;
  std::vector<std::filesystem::path> candidates_;
  bool tried_ = false;
  std::string loadError_;
  std::unique_ptr<MediaModule> module_;
};

}  // namespace qlm
