#include "mediamodule/FfmpegSound.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace qlm {

using namespace ffmpeg;

namespace {

constexpr int kChannels = 2;
constexpr int kBytesPerFrame = kChannels * 2;  // signed 16-bit stereo
constexpr double kQueueAheadMs = 500;

}  // namespace

std::unique_ptr<FfmpegSound> FfmpegSound::Open(const MediaFile& file, bool followReferences) {
  std::unique_ptr<FfmpegSound> sound(new FfmpegSound());
  std::string error;
  // The picture's open reported what the file names already.
  RefusedReferences refused;
  if (!OpenStream(file, AVMEDIA_TYPE_AUDIO, sound->in_, error, followReferences, refused))
    return nullptr;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
    return nullptr;
  sound->audioInit_ = true;
  SDL_AudioSpec want{}, have{};
  want.freq = 48000;
  want.format = AUDIO_S16SYS;
  want.channels = kChannels;
  want.samples = 1024;
  sound->device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (sound->device_ == 0)
    return nullptr;
  sound->rate_ = want.freq;
  AVCodecContext& codec = *sound->in_.codec;
  AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
  SwrContext* resampler = nullptr;
  if (swr_alloc_set_opts2(&resampler, &stereo, AV_SAMPLE_FMT_S16, sound->rate_, &codec.ch_layout,
                          codec.sample_fmt, codec.sample_rate, 0, nullptr) < 0 ||
      swr_init(resampler) < 0) {
    swr_free(&resampler);
    return nullptr;
  }
  sound->resampler_.reset(resampler);
  const AVStream* stream = sound->in_.format->streams[sound->in_.index];
  sound->timeBase_ = av_q2d(stream->time_base);
  sound->start_ = stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time;
  sound->packet_.reset(av_packet_alloc());
  sound->frame_.reset(av_frame_alloc());
  return sound;
}

FfmpegSound::~FfmpegSound() {
  if (device_ != 0)
    SDL_CloseAudioDevice(device_);
  if (audioInit_)
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void FfmpegSound::Start(double positionMs) {
  Stop();
  const auto target = start_ + static_cast<int64_t>(std::max(0.0, positionMs) / 1000.0 / timeBase_);
  av_seek_frame(in_.format.get(), in_.index, target, AVSEEK_FLAG_BACKWARD);
  avcodec_flush_buffers(in_.codec.get());
  swr_init(resampler_.get());
  startMs_ = positionMs;
  skipUntilMs_ = positionMs;
  queuedBytes_ = 0;
  ended_ = false;
  playing_ = true;
  TopUp();
  SDL_PauseAudioDevice(device_, 0);
}

void FfmpegSound::Stop() {
  if (!playing_)
    return;
  SDL_PauseAudioDevice(device_, 1);
  SDL_ClearQueuedAudio(device_);
  playing_ = false;
}

bool FfmpegSound::DecodeInto(AVFrame& frame) {
  for (;;) {
    const int r = avcodec_receive_frame(in_.codec.get(), &frame);
    if (r == 0)
      return true;
    if (r != AVERROR(EAGAIN))
      return false;
    if (av_read_frame(in_.format.get(), packet_.get()) < 0) {
      avcodec_send_packet(in_.codec.get(), nullptr);
      continue;
    }
    if (packet_->stream_index == in_.index)
      avcodec_send_packet(in_.codec.get(), packet_.get());
    av_packet_unref(packet_.get());
  }
}

void FfmpegSound::TopUp() {
  if (!playing_ || ended_)
    return;
  const auto ahead = static_cast<uint32_t>(kQueueAheadMs * rate_ / 1000.0) * kBytesPerFrame;
  std::vector<uint8_t> buffer;
  while (SDL_GetQueuedAudioSize(device_) < ahead) {
    if (!DecodeInto(*frame_)) {
      ended_ = true;
      return;
    }
    const int64_t ts = frame_->best_effort_timestamp;
    const double frameMs =
        ts == AV_NOPTS_VALUE ? skipUntilMs_ : static_cast<double>(ts - start_) * timeBase_ * 1000;
    const int capacity = swr_get_out_samples(resampler_.get(), frame_->nb_samples);
    buffer.resize(static_cast<size_t>(std::max(capacity, 0)) * kBytesPerFrame);
    uint8_t* out[1] = {buffer.data()};
    const int samples =
        swr_convert(resampler_.get(), out, capacity,
                    const_cast<const uint8_t**>(frame_->extended_data), frame_->nb_samples);
    if (samples <= 0)
      continue;
    // After a seek the decoder starts at a packet before the position: its head is dropped.
    int skip = 0;
    if (frameMs < skipUntilMs_)
      skip = std::min(samples, static_cast<int>((skipUntilMs_ - frameMs) * rate_ / 1000.0));
    const size_t bytes = static_cast<size_t>(samples - skip) * kBytesPerFrame;
    if (bytes == 0)
      continue;
    uint8_t* from = buffer.data() + static_cast<size_t>(skip) * kBytesPerFrame;
    if (muted_)
      std::fill(from, from + bytes, uint8_t{0});
    SDL_QueueAudio(device_, from, static_cast<uint32_t>(bytes));
    queuedBytes_ += bytes;
  }
}

std::optional<double> FfmpegSound::PositionMs() {
  if (!playing_)
    return std::nullopt;
  TopUp();
  const uint32_t waiting = SDL_GetQueuedAudioSize(device_);
  if (ended_ && waiting == 0)
    return std::nullopt;
  const double played =
      static_cast<double>(queuedBytes_ - std::min<uint64_t>(waiting, queuedBytes_));
  return startMs_ + played / kBytesPerFrame * 1000.0 / rate_;
}

}  // namespace qlm
