#include "platform/sdl/SoundOffNotice.h"

#include <SDL.h>
#include <dlfcn.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace qlm {
namespace {

// ALSA's error handler is one function for the whole process with no room for a context, so
// what it keeps is the process's too.
struct AlsaComplaints {
  std::once_flag installed;
  std::atomic<bool> any{false};
  std::mutex mutex;
  std::string first;
};

AlsaComplaints& Complaints() {
  static AlsaComplaints complaints;
  return complaints;
}

// snd_lib_error_handler_t: the place in ALSA's sources, its error number and a printf format.
void KeepAlsaError(const char* /*file*/, int /*line*/, const char* /*function*/, int /*err*/,
                   const char* fmt, ...) {
  AlsaComplaints& c = Complaints();
  const std::lock_guard lock(c.mutex);
  if (c.any.load())
    return;
  char text[512];
  va_list args;
  va_start(args, fmt);
  std::vsnprintf(text, sizeof text, fmt ? fmt : "", args);
  va_end(args);
  c.first = text;
  c.any.store(true);
}

using ErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);
using SetErrorHandler = int (*)(ErrorHandler);

}  // namespace

void SoundOffNotice::SilenceAlsa() {
  std::call_once(Complaints().installed, [] {
    // The library stays loaded for the process: the handler must outlive every user of ALSA.
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL);
    if (!alsa)
      return;
    if (auto set = reinterpret_cast<SetErrorHandler>(dlsym(alsa, "snd_lib_error_set_handler")))
      set(KeepAlsaError);
  });
}

std::string SoundOffNotice::FirstAlsaError() {
  AlsaComplaints& c = Complaints();
  if (!c.any.load())
    return {};
  const std::lock_guard lock(c.mutex);
  return c.first;
}

void SoundOffNotice::Check() {
  if (checked_ || said_ || !Complaints().any.load())
    return;
  checked_ = true;
  // ALSA complains on machines that play through another way too: ask SDL for a device.
  bool plays = false;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
    const int devices = SDL_GetNumAudioDevices(0);
    if (devices > 0) {
      plays = true;
    } else if (devices < 0) {  // the driver does not list its devices: try the default one
      SDL_AudioSpec want{}, have{};
      want.freq = 48000;
      want.format = AUDIO_S16SYS;
      want.channels = 2;
      want.samples = 1024;
      if (const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0)) {
        plays = true;
        SDL_CloseAudioDevice(device);
      }
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  if (!plays)
    SayOff("ALSA: " + FirstAlsaError());
}

void SoundOffNotice::SayOff(const std::string& reason) {
  if (said_)
    return;
  said_ = true;
  err_ << "qlmplayer: no sound device (" << reason << "); sound is off\n";
}

}  // namespace qlm
