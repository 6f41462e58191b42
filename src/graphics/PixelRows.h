#pragma once

#include <cstddef>
#include <cstdint>

namespace qlm {

// The inner loops of image blits, one destination row at a time. Pixels are 0x00RRGGBB words
// as in Surface. Blends use the 0..256 alpha scale of Canvas: each channel becomes
// (source * alpha + beneath * (256 - alpha)) >> 8. The loops use SIMD where the processor has it
// and give the same bytes as the plain per-pixel formulas.
namespace PixelRows {

// `count` B, G, R byte triples as pixels.
void FromBgr(const uint8_t* bgr, size_t count, uint32_t* out);
// out[i] = triple number columns[i] of `bgr`; `bytes` bytes may be read from `bgr` on.
void GatherBgr(const uint8_t* bgr, size_t bytes, const uint32_t* columns, size_t count,
               uint32_t* out);
// Copies the pixels, their top byte cleared.
void CopyOpaque(const uint32_t* src, size_t count, uint32_t* out);
// Copies the pixels that differ from `key`; the others leave `out` as it is.
void CopyUnlessKey(const uint32_t* src, size_t count, uint32_t key, uint32_t* out);
// Every pixel blended with the one alpha, 1 to 255.
void Blend(const uint32_t* src, size_t count, int alpha, uint32_t* out);
// Each pixel blended with its own alpha, 0 to 256: 0 leaves `out` as it is, 256 copies.
void BlendEach(const uint32_t* src, const uint16_t* alpha, size_t count, uint32_t* out);

// The plain per-pixel formula of Blend and BlendEach.
constexpr uint32_t BlendPixel(uint32_t s, uint32_t d, uint32_t a) {
  const uint32_t rb = ((s & 0xFF00FF) * a + (d & 0xFF00FF) * (256 - a)) >> 8;
  const uint32_t g = ((s & 0x00FF00) * a + (d & 0x00FF00) * (256 - a)) >> 8;
  return (rb & 0xFF00FF) | (g & 0x00FF00);
}

}  // namespace PixelRows
}  // namespace qlm
