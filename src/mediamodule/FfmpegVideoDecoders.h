#pragma once

#include "platform/VideoDecoder.h"

namespace qlm {

// Video files decoded with FFmpeg's libraries. Pictures are found by their presentation time,
// so the same position always gives the same picture. With sound on, a stream plays its first
// audio track through an SDL audio device of its own; without, sound is never decoded.
class FfmpegVideoDecoders : public VideoDecoders {
 public:
  struct Options {
    bool sound = false;
    // Open what a video file names (segments of a stream list, concat entries) and the
    // addresses it names: only for presentations trusted with everything.
    bool followReferences = false;
  };

  explicit FfmpegVideoDecoders(Options options) : options_(options) {}

  std::unique_ptr<VideoStream> Open(const MediaFile& file, std::string& error,
                                    RefusedReferences& refused) override;

 private:
  Options options_;
};

}  // namespace qlm
