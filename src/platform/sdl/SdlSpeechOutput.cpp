#include "platform/sdl/SdlSpeechOutput.h"

#include <SDL.h>

namespace qlm {

SdlSpeechOutput::SdlSpeechOutput(SpeechSynthesizer& synthesizer,
                                 std::function<void(const std::string&)> failed)
    : synthesizer_(synthesizer), failed_(std::move(failed)) {}

SdlSpeechOutput::~SdlSpeechOutput() {
  if (device_ != 0)
    SDL_CloseAudioDevice(device_);
  if (audioInit_)
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlSpeechOutput::Fail(const std::string& why) {
  if (!reported_ && failed_)
    failed_(why);
  reported_ = true;
}

void SdlSpeechOutput::Prepare() {
  std::string error;
  if (!synthesizer_.Ready(error))
    Fail(error);
}

bool SdlSpeechOutput::OpenDevice(int sampleRate) {
  if (device_ != 0 && sampleRate == sampleRate_)
    return true;
  if (device_ != 0) {
    SDL_CloseAudioDevice(device_);
    device_ = 0;
  }
  if (!audioInit_) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      Fail(std::string("no audio: ") + SDL_GetError());
      return false;
    }
    audioInit_ = true;
  }
  SDL_AudioSpec want{}, have{};
  want.freq = sampleRate;
  want.format = AUDIO_S16SYS;
  want.channels = 1;
  want.samples = 1024;
  // SDL converts to whatever the device plays.
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device_ == 0) {
    Fail(std::string("no audio device: ") + SDL_GetError());
    return false;
  }
  sampleRate_ = sampleRate;
  SDL_PauseAudioDevice(device_, paused_ ? 1 : 0);
  return true;
}

void SdlSpeechOutput::Speak(const std::string& utf8, const SpeechVoice& voice) {
  std::string error;
  const std::optional<SpokenAudio> audio = synthesizer_.Synthesize(utf8, voice, error);
  if (!audio) {
    Fail(error);
    return;
  }
  if (audio->samples.empty() || !OpenDevice(audio->sampleRate))
    return;
  SDL_QueueAudio(device_, audio->samples.data(),
                 static_cast<uint32_t>(audio->samples.size() * sizeof(int16_t)));
}

void SdlSpeechOutput::Stop() {
  if (device_ != 0)
    SDL_ClearQueuedAudio(device_);
}

void SdlSpeechOutput::Pause() {
  paused_ = true;
  if (device_ != 0)
    SDL_PauseAudioDevice(device_, 1);
}

void SdlSpeechOutput::Resume() {
  paused_ = false;
  if (device_ != 0)
    SDL_PauseAudioDevice(device_, 0);
}

uint32_t SdlSpeechOutput::QueuedBytes() const {
  return device_ != 0 ? SDL_GetQueuedAudioSize(device_) : 0;
}

}  // namespace qlm
