#include "graphics/PixelRows.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#include <tmmintrin.h>
#define QLM_PIXEL_ROWS_SSE2 1
#endif

namespace qlm::PixelRows {
namespace {

uint32_t Triple(const uint8_t* p) {
  return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

void FromBgrPlain(const uint8_t* bgr, size_t count, uint32_t* out) {
  for (size_t i = 0; i < count; ++i)
    out[i] = Triple(bgr + 3 * i);
}

#if QLM_PIXEL_ROWS_SSE2
// Four triples a step: a 16-byte load shuffled into four words, the top bytes zero.
__attribute__((target("ssse3"))) void FromBgrSsse3(const uint8_t* bgr, size_t count,
                                                   uint32_t* out) {
  const __m128i order = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  size_t i = 0;
  // Each load reads 16 bytes of which 12 are used: stop while that stays inside the row.
  for (; i + 6 <= count; i += 4) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgr + 3 * i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_shuffle_epi8(v, order));
  }
  FromBgrPlain(bgr + 3 * i, count - i, out + i);
}

bool HasSsse3() {
  static const bool has = __builtin_cpu_supports("ssse3");
  return has;
}

// Four pixels blended with four alphas given as 16-bit lanes a a a a b b b b (and the upper
// half likewise): each channel (s * a + d * (256 - a)) >> 8, top bytes cleared.
inline __m128i Blend4(__m128i s, __m128i d, __m128i alphaLo, __m128i alphaHi) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i full = _mm_set1_epi16(256);
  const __m128i lo = _mm_srli_epi16(
      _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(s, zero), alphaLo),
                    _mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), _mm_sub_epi16(full, alphaLo))),
      8);
  const __m128i hi = _mm_srli_epi16(
      _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(s, zero), alphaHi),
                    _mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), _mm_sub_epi16(full, alphaHi))),
      8);
  return _mm_and_si128(_mm_packus_epi16(lo, hi), _mm_set1_epi32(0x00FFFFFF));
}

inline __m128i Load(const uint32_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

inline void Store(uint32_t* p, __m128i v) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}
#endif

}  // namespace

void FromBgr(const uint8_t* bgr, size_t count, uint32_t* out) {
#if QLM_PIXEL_ROWS_SSE2
  if (HasSsse3()) {
    FromBgrSsse3(bgr, count, out);
    return;
  }
#endif
  FromBgrPlain(bgr, count, out);
}

void GatherBgr(const uint8_t* bgr, size_t bytes, const uint32_t* columns, size_t count,
               uint32_t* out) {
  for (size_t i = 0; i < count; ++i) {
    const size_t at = size_t{columns[i]} * 3;
    if constexpr (std::endian::native == std::endian::little) {
      // One 4-byte read where a fourth byte follows the triple.
      if (at + 4 <= bytes) {
        uint32_t v;
        std::memcpy(&v, bgr + at, 4);
        out[i] = v & 0x00FFFFFF;
        continue;
      }
    }
    out[i] = Triple(bgr + at);
  }
}

void CopyOpaque(const uint32_t* src, size_t count, uint32_t* out) {
  size_t i = 0;
#if QLM_PIXEL_ROWS_SSE2
  const __m128i rgb = _mm_set1_epi32(0x00FFFFFF);
  for (; i + 4 <= count; i += 4)
    Store(out + i, _mm_and_si128(Load(src + i), rgb));
#endif
  for (; i < count; ++i)
    out[i] = src[i] & 0x00FFFFFF;
}

void CopyUnlessKey(const uint32_t* src, size_t count, uint32_t key, uint32_t* out) {
  size_t i = 0;
#if QLM_PIXEL_ROWS_SSE2
  const __m128i k = _mm_set1_epi32(static_cast<int>(key));
  for (; i + 4 <= count; i += 4) {
    const __m128i s = Load(src + i);
    const __m128i keep = _mm_cmpeq_epi32(s, k);
    Store(out + i, _mm_or_si128(_mm_and_si128(keep, Load(out + i)), _mm_andnot_si128(keep, s)));
  }
#endif
  for (; i < count; ++i) {
    if (src[i] != key)
      out[i] = src[i];
  }
}

void Blend(const uint32_t* src, size_t count, int alpha, uint32_t* out) {
  size_t i = 0;
#if QLM_PIXEL_ROWS_SSE2
  const __m128i a = _mm_set1_epi16(static_cast<int16_t>(alpha));
  for (; i + 4 <= count; i += 4)
    Store(out + i, Blend4(Load(src + i), Load(out + i), a, a));
#endif
  for (; i < count; ++i)
    out[i] = BlendPixel(src[i], out[i], static_cast<uint32_t>(alpha));
}

void BlendEach(const uint32_t* src, const uint16_t* alpha, size_t count, uint32_t* out) {
  size_t i = 0;
#if QLM_PIXEL_ROWS_SSE2
  const __m128i zero = _mm_setzero_si128();
  for (; i + 4 <= count; i += 4) {
    const __m128i a4 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(alpha + i));
    const __m128i pairs = _mm_unpacklo_epi16(a4, a4);  // a a b b c c d d
    const __m128i d = Load(out + i);
    const __m128i blended = Blend4(Load(src + i), d, _mm_unpacklo_epi32(pairs, pairs),
                                   _mm_unpackhi_epi32(pairs, pairs));
    // Alpha 0 leaves the pixel beneath untouched, its top byte included.
    const __m128i keep = _mm_cmpeq_epi32(pairs, zero);
    Store(out + i, _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, blended)));
  }
#endif
  for (; i < count; ++i) {
    if (alpha[i] >= 256)
      out[i] = src[i];
    else if (alpha[i] != 0)
      out[i] = BlendPixel(src[i], out[i], alpha[i]);
  }
}

}  // namespace qlm::PixelRows
