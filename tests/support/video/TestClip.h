#pragma once

// Video files for tests and benchmarks, written with FFmpeg's encoders: frame n shows the bits
// of n as eight stripes across its top half (white for 1, black for 0, lowest bit on the left)
// and a colour of its own below, so a picture tells which frame it is even through a lossy
// codec.

#include <cstdint>
#include <filesystem>
#include <string>

#include "graphics/Geometry.h"
#include "graphics/Surface.h"

namespace qlm::test {

enum class ClipCodec {
  kRaw,       // uncompressed BGR in AVI: pictures come back exactly
  kMjpeg,     // motion JPEG in AVI
  kMpeg1,     // MPEG-1 video in an MPEG program stream, key frames every 12 frames
  kMpeg1Avi,  // the same MPEG-1 video in AVI, as discs stored it too
};

struct ClipSpec {
  int width = 64;
  int height = 48;
  int frames = 10;
  int fps = 25;
  ClipCodec codec = ClipCodec::kRaw;
  // The lower half carries moving noise over its colour, so that a codec has as much to do as
  // with filmed pictures.
  bool textured = false;
};

// Writes the clip; false with FFmpeg's reason in `error`.
bool WriteTestClip(const std::filesystem::path& file, const ClipSpec& spec, std::string& error);

// The colour (0x00RRGGBB) of the lower half of frame n.
uint32_t ClipColour(int frame);

// The frame number a picture of the clip shows, read from the stripes of `rect` in `surface`;
// -1 when a stripe is neither clearly white nor clearly black.
int ReadClipFrame(const Surface& surface, const IntRect& rect);

}  // namespace qlm::test
