// Image blits (Canvas::DrawImage, DrawPixels, TileImage and the row loops of PixelRows) against
// a plain per-pixel model of the same mapping and blend, over a table of sizes, clips and options.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "graphics/Canvas.h"
#include "graphics/PixelRows.h"

namespace qlm {
namespace {

// Destination pixel (dx, dy) of a w x h stretch shows source pixel (dx * sw / w, dy * sh / h),
// blended per channel as (s * a + d * (256 - a)) >> 8 with a on the 0..256 scale. Clip and
// destination are in surface pixels.
void ModelDraw(Surface& s, const Image24& image, const IntRect& dst, const IntRect& clip,
               const ImageDrawOptions& o) {
  const IntRect area = dst.Intersect(clip).Intersect({0, 0, s.Width(), s.Height()});
  const int alpha = static_cast<int>(std::lround(std::clamp(o.opacity, 0.0, 1.0) * 256));
  if (image.Empty() || area.Empty() || alpha == 0)
    return;
  const uint64_t sw = image.width, sh = image.height;
  const uint64_t dw = dst.Width(), dh = dst.Height();
  for (int32_t y = area.top; y < area.bottom; ++y) {
    for (int32_t x = area.left; x < area.right; ++x) {
      const uint64_t dx = x - dst.left, dy = y - dst.top;
      const uint64_t sx = dx * sw / dw, sy = dy * sh / dh;
      const size_t i = sy * sw + sx;
      if (i >= image.pixels.size() / 3)
        continue;
      const uint8_t* p = &image.pixels[i * 3];
      if (o.keyColor && p[0] == ((*o.keyColor >> 16) & 0xFF) &&
          p[1] == ((*o.keyColor >> 8) & 0xFF) && p[2] == (*o.keyColor & 0xFF))
        continue;
      int a = alpha;
      if (o.mask) {
        const size_t m = (dy * o.mask->height / dh) * o.mask->width + dx * o.mask->width / dw;
        if (m < o.mask->pixels.size() / 3) {
          const uint8_t* mp = &o.mask->pixels[m * 3];
          const int coverage = 255 - (mp[0] + mp[1] + mp[2]) / 3;
          a = a * (coverage + (coverage >> 7)) >> 8;
        }
        if (a == 0)
          continue;
      }
      const uint32_t rgb = (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
      const uint32_t d = s.Pixel(x, y);
      uint32_t out = 0;
      for (int shift : {0, 8, 16}) {
        const uint32_t c = (((rgb >> shift) & 0xFF) * a + ((d >> shift) & 0xFF) * (256 - a)) >> 8;
        out |= c << shift;
      }
      s.SetPixel(x, y, out);
    }
  }
}

Image24 Noise(uint32_t w, uint32_t h, uint32_t seed, size_t keepPixels = SIZE_MAX) {
  std::mt19937 random(seed);
  Image24 image{w, h, {}};
  image.pixels.resize(std::min<size_t>(size_t{w} * h, keepPixels) * 3);
  for (uint8_t& b : image.pixels)
    b = static_cast<uint8_t>(random() & 0x03) * 85;  // few colours, so that keys match often
  return image;
}

// A background with every channel in use, so that blends show their rounding.
Surface Backdrop(int w, int h) {
  Surface s(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x)
      s.SetPixel(x, y, static_cast<uint32_t>((x * 37 + y * 11) * 0x010307) & 0xFFFFFF);
  }
  return s;
}

TEST(ImageBlitTest, StretchesKeysBlendsAndMasksAsThePerPixelModel) {
  struct Size {
    uint32_t sw, sh;
    int32_t dw, dh;
  };
  // Upscales, downscales, odd sizes, one-pixel images and sizes near the SIMD widths.
  const Size sizes[] = {{1, 1, 7, 5},     {2, 1, 4, 2},     {64, 64, 64, 64}, {48, 32, 153, 115},
                        {48, 32, 15, 10}, {37, 29, 37, 29}, {5, 3, 17, 11},   {17, 11, 5, 3},
                        {7, 9, 7, 13},    {13, 7, 6, 7},    {3, 100, 41, 9},  {101, 3, 9, 41}};
  const Image24 mask = Noise(11, 7, 99);
  std::vector<ImageDrawOptions> options(6);
  options[1].opacity = 0.6;
  options[2].keyColor = 0x555555;  // stored 0x00BBGGRR
  options[3].keyColor = 0xAA0055;
  options[3].opacity = 0.3;
  options[4].mask = &mask;
  options[5].mask = &mask;
  options[5].opacity = 0.75;
  // Whole, clipped on every side, and clipped into a thin column.
  const IntRect clips[] = {{0, 0, 200, 150}, {9, 4, 60, 31}, {23, 0, 24, 150}};
  uint32_t seed = 1;
  for (const Size& z : sizes) {
    for (const bool partial : {false, true}) {
      // A partial image stops a third of the way into a row.
      const Image24 image =
          Noise(z.sw, z.sh, ++seed, partial ? size_t{z.sw} * z.sh / 2 + z.sw / 3 : SIZE_MAX);
      for (const ImageDrawOptions& o : options) {
        for (const IntRect& clip : clips) {
          const IntRect dst = IntRect::FromSize(5, 3, z.dw, z.dh);
          Surface expected = Backdrop(200, 150);
          Surface actual = expected;
          ModelDraw(expected, image, dst, clip, o);
          // The canvas shows window pixels from (-10, -20): the same box drawn there.
          Canvas canvas(actual, {-10, -20});
          canvas.SetClip(clip.Offset(-10, -20));
          canvas.DrawImage(image, dst.Offset(-10, -20), o);
          ASSERT_TRUE(actual == expected)
              << z.sw << "x" << z.sh << " -> " << z.dw << "x" << z.dh << " partial " << partial
              << " opacity " << o.opacity << " key " << o.keyColor.has_value() << " mask "
              << (o.mask != nullptr) << " clip " << clip.left << "," << clip.top;
        }
      }
    }
  }
}

TEST(ImageBlitTest, TilesMatchSingleDrawsAndPixelBlocksStretchLikeImages) {
  // Tiles: the same as drawing each copy on its own, for a complete and a partial tile, seen
  // whole and through a clip that starts inside a tile.
  for (const size_t keep : {SIZE_MAX, size_t{5 * 7 - 9}}) {
    for (const IntRect& clip : {IntRect{0, 0, 50, 40}, IntRect{7, 5, 29, 23}}) {
      const Image24 tile = Noise(5, 7, 3, keep);
      const IntRect area{3, 2, 41, 30};
      Surface expected = Backdrop(50, 40), actual = expected;
      for (int32_t y = area.top; y < area.bottom; y += 7) {
        for (int32_t x = area.left; x < area.right; x += 5)
          ModelDraw(expected, tile, IntRect::FromSize(x, y, 5, 7), area.Intersect(clip), {});
      }
      Canvas canvas(actual);
      canvas.SetClip(clip);
      canvas.TileImage(tile, area);
      EXPECT_TRUE(actual == expected) << "keep " << keep << " clip " << clip.left;
    }
  }
  // 32-bit pixels: the top byte is dropped, stretched or not.
  const uint32_t pixels[6] = {0xFF102030, 0x01405060, 0x80708090, 0x00A0B0C0, 0x7FD0E0F0, 1};
  for (const IntRect& dst : {IntRect{0, 0, 3, 2}, IntRect{1, 1, 8, 5}, IntRect{0, 0, 2, 1}}) {
    Surface s(9, 6);
    Canvas(s).DrawPixels(pixels, 3, 2, dst);
    for (int y = dst.top; y < dst.bottom; ++y) {
      for (int x = dst.left; x < dst.right; ++x) {
        const int sx = (x - dst.left) * 3 / dst.Width(), sy = (y - dst.top) * 2 / dst.Height();
        EXPECT_EQ(s.Pixel(x, y), pixels[sy * 3 + sx] & 0xFFFFFF) << x << "," << y;
      }
    }
  }
}

TEST(ImageBlitTest, RowLoopsGiveThePlainFormulasBytes) {
  std::mt19937 random(7);
  // Lengths around the 4-pixel steps, with top bytes set beneath to show what keeps them.
  for (size_t n : {size_t{0}, size_t{1}, size_t{3}, size_t{4}, size_t{5}, size_t{6}, size_t{7},
                   size_t{9}, size_t{33}}) {
    std::vector<uint8_t> bgr(n * 3);
    for (uint8_t& b : bgr)
      b = static_cast<uint8_t>(random());
    std::vector<uint32_t> src(n), beneath(n);
    PixelRows::FromBgr(bgr.data(), n, src.data());
    for (size_t i = 0; i < n; ++i) {
      ASSERT_EQ(src[i],
                (uint32_t{bgr[3 * i + 2]} << 16) | (uint32_t{bgr[3 * i + 1]} << 8) | bgr[3 * i]);
      beneath[i] = static_cast<uint32_t>(random());
    }
    std::vector<uint32_t> columns(n);
    for (size_t i = 0; i < n; ++i)
      columns[i] = static_cast<uint32_t>(n - 1 - i);  // read backwards, the last triple included
    std::vector<uint32_t> gathered(n);
    PixelRows::GatherBgr(bgr.data(), bgr.size(), columns.data(), n, gathered.data());
    for (size_t i = 0; i < n; ++i)
      ASSERT_EQ(gathered[i], src[n - 1 - i]);
    for (int alpha = 1; alpha < 256; alpha += 7) {
      std::vector<uint32_t> out = beneath;
      PixelRows::Blend(src.data(), n, alpha, out.data());
      for (size_t i = 0; i < n; ++i)
        ASSERT_EQ(out[i], PixelRows::BlendPixel(src[i], beneath[i], alpha)) << alpha;
    }
    std::vector<uint16_t> alphas(n);
    for (size_t i = 0; i < n; ++i)
      alphas[i] = static_cast<uint16_t>(i % 3 == 0 ? 0 : i % 3 == 1 ? 256 : random() % 257);
    std::vector<uint32_t> out = beneath;
    PixelRows::BlendEach(src.data(), alphas.data(), n, out.data());
    for (size_t i = 0; i < n; ++i) {
      const uint32_t want = alphas[i] == 0 ? beneath[i]
                            : alphas[i] == 256
                                ? src[i]
                                : PixelRows::BlendPixel(src[i], beneath[i], alphas[i]);
      ASSERT_EQ(out[i], want) << i;
    }
    out = beneath;
    const uint32_t key = n ? src[n / 2] : 0;
    PixelRows::CopyUnlessKey(src.data(), n, key, out.data());
    for (size_t i = 0; i < n; ++i)
      ASSERT_EQ(out[i], src[i] == key ? beneath[i] : src[i]);
  }
}

}  // namespace
}  // namespace qlm
