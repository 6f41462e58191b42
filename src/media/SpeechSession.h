#pragma once

#include <functional>
#include <string>

#include "platform/CodePage.h"
#include "platform/SpeechOutput.h"

namespace qlm {

class ScriptRunner;

// The speech of one player window: the voice the speech commands set and the utterances they
// send to the machine's speech output. Every utterance is announced (the automation output
// reports it) whether or not there is an output to hear it.
class SpeechSession {
 public:
  // Pitch and speed as scripts give them: -10 (lowest, slowest) to 10, 0 the normal voice.
  static constexpr double kLowest = -10;
  static constexpr double kHighest = 10;

  using Announce = std::function<void(const std::string& text, const SpeechVoice& voice)>;

  // `output` may be null (nothing is heard); `announce` may be empty.
  SpeechSession(SpeechOutput* output, const CodePage& codePage, Announce announce);
  SpeechSession(const SpeechSession&) = delete;
  SpeechSession& operator=(const SpeechSession&) = delete;

  // The synthesizer's pitch (0 to 100, 50 normal) of a script's pitch setting, clamped to the
  // range; a setting that is not a number is the normal voice.
  static int PitchOf(double setting);
  // The synthesizer's rate (80 to 450 words a minute, 175 normal) of a script's speed setting:
  // -10 to 0 slows to 80, 0 to 10 speeds up to 450.
  static int WordsPerMinuteOf(double setting);

  // The normal voice again; stops what is speaking and readies the synthesizer.
  void Init();
  // Speaks `text` (the presentation's code page) after what is queued. Blank text says nothing;
  // a text of more than 4,000 characters is cut at a word boundary before them.
  void Say(const std::string& text);
  void Stop();
  void Pause();
  void Resume();
  void SetPitch(double setting);
  void SetSpeed(double setting);

  const SpeechVoice& Voice() const { return voice_; }

 private:
  SpeechOutput* output_;
  const CodePage& codePage_;
  Announce announce_;
  SpeechVoice voice_;
};

// The speech commands: InstallTTS, InitTTS, Say, SpeakText, StopTTS, PauseTTS, ResumeTTS,
// PitchTTS and SpeedTTS.
void RegisterSpeechCommands(ScriptRunner& runner, SpeechSession& speech);

}  // namespace qlm
