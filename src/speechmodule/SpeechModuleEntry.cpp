// The entry point of the speech module (qlm_speech.so).
#include "speechmodule/EspeakSynthesizer.h"
#include "speechmodule/SpeechModule.h"

extern "C" __attribute__((visibility("default"))) qlm::SpeechSynthesizer* qlm_speech_module_create(
    const qlm::SpeechModuleOptions* options) {
  if (!options || options->version != qlm::kSpeechModuleVersion)
    return nullptr;
  return new qlm::EspeakSynthesizer();
}
