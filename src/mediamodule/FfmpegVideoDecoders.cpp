#include "mediamodule/FfmpegVideoDecoders.h"

#include "mediamodule/ListedReferences.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <vector>

#include "mediamodule/FfmpegFile.h"
#include "mediamodule/FfmpegSound.h"

namespace qlm {

using namespace ffmpeg;

namespace {

// A position this far beyond the next decoded frame is reached by seeking, not by decoding
// every frame in between.
constexpr double kSeekAheadMs = 2000;
// Seek targets stay within what a 64-bit time stamp holds at any time base.
constexpr double kLatestSeekMs = 1e12;

// The shown frame at the size last asked for, converted when its pixels are first wanted.
class FfmpegPicture : public VideoPicture {
 public:
  // Readies the conversion of `decoded` to w x h; false when there is none.
  bool Prepare(const AVFrame& decoded, int w, int h) {
    if (source_ == &decoded && scaler_ && width == w && height == h)
      return true;
    scaler_.reset(sws_getCachedContext(scaler_.release(), decoded.width, decoded.height,
                                       static_cast<AVPixelFormat>(decoded.format), w, h,
                                       AV_PIX_FMT_BGR0, SWS_BILINEAR, nullptr, nullptr, nullptr));
    source_ = scaler_ ? &decoded : nullptr;
    width = w;
    height = h;
    converted_ = false;
    return scaler_ != nullptr;
  }
  // The frame decoded anew: the pixels are stale.
  void Changed() {
    source_ = nullptr;
    converted_ = false;
  }

  const uint32_t* Pixels() const override {
    if (!converted_) {
      pixels_.resize(static_cast<size_t>(width) * height);
      Scale(pixels_.data(), width);
      converted_ = true;
    }
    return pixels_.data();
  }

  // Pixels converted before are copied: a copy costs less than a conversion.
  void ConvertInto(uint32_t* rows, ptrdiff_t stride) const override {
    if (!converted_) {
      Scale(rows, stride);
      return;
    }
    for (int y = 0; y < height; ++y)
      std::copy_n(pixels_.data() + static_cast<ptrdiff_t>(y) * width, width, rows + y * stride);
  }

 private:
  void Scale(uint32_t* rows, ptrdiff_t stride) const {
    uint8_t* planes[4] = {reinterpret_cast<uint8_t*>(rows), nullptr, nullptr, nullptr};
    int strides[4] = {static_cast<int>(stride * 4), 0, 0, 0};
    sws_scale(scaler_.get(), source_->data, source_->linesize, 0, source_->height, planes, strides);
  }

  ScalerPtr scaler_;
  const AVFrame* source_ = nullptr;
  mutable std::vector<uint32_t> pixels_;
  mutable bool converted_ = false;
};

class FfmpegVideoStream : public VideoStream {
 public:
  bool Open(const MediaFile& file, bool sound, bool followReferences, std::string& error,
            RefusedReferences& refused) {
    OpenedStream opened;
    if (!OpenStream(file, AVMEDIA_TYPE_VIDEO, opened, error, followReferences, refused))
      return false;
    format_ = std::move(opened.format);
    decodingTimesOnly_ = std::string_view(format_->iformat->name) == "avi";
    codec_ = std::move(opened.codec);
    index_ = opened.index;
    const AVStream* stream = format_->streams[index_];
    if (codec_->width <= 0 || codec_->height <= 0) {
      error = "no picture size";
      return false;
    }
    timeBase_ = av_q2d(stream->time_base);
    timeBaseQ_ = stream->time_base;
    start_ = stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time;
    AVRational rate = stream->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
      rate = stream->r_frame_rate;
    info_.width = codec_->width;
    info_.height = codec_->height;
    info_.frameMs = rate.num > 0 && rate.den > 0 ? 1000.0 / av_q2d(rate) : 40.0;
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
      info_.lengthMs = stream->duration * timeBase_ * 1000.0;
    else if (format_->duration > 0)
      info_.lengthMs = format_->duration * 1000.0 / AV_TIME_BASE;
    info_.frameCount =
        stream->nb_frames > 0 ? stream->nb_frames : std::llround(info_.lengthMs / info_.frameMs);
    if (info_.lengthMs <= 0)
      info_.lengthMs = static_cast<double>(info_.frameCount) * info_.frameMs;
    packet_.reset(av_packet_alloc());
    shown_.reset(av_frame_alloc());
    ahead_.reset(av_frame_alloc());
    // A file whose first picture does not decode is not a video this player can show.
    if (!PictureAt(0, 1, 1)) {
      error = "no picture decodes";
      return false;
    }
    if (sound) {
      sound_ = FfmpegSound::Open(file, followReferences);
      info_.hasSound = sound_ != nullptr;
    }
    return true;
  }

  const Info& Describe() const override { return info_; }
  bool Failed() const override { return failed_; }

  const VideoPicture* PictureAt(double positionMs, int width, int height) override {
    if (width <= 0 || height <= 0)
      return nullptr;
    const bool behind = hasShown_ && positionMs < shownMs_;
    const bool farAhead =
        hasShown_ && positionMs > shownMs_ + kSeekAheadMs && !(hasAhead_ && aheadMs_ <= positionMs);
    if (behind || farAhead)
      SeekBefore(positionMs);
    for (;;) {
      if (!hasAhead_)
        hasAhead_ = DecodeNext(*ahead_, aheadMs_);
      if (!hasAhead_ || (hasShown_ && aheadMs_ > positionMs))
        break;
      std::swap(shown_, ahead_);
      shownMs_ = aheadMs_;
      hasShown_ = true;
      hasAhead_ = false;
      picture_.Changed();
    }
    if (!hasShown_)
      return nullptr;
    if (!picture_.Prepare(*shown_, width, height))
      return nullptr;
    picture_.timeMs = shownMs_;
    picture_.frame = std::llround(shownMs_ / info_.frameMs);
    if (sound_)
      sound_->TopUp();
    return &picture_;
  }

  void StartSound(double positionMs) override {
    if (sound_)
      sound_->Start(positionMs);
  }
  void StopSound() override {
    if (sound_)
      sound_->Stop();
  }
  std::optional<double> SoundPositionMs() override {
    return sound_ ? sound_->PositionMs() : std::nullopt;
  }
  void SetMuted(bool muted) override {
    if (sound_)
      sound_->SetMuted(muted);
  }

 private:
  double TimeOf(const AVFrame& frame) const {
    int64_t ts = frame.best_effort_timestamp;
    if (ts == AV_NOPTS_VALUE)
      return hasShown_ ? shownMs_ + info_.frameMs : 0;
    // AVI stores only decoding times: a decoder that holds pictures back to reorder them (MPEG
    // video) returns each one with the time of the packet that released it, that many frames
    // later than the picture's own.
    if (decodingTimesOnly_ && frame.pts == AV_NOPTS_VALUE && ts == frame.pkt_dts &&
        codec_->has_b_frames > 0)
      ts -= codec_->has_b_frames * std::llround(info_.frameMs / 1000.0 / timeBase_);
    // Whole microseconds first, so that frame n of a 25 fps clip is due at exactly 40 n ms.
    return static_cast<double>(av_rescale_q(ts - start_, timeBaseQ_, AVRational{1, 1000000})) /
           1000.0;
  }

  // The next frame in decoding order; false at the end or when the data stops decoding.
  // Damage shows as errors from the decoder or, where the data cannot even be split into
  // pictures, as an end of the data well before the length the container states.
  bool DecodeNext(AVFrame& frame, double& timeMs) {
    for (int damaged = 0; damaged < 64;) {
      int r = avcodec_receive_frame(codec_.get(), &frame);
      if (r == 0) {
        timeMs = TimeOf(frame);
        lastDecodedMs_ = timeMs;
        return true;
      }
      if (r != AVERROR(EAGAIN)) {
        const double missingMs = info_.lengthMs - (lastDecodedMs_ + info_.frameMs);
        failed_ = failed_ || r != AVERROR_EOF ||
                  missingMs > std::max(2 * info_.frameMs, info_.lengthMs / 10);
        return false;
      }
      if (draining_)
        return false;
      r = av_read_frame(format_.get(), packet_.get());
      if (r < 0) {
        draining_ = true;
        avcodec_send_packet(codec_.get(), nullptr);
        continue;
      }
      if (packet_->stream_index == index_ && avcodec_send_packet(codec_.get(), packet_.get()) < 0)
        ++damaged;
      av_packet_unref(packet_.get());
    }
    failed_ = true;
    return false;
  }

  // Seeks to a key frame at or before `positionMs`. Containers without an index (MPEG program
  // streams) land near the time asked for, sometimes after it: then it seeks further back, in
  // the end to a time before the start, since a seek to the start time itself can land seconds
  // into the video.
  void SeekBefore(double positionMs) {
    double back = 0;
    for (int attempt = 0; attempt < 6; ++attempt) {
      const double target = positionMs - back;
      if (!Seek(target))
        return;
      hasAhead_ = DecodeNext(*ahead_, aheadMs_);
      if (!hasAhead_ || aheadMs_ <= positionMs || target < 0)
        return;
      back = back * 2 + 1000;
    }
  }

  // Times before the start (down to a second before it) ask for the start; a container that
  // refuses them is asked for the start time itself.
  bool Seek(double positionMs) {
    const double ms = std::clamp(positionMs, -1000.0, kLatestSeekMs);
    const auto target = start_ + static_cast<int64_t>(std::floor(ms / 1000.0 / timeBase_));
    if (av_seek_frame(format_.get(), index_, target, AVSEEK_FLAG_BACKWARD) < 0 &&
        av_seek_frame(format_.get(), index_, start_, AVSEEK_FLAG_BACKWARD) < 0) {
      return false;  // the file cannot seek: decoding goes on from where it is
    }
    avcodec_flush_buffers(codec_.get());
    draining_ = false;
    hasShown_ = false;
    hasAhead_ = false;
    return true;
  }

  FormatPtr format_;
  CodecPtr codec_;
  int index_ = -1;
  double timeBase_ = 0;
  AVRational timeBaseQ_{1, 1};
  int64_t start_ = 0;
  Info info_;
  PacketPtr packet_;
  bool draining_ = false;
  // The frame shown and the one decoded after it.
  FramePtr shown_, ahead_;
  bool hasShown_ = false, hasAhead_ = false;
  double shownMs_ = 0, aheadMs_ = 0;
  FfmpegPicture picture_;
  bool failed_ = false;
  double lastDecodedMs_ = 0;
  bool decodingTimesOnly_ = false;  // AVI: packets carry no presentation times
  std::unique_ptr<FfmpegSound> sound_;
};

}  // namespace

std::unique_ptr<VideoStream> FfmpegVideoDecoders::Open(const MediaFile& file, std::string& error,
                                                       RefusedReferences& refused) {
  av_log_set_level(AV_LOG_QUIET);
  auto stream = std::make_unique<FfmpegVideoStream>();
  if (stream->Open(file, options_.sound, options_.followReferences, error, refused))
    return stream;
  // A list FFmpeg does not read as one (a playlist) or refuses before opening what it names
  // (a concat list's unsafe names) still names them.
  if (!options_.followReferences)
    AddListedReferences(file, refused);
  return nullptr;
}

}  // namespace qlm
