#include "platform/host/MediaModuleLoader.h"

#include "platform/host/ModuleLibrary.h"

namespace qlm {

namespace fs = std::filesystem;

MediaModuleLoader::MediaModuleLoader(MediaModuleOptions options, std::vector<fs::path> candidates)
    : options_(options), candidates_(std::move(candidates)) {}

// The library stays mapped (see ModuleLibrary.h).
MediaModuleLoader::~MediaModuleLoader() = default;

std::vector<fs::path> MediaModuleLoader::DefaultCandidates(const fs::path& executable) {
  return ModuleCandidates(executable, "qlm_media_backend.so");
}

MediaModule* MediaModuleLoader::Module(std::string& error) {
  if (!tried_) {
    tried_ = true;
    LoadModule(
        candidates_, kMediaModuleEntry,
        [this](void* entry) {
          module_.reset(reinterpret_cast<MediaModuleEntry>(entry)(&options_));
          return module_ != nullptr;
        },
        loadError_);
  }
  if (!module_)
    error = loadError_;
  return module_.get();
}

std::optional<MediaBackend::MediaInfo> MediaModuleLoader::Open(const std::string& alias,
                                                               const MediaFile& file,
                                                               std::string& error,
                                                               RefusedReferences& refused) {
  MediaModule* module = Module(error);
  return module ? module->Devices().Open(alias, file, error, refused) : std::nullopt;
}

void MediaModuleLoader::Close(const std::string& alias) {
  if (module_)
    module_->Devices().Close(alias);
}
void MediaModuleLoader::Play(const std::string& alias) {
  if (module_)
    module_->Devices().Play(alias);
}
void MediaModuleLoader::Pause(const std::string& alias) {
  if (module_)
    module_->Devices().Pause(alias);
}
void MediaModuleLoader::Seek(const std::string& alias, double positionMs) {
  if (module_)
    module_->Devices().Seek(alias, positionMs);
}
void MediaModuleLoader::SetVolume(const std::string& alias, int volume) {
  if (module_)
    module_->Devices().SetVolume(alias, volume);
}
std::optional<double> MediaModuleLoader::PositionMs(const std::string& alias) {
  return module_ ? module_->Devices().PositionMs(alias) : std::nullopt;
}
bool MediaModuleLoader::ReachedEnd(const std::string& alias) {
  return module_ && module_->Devices().ReachedEnd(alias);
}

std::unique_ptr<VideoStream> MediaModuleLoader::Open(const MediaFile& file, std::string& error,
                                                     RefusedReferences& refused) {
  MediaModule* module = Module(error);
  return module ? module->Videos().Open(file, error, refused) : nullptr;
}

}  // namespace qlm
