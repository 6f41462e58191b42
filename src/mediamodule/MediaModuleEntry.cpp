// The entry point of the media module (qlm_media_backend.so).
#include "mediamodule/FfmpegVideoDecoders.h"
#include "mediamodule/MediaModule.h"
#include "mediamodule/MpvMediaBackend.h"

namespace qlm {
namespace {

class LoadedMediaModule : public MediaModule {
 public:
  explicit LoadedMediaModule(const MediaModuleOptions& options)
      : devices_(MpvMediaBackend::Options{.nullAudio = options.nullAudio,
                                          .untimed = options.untimed,
                                          .followReferences = options.followReferences}),
        videos_(FfmpegVideoDecoders::Options{.sound = !options.nullAudio,
                                             .followReferences = options.followReferences}) {}

  MediaBackend& Devices() override { return devices_; }
  VideoDecoders& Videos() override { return videos_; }

 private:
  MpvMediaBackend devices_;
  FfmpegVideoDecoders videos_;
};

}  // namespace
}  // namespace qlm

extern "C" __attribute__((visibility("default"))) qlm::MediaModule* qlm_media_module_create(
    const qlm::MediaModuleOptions* options) {
  if (!options || options->version != qlm::kMediaModuleVersion)
    return nullptr;
  return new qlm::LoadedMediaModule(*options);
}
