#include "media/VideoPlayer.h"

#include <algorithm>
#include <cmath>

namespace qlm {

VideoPlayer::VideoPlayer(uint32_t mode, bool loop, double startMs, IntRect rect)
    : mode_(std::min<uint32_t>(mode, 4)), loop_(loop), startMs_(startMs), rect_(rect) {}

void VideoPlayer::MarkClosed() {
  if (stream_)
    stream_->StopSound();
  sound_ = false;
  state_ = State::kClosed;
  ended_ = true;
}

void VideoPlayer::SetMuted(bool muted) {
  muted_ = muted;
  if (stream_)
    stream_->SetMuted(muted);
}

void VideoPlayer::SetMedia(std::unique_ptr<VideoStream> stream, std::string file, uint64_t now,
                           std::unique_ptr<ReadableFile> source) {
  if (stream_)
    stream_->StopSound();
  sound_ = false;
  // The old stream goes before the file it reads.
  stream_ = std::move(stream);
  source_ = std::move(source);
  file_ = std::move(file);
  if (stream_)
    stream_->SetMuted(muted_);
  state_ = State::kStopped;
  Anchor(std::clamp(startMs_, 0.0, LengthMs()), now);
}

double VideoPlayer::LengthMs() const {
  return stream_ ? std::max(0.0, stream_->Describe().lengthMs) : 0.0;
}

void VideoPlayer::Anchor(double positionMs, uint64_t now) {
  anchorMs_ = positionMs;
  anchorTick_ = now;
}

void VideoPlayer::RestartSound() {
  if (!stream_)
    return;
  stream_->StopSound();
  sound_ = state_ == State::kRunning && rate_ == 1.0 && stream_->Describe().hasSound;
  if (sound_)
    stream_->StartSound(anchorMs_);
}

double VideoPlayer::PositionMs(uint64_t now) {
  double position = anchorMs_;
  if (state_ == State::kRunning) {
    std::optional<double> heard = sound_ && stream_ ? stream_->SoundPositionMs() : std::nullopt;
    if (heard) {
      position = *heard;
    } else {
      if (sound_) {
        // The sound ran out before the pictures: the clock goes on from where it was.
        sound_ = false;
      }
      position = anchorMs_ + static_cast<double>(now - anchorTick_) * rate_;
    }
  }
  return std::clamp(position, 0.0, LengthMs());
}

void VideoPlayer::Play(uint64_t now) {
  if (state_ == State::kClosed || state_ == State::kRunning || !stream_)
    return;
  double from = anchorMs_;
  // Played again after its end, a video starts from the beginning.
  if (from >= LengthMs())
    from = 0;
  state_ = State::kRunning;
  ended_ = false;
  Anchor(from, now);
  RestartSound();
}

void VideoPlayer::Pause(uint64_t now) {
  if (state_ == State::kClosed || !stream_)
    return;
  Anchor(PositionMs(now), now);
  if (state_ == State::kRunning)
    state_ = State::kPaused;
  RestartSound();
}

void VideoPlayer::Stop(uint64_t now) {
  if (state_ == State::kClosed || state_ == State::kStopped)
    return;
  Anchor(PositionMs(now), now);
  state_ = State::kStopped;
  RestartSound();
}

void VideoPlayer::SeekMs(double positionMs, uint64_t now) {
  if (state_ == State::kClosed || !stream_)
    return;
  Anchor(std::clamp(positionMs, 0.0, LengthMs()), now);
  RestartSound();
}

void VideoPlayer::SetRate(double rate, uint64_t now) {
  if (state_ == State::kClosed || !(rate > 0) || !std::isfinite(rate))
    return;
  Anchor(PositionMs(now), now);
  rate_ = rate;
  RestartSound();
}

double VideoPlayer::ToUnits(double ms) const {
  if (!frameFormat_)
    return ms;
  const double frameMs = stream_ ? stream_->Describe().frameMs : 40.0;
  return std::floor(ms / frameMs + 1e-6);
}

double VideoPlayer::FromUnits(double units) const {
  if (!frameFormat_)
    return units;
  return units * (stream_ ? stream_->Describe().frameMs : 40.0);
}

bool VideoPlayer::Advance(uint64_t now) {
  if (state_ != State::kRunning || !stream_)
    return false;
  const double length = LengthMs();
  const double position =
      sound_ ? PositionMs(now) : anchorMs_ + static_cast<double>(now - anchorTick_) * rate_;
  if (position < length)
    return false;
  if (loop_ && length > 0) {
    // The time past the end counts from the start again.
    const double past = sound_ ? 0.0 : std::fmod(position - length, length);
    Anchor(past, now);
    RestartSound();
    return false;
  }
  Anchor(length, now);
  state_ = State::kStopped;
  ended_ = true;
  RestartSound();
  return true;
}

std::optional<uint32_t> VideoPlayer::NextPictureIn(uint64_t now) {
  if (state_ != State::kRunning || !stream_)
    return std::nullopt;
  const double frameMs = std::max(1.0, stream_->Describe().frameMs);
  const double position = PositionMs(now);
  const double next = std::min((std::floor(position / frameMs + 1e-6) + 1) * frameMs, LengthMs());
  const double wait = std::ceil(std::max(0.0, next - position) / rate_);
  return static_cast<uint32_t>(std::clamp(wait, 1.0, 60000.0));
}

const VideoPicture* VideoPlayer::Picture(uint64_t now, int width, int height) {
  if (!stream_ || state_ == State::kClosed)
    return nullptr;
  return stream_->PictureAt(PositionMs(now), width, height);
}

int64_t VideoPlayer::FrameNumber(uint64_t now) {
  if (!stream_)
    return -1;
  const VideoStream::Info& info = stream_->Describe();
  const auto frame = static_cast<int64_t>(std::floor(PositionMs(now) / info.frameMs + 1e-6));
  return std::clamp<int64_t>(frame, 0, std::max<int64_t>(0, info.frameCount - 1));
}

}  // namespace qlm
