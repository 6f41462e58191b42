#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/SpeechOutput.h"
#include "platform/SpeechSynthesizer.h"

namespace qlm {

// Speech heard through SDL audio, the output the media play through: each utterance is
// synthesized whole and queued on an audio device of its own, opened on the first utterance.
class SdlSpeechOutput : public SpeechOutput {
 public:
  // `failed` hears once why nothing can be spoken (no synthesizer, no audio device).
  SdlSpeechOutput(SpeechSynthesizer& synthesizer, std::function<void(const std::string&)> failed);
  ~SdlSpeechOutput() override;
  SdlSpeechOutput(const SdlSpeechOutput&) = delete;
  SdlSpeechOutput& operator=(const SdlSpeechOutput&) = delete;

  void Prepare() override;
  void Speak(const std::string& utf8, const SpeechVoice& voice) override;
  void Stop() override;
  void Pause() override;
  void Resume() override;

  // The bytes of speech queued and not yet heard.
  uint32_t QueuedBytes() const;

 private:
  bool OpenDevice(int sampleRate);
  void Fail(const std::string& why);

  SpeechSynthesizer& synthesizer_;
  std::function<void(const std::string&)> failed_;
  bool reported_ = false;
  bool audioInit_ = false;
  uint32_t device_ = 0;
  int sampleRate_ = 0;
  bool paused_ = false;
};

}  // namespace qlm
