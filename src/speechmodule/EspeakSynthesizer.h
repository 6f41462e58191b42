#pragma once

#include "platform/SpeechSynthesizer.h"

namespace qlm {

// Speech from libespeak-ng, synthesized on the calling thread into memory (no audio output of
// its own). The library keeps one state per process, so a process has at most one of these.
class EspeakSynthesizer : public SpeechSynthesizer {
 public:
  EspeakSynthesizer() = default;
  ~EspeakSynthesizer() override;
  EspeakSynthesizer(const EspeakSynthesizer&) = delete;
  EspeakSynthesizer& operator=(const EspeakSynthesizer&) = delete;

  bool Ready(std::string& error) override;
  std::optional<SpokenAudio> Synthesize(const std::string& utf8, const SpeechVoice& voice,
                                        std::string& error) override;

 private:
  bool tried_ = false;
  int sampleRate_ = 0;
  std::string error_;
};

}  // namespace qlm
