#pragma once

#include "platform/MediaBackend.h"
#include "platform/VideoDecoder.h"

// The media plug-in of the player: the decoders of sound, media and video files and what they
// pull in (some two hundred shared libraries) live in a module of their own, loaded the first
// time a presentation plays media, so that presentations without media start without them.
// Module and player are built together, so the module hands out C++ objects.

namespace qlm {

// Raised whenever the module's interface changes: a module of another build is refused.
inline constexpr int kMediaModuleVersion = 2;

struct MediaModuleOptions {
  int version = kMediaModuleVersion;
  // Headless runs: media devices decode into no audio output, videos play without sound.
  bool nullAudio = false;
  // With null audio: media devices decode as fast as they can.
  bool untimed = false;
  // Media files may name other files and addresses, which are followed (--trust).
  bool followReferences = false;
};

class MediaModule {
 public:
  virtual ~MediaModule() = default;
  virtual MediaBackend& Devices() = 0;
  virtual VideoDecoders& Videos() = 0;
};

inline constexpr const char* kMediaModuleEntry = "qlm_media_module_create";
// The entry point: a module for those options, or null for another version.
using MediaModuleEntry = MediaModule* (*)(const MediaModuleOptions*);

}  // namespace qlm
