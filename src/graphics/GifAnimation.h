#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "graphics/Image24.h"

namespace qlm {

// How a frame leaves the screen before the next one is drawn.
enum class GifDisposal : uint8_t {
  kKeep = 0,        // not specified (0) or do not dispose (1): the next frame draws over it
  kBackground = 2,  // its rectangle turns transparent
  kPrevious = 3,    // the screen returns to what it was before this frame
};

// One frame as the file stores it: a rectangle of the logical screen, palette indices row after
// row (de-interlaced), the palette they index and how the frame is timed and disposed of.
struct GifFrame {
  uint32_t left = 0, top = 0, width = 0, height = 0;
  std::vector<uint8_t> indices;
  // 0x00BBGGRR; indices beyond the file's palette show black.
  std::array<uint32_t, 256> palette{};
  int transparentIndex = -1;
  GifDisposal disposal = GifDisposal::kKeep;
  uint32_t delayMs = 0;  // as shown (see GifAnimation::kMinimumDelayCs)
};

// An animated (or still) GIF read with giflib. Decode never throws; a file without one whole
// frame gives nullopt. A file cut or damaged after its first frames keeps the frames before the
// damage, as browsers show them. Sizes are checked before anything is reserved.
class GifAnimation {
 public:
  // Delays of 0 and 1 hundredths are shown as 10, as browsers do: such files were made for
  // players that could not go faster.
  static constexpr uint32_t kMinimumDelayCs = 2;
  static constexpr uint32_t kShortDelayCs = 10;
  // Limits against hostile files: the screen's area, the frames' pixels together, the frames.
  static constexpr uint64_t kMaxScreenPixels = 4u << 20;
  static constexpr uint64_t kMaxTotalPixels = 256u << 20;
  static constexpr size_t kMaxFrames = 10000;

  static std::optional<GifAnimation> Decode(std::span<const uint8_t> file);

  uint32_t Width() const { return width_; }
  uint32_t Height() const { return height_; }
  const std::vector<GifFrame>& Frames() const { return frames_; }
  // The application extension's loop count: nullopt when the file has none, 0 for forever,
  // otherwise how many times the animation repeats after it played once.
  std::optional<uint32_t> LoopCount() const { return loopCount_; }

 private:
  uint32_t width_ = 0, height_ = 0;
  std::vector<GifFrame> frames_;
  std::optional<uint32_t> loopCount_;
};

// The logical screen of an animation at one frame, composed as the frames follow each other:
// colours and a mask in the form Canvas::DrawImage takes (black shows the picture, white what is
// beneath). Starts at frame 0.
class GifCanvas {
 public:
  explicit GifCanvas(const GifAnimation& animation);

  size_t FrameIndex() const { return index_; }
  // Back to frame 0 on an empty screen.
  void Reset();
  // The next frame; after the last one, frame 0 again.
  void Advance();

  const Image24& Colours() const { return colours_; }
  const Image24& Mask() const { return mask_; }

 private:
  void Draw(const GifFrame& frame);
  void Clear(const GifFrame& frame);

  const GifAnimation* animation_;
  size_t index_ = 0;
  Image24 colours_, mask_;
  // The screen before the current frame, when that frame is disposed of by restoring it.
  Image24 savedColours_, savedMask_;
};

}  // namespace qlm
