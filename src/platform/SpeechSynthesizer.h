#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/SpeechOutput.h"

namespace qlm {

// One utterance as sound: signed 16-bit mono samples.
struct SpokenAudio {
  int sampleRate = 0;
  std::vector<int16_t> samples;
};

// Turns text into sound.
class SpeechSynthesizer {
 public:
  virtual ~SpeechSynthesizer() = default;
  // Makes the synthesizer ready; false, with the reason in `error`, when it cannot be.
  virtual bool Ready(std::string& error) = 0;
  // The sound of `utf8` spoken with `voice`; nullopt, with the reason in `error`, when it
  // cannot be made.
  virtual std::optional<SpokenAudio> Synthesize(const std::string& utf8, const SpeechVoice& voice,
                                                std::string& error) = 0;
};

}  // namespace qlm
