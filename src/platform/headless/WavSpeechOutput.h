#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "platform/SpeechOutput.h"
#include "platform/SpeechSynthesizer.h"

namespace qlm {

// Headless speech for tests: each utterance is synthesized and written as a WAV file
// (16-bit mono PCM) into a folder, speech-001.wav, speech-002.wav ... in the order spoken.
// Nothing is played, so stopping, pausing and resuming change nothing.
class WavSpeechOutput : public SpeechOutput {
 public:
  // `failed` hears each utterance that could not be written, with the reason.
  WavSpeechOutput(SpeechSynthesizer& synthesizer, std::filesystem::path folder,
                  std::function<void(const std::string&)> failed);

  void Prepare() override {}
  void Speak(const std::string& utf8, const SpeechVoice& voice) override;
  void Stop() override {}
  void Pause() override {}
  void Resume() override {}

  // The file of utterance `number` (from 1).
  std::filesystem::path FileOf(int number) const;

 private:
  SpeechSynthesizer& synthesizer_;
  std::filesystem::path folder_;
  std::function<void(const std::string&)> failed_;
  int count_ = 0;
};

// Writes `audio` as a RIFF WAV file of 16-bit mono PCM; false when the file cannot be written.
bool WriteWavFile(const std::filesystem::path& path, const SpokenAudio& audio);

}  // namespace qlm
