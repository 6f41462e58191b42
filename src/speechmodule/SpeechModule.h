#pragma once

#include "platform/SpeechSynthesizer.h"

// The speech plug-in of the player: the synthesizer and the libraries it pulls in (some thirty
// shared libraries) live in a module of their own, loaded the first time a presentation speaks,
// so that presentations without speech start without them. Module and player are built
// together, so the module hands out C++ objects.

namespace qlm {

struct SpeechModuleOptions {
  int version = 1;
};

inline constexpr int kSpeechModuleVersion = 1;
inline constexpr const char* kSpeechModuleEntry = "qlm_speech_module_create";
// The entry point: a synthesizer for those options, or null for another version.
using SpeechModuleEntry = SpeechSynthesizer* (*)(const SpeechModuleOptions*);

}  // namespace qlm
