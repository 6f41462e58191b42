#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/SpeechSynthesizer.h"

namespace qlm {

// The player's speech synthesizer, loaded from qlm_speech.so the first time it is needed. The
// module is looked for beside the executable, then in the installed module folder. When it does
// not load, nothing can be spoken and every call says why.
class SpeechModuleLoader : public SpeechSynthesizer {
 public:
  explicit SpeechModuleLoader(std::vector<std::filesystem::path> candidates);
  ~SpeechModuleLoader() override;
  SpeechModuleLoader(const SpeechModuleLoader&) = delete;
  SpeechModuleLoader& operator=(const SpeechModuleLoader&) = delete;

  // Where the module of this executable may lie, in the order they are tried.
  static std::vector<std::filesystem::path> DefaultCandidates(
      const std::filesystem::path& executable);

  // Whether the module was looked for yet.
  bool Tried() const { return tried_; }

  bool Ready(std::string& error) override;
  std::optional<SpokenAudio> Synthesize(const std::string& utf8, const SpeechVoice& voice,
                                        std::string& error) override;

 private:
  std::vector<std::filesystem::path> candidates_;
  bool tried_ = false;
  std::string loadError_;
  std::unique_ptr<SpeechSynthesizer> module_;
};

}  // namespace qlm
