#include "platform/sdl/SdlSpeechOutput.h"

#include <SDL.h>

namespace qlm {

SdlSpeechOutput::SdlSpeechOutput(SpeechSynthesizer& synthesizer,
                                 std::function<void(const std::string&)> failed)
    : synthesizer_(synthesizer), failed_(std::move(failed)) {}

SdlSpeechOutput::~SdlSpeechOutput() {
  {
    const std::lock_guard lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
  if (worker_.joinable())
    worker_.join();
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

void SdlSpeechOutput::ReportLaterFailure() {
  std::string why;
  {
    const std::lock_guard lock(mutex_);
    why.swap(laterFailure_);
  }
  if (!why.empty())
    Fail(why);
}

bool SdlSpeechOutput::Ready() {
  if (ready_)
    return true;
  std::string error;
  if (!synthesizer_.Ready(error)) {
    Fail(error);
    return false;
  }
  if (!audioInit_) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      Fail(std::string("no audio: ") + SDL_GetError());
      return false;
    }
    audioInit_ = true;
  }
  ready_ = true;
  worker_ = std::thread([this] { Synthesize(); });
  return true;
}

void SdlSpeechOutput::Prepare() {
  ReportLaterFailure();
  Ready();
}

void SdlSpeechOutput::Speak(const std::string& utf8, const SpeechVoice& voice) {
  ReportLaterFailure();
  if (!Ready())
    return;
  {
    const std::lock_guard lock(mutex_);
    pending_.push_back({utf8, voice, generation_});
  }
  wake_.notify_one();
}

void SdlSpeechOutput::Synthesize() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return quit_ || !pending_.empty(); });
    if (quit_)
      return;
    const Utterance utterance = std::move(pending_.front());
    pending_.pop_front();
    lock.unlock();
    std::string error;
    const std::optional<SpokenAudio> audio =
        synthesizer_.Synthesize(utterance.utf8, utterance.voice, error);
    lock.lock();
    if (utterance.generation != generation_)
      continue;  // stopped meanwhile
    if (!audio) {
      laterFailure_ = error;
      continue;
    }
    if (audio->samples.empty() || !OpenDevice(audio->sampleRate))
      continue;
    SDL_QueueAudio(device_, audio->samples.data(),
                   static_cast<uint32_t>(audio->samples.size() * sizeof(int16_t)));
  }
}

bool SdlSpeechOutput::OpenDevice(int sampleRate) {
  if (device_ != 0 && sampleRate == sampleRate_)
    return true;
  if (device_ != 0) {
    SDL_CloseAudioDevice(device_);
    device_ = 0;
  }
  SDL_AudioSpec want{}, have{};
  want.freq = sampleRate;
  want.format = AUDIO_S16SYS;
  want.channels = 1;
  want.samples = 1024;
  // SDL converts to whatever the device plays.
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device_ == 0) {
    laterFailure_ = std::string("no audio device: ") + SDL_GetError();
    return false;
  }
  sampleRate_ = sampleRate;
  SDL_PauseAudioDevice(device_, paused_ ? 1 : 0);
  return true;
}

void SdlSpeechOutput::Stop() {
  const std::lock_guard lock(mutex_);
  ++generation_;
  pending_.clear();
  if (device_ != 0)
    SDL_ClearQueuedAudio(device_);
}

void SdlSpeechOutput::Pause() {
  const std::lock_guard lock(mutex_);
  paused_ = true;
  if (device_ != 0)
    SDL_PauseAudioDevice(device_, 1);
}

void SdlSpeechOutput::Resume() {
  const std::lock_guard lock(mutex_);
  paused_ = false;
  if (device_ != 0)
    SDL_PauseAudioDevice(device_, 0);
}

uint32_t SdlSpeechOutput::QueuedBytes() const {
  const std::lock_guard lock(mutex_);
  return device_ != 0 ? SDL_GetQueuedAudioSize(device_) : 0;
}

}  // namespace qlm
