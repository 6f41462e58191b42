#include "platform/host/MediaModuleLoader.h"

#include <dlfcn.h>

namespace qlm {

namespace fs = std::filesystem;

MediaModuleLoader::MediaModuleLoader(MediaModuleOptions options, std::vector<fs::path> candidates)
    : options_(options), candidates_(std::move(candidates)) {}

// The library stays mapped (RTLD_NODELETE): the audio and decoding libraries it pulls in keep
// threads and handlers of their own that do not expect to be unmapped.
MediaModuleLoader::~MediaModuleLoader() = default;

std::vector<fs::path> MediaModuleLoader::DefaultCandidates(const fs::path& executable) {
  const fs::path folder = executable.parent_path();
  std::vector<fs::path> paths{folder / "qlm_media_backend.so"};
  paths.push_back((folder / QLM_MEDIA_MODULE_RELATIVE / "qlm_media_backend.so").lexically_normal());
  const fs::path installed = fs::path(QLM_MEDIA_MODULE_INSTALLED) / "qlm_media_backend.so";
  if (installed != paths.back())
    paths.push_back(installed);
  return paths;
}

MediaModule* MediaModuleLoader::Module(std::string& error) {
  if (!tried_) {
    tried_ = true;
    loadError_ = "the media module qlm_media_backend.so was not found";
    for (const fs::path& path : candidates_) {
      std::error_code ec;
      if (!fs::is_regular_file(path, ec))
        continue;
      dlerror();
      void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
      if (!handle) {
        const char* reason = dlerror();
        loadError_ = reason ? reason : "cannot load " + path.string();
        continue;
      }
      auto entry = reinterpret_cast<MediaModuleEntry>(dlsym(handle, kMediaModuleEntry));
      MediaModule* module = entry ? entry(&options_) : nullptr;
      dlclose(handle);  // stays mapped: RTLD_NODELETE
      if (!module) {
        loadError_ = path.string() + " is not a media module of this player";
        continue;
      }
      module_.reset(module);
      break;
    }
  }
  if (!module_)
    error = loadError_;
  return module_.get();
}

std::optional<MediaBackend::MediaInfo> MediaModuleLoader::Open(const std::string& alias,
                                                               const fs::path& file,
                                                               std::string& error) {
  MediaModule* module = Module(error);
  return module ? module->Devices().Open(alias, file, error) : std::nullopt;
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

std::unique_ptr<VideoStream> MediaModuleLoader::Open(const fs::path& file, std::string& error) {
  MediaModule* module = Module(error);
  return module ? module->Videos().Open(file, error) : nullptr;
}

}  // namespace qlm
