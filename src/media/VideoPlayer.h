#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "graphics/Geometry.h"
#include "platform/ReadableFile.h"
#include "platform/VideoDecoder.h"

namespace qlm {

// The player of one video object: its settings, its media and the clock it plays by. Times are
// the ticks of the window's clock; the position runs from where it was anchored at the rate.
// While the stream's sound plays at the normal rate, what the sound output has played is the
// position instead, so that pictures follow the sound and are dropped rather than drift.
class VideoPlayer {
 public:
  enum class State { kStopped = 0, kPaused = 1, kRunning = 2, kClosed = 6 };

  VideoPlayer(uint32_t mode, bool loop, double startMs, IntRect rect);

  uint32_t Mode() const { return mode_; }
  bool Loop() const { return loop_; }
  void SetLoop(bool loop) { loop_ = loop; }
  bool Muted() const { return muted_; }
  void SetMuted(bool muted);
  bool FullScreen() const { return fullScreen_; }
  void SetFullScreen(bool on) { fullScreen_ = on; }
  bool FrameFormat() const { return frameFormat_; }
  void SetFrameFormat(bool frames) { frameFormat_ = frames; }
  const IntRect& Rect() const { return rect_; }
  void SetRect(const IntRect& rect) { rect_ = rect; }
  State GetState() const { return state_; }
  void MarkClosed();
  // The ended mark: the video stopped at its end (or was closed).
  bool Ended() const { return ended_; }
  void SetEnded(bool ended) { ended_ = ended; }

  // Takes an opened stream (null: the player is left without media), positioned at the start
  // value and stopped, and the opened file it reads (kept open as long as the stream).
  void SetMedia(std::unique_ptr<VideoStream> stream, std::string file, uint64_t now,
                std::unique_ptr<ReadableFile> source = nullptr);
  bool HasMedia() const { return stream_ != nullptr; }
  // Damaged data stopped the decoding before the end.
  bool Failed() const { return stream_ && stream_->Failed(); }
  const std::string& File() const { return file_; }
  const VideoStream::Info* Info() const { return stream_ ? &stream_->Describe() : nullptr; }

  void Play(uint64_t now);
  void Pause(uint64_t now);
  void Stop(uint64_t now);
  bool Running() const { return state_ == State::kRunning; }

  // Position in milliseconds, within the media's length.
  double PositionMs(uint64_t now);
  void SeekMs(double positionMs, uint64_t now);
  double Rate() const { return rate_; }
  // Rates of 0 or below are refused.
  void SetRate(double rate, uint64_t now);

  // Positions in the unit of the time format: frames, or milliseconds of media time.
  double ToUnits(double ms) const;
  double FromUnits(double units) const;

  // Follows the clock: a looping video starts again at its end, another stops there. True when
  // it stopped at its end just now.
  bool Advance(uint64_t now);
  // Milliseconds of the clock until the next picture is due; nullopt while not running.
  std::optional<uint32_t> NextPictureIn(uint64_t now);
  // The picture shown now at width x height; null without media or picture.
  const VideoPicture* Picture(uint64_t now, int width, int height);
  // The number of the frame shown now (-1 without media).
  int64_t FrameNumber(uint64_t now);

 private:
  double LengthMs() const;
  // Fixes the position where it is now as the anchor.
  void Anchor(double positionMs, uint64_t now);
  void RestartSound();

  uint32_t mode_;
  bool loop_;
  double startMs_;
  IntRect rect_;
  State state_ = State::kStopped;
  bool ended_ = false;
  bool muted_ = false;
  bool fullScreen_ = false;
  bool frameFormat_ = false;
  double rate_ = 1.0;
  // Declared before the stream, so that the stream is gone before its file closes.
  std::unique_ptr<ReadableFile> source_;
  std::unique_ptr<VideoStream> stream_;
  std::string file_;
  double anchorMs_ = 0;
  uint64_t anchorTick_ = 0;
  bool sound_ = false;
};

}  // namespace qlm
