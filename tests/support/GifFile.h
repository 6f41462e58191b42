#pragma once

#include <gif_lib.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "graphics/GifAnimation.h"

namespace qlm::test {

// One frame of a GIF file that a test writes.
struct GifFrameSpec {
  uint32_t left = 0, top = 0, width = 0, height = 0;
  std::vector<uint8_t> indices;   // width x height, row after row
  std::vector<uint32_t> palette;  // 0x00BBGGRR, a power of two up to 256; empty: the global one
  int transparentIndex = -1;
  GifDisposal disposal = GifDisposal::kKeep;
  int delayCs = 0;
  bool interlaced = false;
};

// A GIF file written with giflib's encoder; empty when giflib refuses the input.
inline std::vector<uint8_t> EncodeGif(uint32_t width, uint32_t height,
                                      const std::vector<uint32_t>& globalPalette,
                                      const std::vector<GifFrameSpec>& frames,
                                      std::optional<uint16_t> loopCount = std::nullopt) {
  std::vector<uint8_t> out;
  auto write = [](GifFileType* gif, const GifByteType* bytes, int n) {
    auto* sink = static_cast<std::vector<uint8_t>*>(gif->UserData);
    sink->insert(sink->end(), bytes, bytes + n);
    return n;
  };
  auto makeMap = [](const std::vector<uint32_t>& palette) -> ColorMapObject* {
    if (palette.empty())
      return nullptr;
    std::vector<GifColorType> colours;
    for (uint32_t c : palette) {
      colours.push_back({static_cast<GifByteType>(c), static_cast<GifByteType>(c >> 8),
                         static_cast<GifByteType>(c >> 16)});
    }
    return GifMakeMapObject(static_cast<int>(colours.size()), colours.data());
  };
  int error = 0;
  GifFileType* gif = EGifOpen(&out, write, &error);
  if (!gif)
    return {};
  EGifSetGifVersion(gif, true);
  bool ok = true;
  ColorMapObject* global = makeMap(globalPalette);
  ok = EGifPutScreenDesc(gif, static_cast<int>(width), static_cast<int>(height), 8, 0, global) ==
       GIF_OK;
  GifFreeMapObject(global);
  if (ok && loopCount) {
    const GifByteType loop[] = {1, static_cast<GifByteType>(*loopCount),
                                static_cast<GifByteType>(*loopCount >> 8)};
    ok = EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
         EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0") == GIF_OK &&
         EGifPutExtensionBlock(gif, 3, loop) == GIF_OK && EGifPutExtensionTrailer(gif) == GIF_OK;
  }
  for (const GifFrameSpec& f : frames) {
    if (!ok)
      break;
    GraphicsControlBlock control{static_cast<int>(f.disposal), false, f.delayCs,
                                 f.transparentIndex};
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK;
    ColorMapObject* local = makeMap(f.palette);
    if (!local && gif->Image.ColorMap) {
      // giflib forgets the previous frame's local palette copy instead of freeing it.
      GifFreeMapObject(gif->Image.ColorMap);
      gif->Image.ColorMap = nullptr;
    }
    ok = ok && EGifPutImageDesc(gif, static_cast<int>(f.left), static_cast<int>(f.top),
                                static_cast<int>(f.width), static_cast<int>(f.height), f.interlaced,
                                local) == GIF_OK;
    GifFreeMapObject(local);
    std::vector<uint32_t> rows;
    if (f.interlaced) {
      constexpr uint32_t kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
      for (int pass = 0; pass < 4; ++pass) {
        for (uint32_t y = kStart[pass]; y < f.height; y += kStep[pass])
          rows.push_back(y);
      }
    } else {
      for (uint32_t y = 0; y < f.height; ++y)
        rows.push_back(y);
    }
    std::vector<GifPixelType> line(f.width);
    for (uint32_t y : rows) {
      if (!ok)
        break;
      for (uint32_t x = 0; x < f.width; ++x) {
        const size_t at = size_t{y} * f.width + x;
        line[x] = at < f.indices.size() ? f.indices[at] : 0;
      }
      ok = EGifPutLine(gif, line.data(), static_cast<int>(f.width)) == GIF_OK;
    }
  }
  if (EGifCloseFile(gif, &error) != GIF_OK || !ok)
    return {};
  return out;
}

// A frame of one palette index.
inline GifFrameSpec SolidGifFrame(uint32_t left, uint32_t top, uint32_t width, uint32_t height,
                                  uint8_t index, int delayCs = 10) {
  GifFrameSpec f;
  f.left = left;
  f.top = top;
  f.width = width;
  f.height = height;
  f.indices.assign(size_t{width} * height, index);
  f.delayCs = delayCs;
  return f;
}

}  // namespace qlm::test
