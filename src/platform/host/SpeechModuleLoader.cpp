#include "platform/host/SpeechModuleLoader.h"

#include "platform/host/ModuleLibrary.h"
#include "speechmodule/SpeechModule.h"

namespace qlm {

namespace fs = std::filesystem;

SpeechModuleLoader::SpeechModuleLoader(std::vector<fs::path> candidates)
    : candidates_(std::move(candidates)) {}

// The library stays mapped (see ModuleLibrary.h).
SpeechModuleLoader::~SpeechModuleLoader() = default;

std::vector<fs::path> SpeechModuleLoader::DefaultCandidates(const fs::path& executable) {
  return ModuleCandidates(executable, "qlm_speech.so");
}

bool SpeechModuleLoader::Ready(std::string& error) {
  if (!tried_) {
    tried_ = true;
    const SpeechModuleOptions options;
    LoadModule(
        candidates_, kSpeechModuleEntry,
        [this, &options](void* entry) {
          module_.reset(reinterpret_cast<SpeechModuleEntry>(entry)(&options));
          return module_ != nullptr;
        },
        loadError_);
  }
  if (!module_) {
    error = loadError_;
    return false;
  }
  return module_->Ready(error);
}

std::optional<SpokenAudio> SpeechModuleLoader::Synthesize(const std::string& utf8,
                                                          const SpeechVoice& voice,
                                                          std::string& error) {
  if (!Ready(error))
    return std::nullopt;
  return module_->Synthesize(utf8, voice, error);
}

}  // namespace qlm
