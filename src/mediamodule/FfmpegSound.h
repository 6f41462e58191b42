#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "mediamodule/FfmpegFile.h"

namespace qlm {

// The sound of a video file, decoded from a demuxer of its own and queued on an SDL audio
// device, half a second ahead of what is heard. What the device has played is the clock of the
// video.
class FfmpegSound {
 public:
  // Null when the file has no sound that decodes or no audio device opens.
  static std::unique_ptr<FfmpegSound> Open(const MediaFile& file, bool followReferences);
  ~FfmpegSound();
  FfmpegSound(const FfmpegSound&) = delete;
  FfmpegSound& operator=(const FfmpegSound&) = delete;

  void Start(double positionMs);
  void Stop();
  // Decodes and queues until half a second is waiting.
  void TopUp();
  // Position of the sound heard now; nullopt when stopped or when the sound has run out.
  std::optional<double> PositionMs();
  void SetMuted(bool muted) { muted_ = muted; }

 private:
  FfmpegSound() = default;
  bool DecodeInto(AVFrame& frame);

  ffmpeg::OpenedStream in_;
  ffmpeg::ResamplerPtr resampler_;
  ffmpeg::PacketPtr packet_;
  ffmpeg::FramePtr frame_;
  uint32_t device_ = 0;
  bool audioInit_ = false;
  int rate_ = 48000;
  double timeBase_ = 0;
  int64_t start_ = 0;
  bool playing_ = false;
  bool ended_ = false;
  bool muted_ = false;
  double startMs_ = 0;
  double skipUntilMs_ = 0;
  uint64_t queuedBytes_ = 0;
};

}  // namespace qlm
