#include "speechmodule/EspeakSynthesizer.h"

#include <espeak-ng/speak_lib.h>

#include <algorithm>

namespace qlm {
namespace {

// Collects the samples of one utterance into the vector the utterance was started with.
int CollectSamples(short* samples, int count, espeak_EVENT* events) {
  if (samples && count > 0 && events) {
    auto* out = static_cast<std::vector<int16_t>*>(events->user_data);
    if (out)
      out->insert(out->end(), samples, samples + count);
  }
  return 0;  // go on
}

}  // namespace

EspeakSynthesizer::~EspeakSynthesizer() {
  if (sampleRate_ > 0)
    espeak_Terminate();
}

bool EspeakSynthesizer::Ready(std::string& error) {
  if (!tried_) {
    tried_ = true;
    // Synchronous: espeak_Synth returns once the whole utterance went through the callback.
    const int rate =
        espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT);
    if (rate <= 0) {
      error_ = "espeak-ng cannot start (are its voice data installed?)";
    } else {
      sampleRate_ = rate;
      espeak_SetSynthCallback(CollectSamples);
      if (espeak_SetVoiceByName("en") != EE_OK)
        error_ = "espeak-ng has no English voice";
    }
  }
  if (!error_.empty())
    error = error_;
  return error_.empty();
}

std::optional<SpokenAudio> EspeakSynthesizer::Synthesize(const std::string& utf8,
                                                         const SpeechVoice& voice,
                                                         std::string& error) {
  if (!Ready(error))
    return std::nullopt;
  espeak_SetParameter(espeakRATE,
                      std::clamp(voice.wordsPerMinute, espeakRATE_MINIMUM, espeakRATE_MAXIMUM), 0);
  espeak_SetParameter(espeakPITCH, std::clamp(voice.pitch, 0, 100), 0);
  SpokenAudio audio;
  audio.sampleRate = sampleRate_;
  const espeak_ERROR result = espeak_Synth(utf8.c_str(), utf8.size() + 1, 0, POS_CHARACTER, 0,
                                           espeakCHARS_UTF8, nullptr, &audio.samples);
  if (result != EE_OK) {
    error = "espeak-ng could not speak the text";
    return std::nullopt;
  }
  return audio;
}

}  // namespace qlm
