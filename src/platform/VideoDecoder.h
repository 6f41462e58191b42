#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/MediaFile.h"

namespace qlm {

// One picture of a video at the size asked for, valid until the next call on its stream. The
// decoded frame is converted on demand: once into a buffer of the picture's own by Pixels(), or
// straight into the caller's rows by ConvertInto(), which spares the copy when the picture goes
// into a page unchanged.
class VideoPicture {
 public:
  virtual ~VideoPicture() = default;

  // Pixels 0xXXRRGGBB (the layout of graphics::Surface, whose top byte is 0 while a converter
  // may leave any value there), rows from the top without padding.
  virtual const uint32_t* Pixels() const = 0;
  // Writes the picture into `width` x `height` pixels at `rows`, `stride` pixels from one row
  // to the next: the values of Pixels(), their top byte as the converter leaves it.
  virtual void ConvertInto(uint32_t* rows, ptrdiff_t stride) const = 0;

  int width = 0;
  int height = 0;
  int64_t frame = 0;  // number of the frame, counted from 0 at the start of the video
  double timeMs = 0;  // when the frame is due, from the start of the video
};

// An open video file: its pictures by time, and its sound. All calls come from the
// user-interface thread.
class VideoStream {
 public:
  struct Info {
    int width = 0;
    int height = 0;
    double lengthMs = 0;
    double frameMs = 40;  // duration of one frame
    int64_t frameCount = 0;
    bool hasSound = false;
  };

  virtual ~VideoStream() = default;

  virtual const Info& Describe() const = 0;

  // The picture shown at `positionMs`: the last frame due at or before it (the first frame for
  // earlier times), scaled to width x height. Frames passed over are decoded but not converted,
  // so a late caller drops frames. Null when the file yields no picture there.
  virtual const VideoPicture* PictureAt(double positionMs, int width, int height) = 0;
  // True once damaged data stopped the decoding before the end of the video: the picture then
  // stays on the last good frame.
  virtual bool Failed() const = 0;

  // Sound: plays from `positionMs` on the sound output the decoders were made with; nothing
  // without one. The output drifts from nothing: callers take its position as the clock.
  virtual void StartSound(double positionMs) = 0;
  virtual void StopSound() = 0;
  // Where the sound heard now is, in the video's time; nullopt while no sound plays.
  virtual std::optional<double> SoundPositionMs() = 0;
  virtual void SetMuted(bool muted) = 0;
};

// Opens video files for decoding.
class VideoDecoders {
 public:
  virtual ~VideoDecoders() = default;
  // Opens `file`, which stays readable while the stream lives (its sound, a seek or a loop may
  // read it again). Null, with the reason in `error`, when it cannot be decoded. What the file
  // names and was not opened (a list's entries) goes to `refused`, whether or not it opened.
  virtual std::unique_ptr<VideoStream> Open(const MediaFile& file, std::string& error,
                                            RefusedReferences& refused) = 0;
};

}  // namespace qlm
