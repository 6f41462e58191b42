#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "platform/SpeechOutput.h"
#include "platform/SpeechSynthesizer.h"

namespace qlm {

// Speech heard through SDL audio, the output the media play through: each utterance is
// synthesized whole on a thread of its own, so that a long text does not hold up the player,
// and queued on an audio device of its own, opened on the first utterance. Utterances are heard
// in the order they were said; Stop forgets those not yet heard, synthesized or not.
class SdlSpeechOutput : public SpeechOutput {
 public:
  // `failed` hears once why nothing can be spoken (no synthesizer, no audio device), on the
  // player's thread.
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
  struct Utterance {
    std::string utf8;
    SpeechVoice voice;
    uint64_t generation = 0;
  };

  // Whether the synthesizer is ready; asked on the player's thread until it is, before the
  // synthesizing thread starts, so the two never call it at once.
  bool Ready();
  void Synthesize();
  bool OpenDevice(int sampleRate);  // with mutex_ held
  void Fail(const std::string& why);
  void ReportLaterFailure();

  SpeechSynthesizer& synthesizer_;
  std::function<void(const std::string&)> failed_;
  bool reported_ = false;
  bool ready_ = false;
  bool audioInit_ = false;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Utterance> pending_;
  uint64_t generation_ = 0;  // Stop moves it on: older utterances are dropped
  bool quit_ = false;
  std::string laterFailure_;  // what the synthesizing thread could not do, to be reported
  uint32_t device_ = 0;
  int sampleRate_ = 0;
  bool paused_ = false;
  std::thread worker_;
};

}  // namespace qlm
