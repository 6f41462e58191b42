// Decodes arbitrary bytes as a GIF and steps its screen through the frames (at most 64 steps,
// so one input stays fast). The screen always holds width x height pixels.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "graphics/GifAnimation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::optional<qlm::GifAnimation> gif = qlm::GifAnimation::Decode(std::span(data, size));
  if (!gif)
    return 0;
  if (gif->Frames().empty() || uint64_t{gif->Width()} * gif->Height() == 0)
    __builtin_trap();
  qlm::GifCanvas canvas(*gif);
  const size_t steps = std::min<size_t>(gif->Frames().size() + 1, 64);
  for (size_t i = 0; i < steps; ++i) {
    const size_t expected = uint64_t{gif->Width()} * gif->Height() * 3;
    if (canvas.Colours().pixels.size() != expected || canvas.Mask().pixels.size() != expected)
      __builtin_trap();
    canvas.Advance();
  }
  return 0;
}
