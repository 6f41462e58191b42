#pragma once

#include <string>

namespace qlm {

// A voice in the synthesizer's own units.
struct SpeechVoice {
  int pitch = 50;            // base pitch, 0 to 100
  int wordsPerMinute = 175;  // speaking rate, 80 to 450

  bool operator==(const SpeechVoice&) const = default;
};

// Where the player's speech is heard. Utterances queue: each starts when the one before it has
// ended. All calls come from the user-interface thread and return without waiting for the
// speech to be heard.
class SpeechOutput {
 public:
  virtual ~SpeechOutput() = default;
  // Makes ready what the first utterance needs (the synthesizer), so that it starts at once.
  virtual void Prepare() {}
  // Speaks `utf8` with `voice` after what is queued.
  virtual void Speak(const std::string& utf8, const SpeechVoice& voice) = 0;
  // Silences what is speaking and forgets what is queued.
  virtual void Stop() = 0;
  // Holds playback where it is; Resume goes on from there. Speak while paused queues.
  virtual void Pause() = 0;
  virtual void Resume() = 0;
};

}  // namespace qlm
