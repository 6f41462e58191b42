#include "graphics/ImageCodec.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>
#include <zlib.h>

namespace qlm {
namespace {

// A smooth picture with an odd width (rows are not a multiple of 4 bytes) and distinct
// channels, so swapped channels or a wrong stride show.
Image24 Gradient(uint32_t width = 37, uint32_t height = 23) {
  Image24 image{width, height, {}};
  image.pixels.resize(size_t{width} * height * 3);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      uint8_t* p = &image.pixels[(size_t{y} * width + x) * 3];
      p[0] = static_cast<uint8_t>(x * 255 / width);   // blue grows to the right
      p[1] = static_cast<uint8_t>(y * 255 / height);  // green grows downwards
      p[2] = static_cast<uint8_t>(60 + x + y);        // red grows diagonally
    }
  }
  return image;
}

int MaxDifference(const Image24& a, const Image24& b) {
  int worst = 0;
  for (size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); ++i) {
    worst = std::max(worst, std::abs(int{a.pixels[i]} - int{b.pixels[i]}));
  }
  return worst;
}

// ---- Fixture writers that use the libraries directly, independent of the code under test.

struct PngSpec {
  const char* name;
  int colorType;
  int bitDepth;
  int interlace;
};

// Writes a 5 x 3 PNG whose pixel (x, y) has the grey/index value v = (x + 5 y) scaled to the
// bit depth; palette entry i is (R=i*10, G=i*5, B=255-i*10). Alpha channels hold 0x11.
std::vector<uint8_t> WritePng(const PngSpec& spec, uint32_t width = 5, uint32_t height = 3) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, size_t length) {
        auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
        v->insert(v->end(), data, data + length);
      },
      nullptr);
  png_set_IHDR(png, info, width, height, spec.bitDepth, spec.colorType, spec.interlace,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (spec.colorType == PNG_COLOR_TYPE_PALETTE) {
    std::vector<png_color> palette(16);
    for (int i = 0; i < 16; ++i) {
      palette[i] = {static_cast<png_byte>(i * 10), static_cast<png_byte>(i * 5),
                    static_cast<png_byte>(255 - i * 10)};
    }
    png_set_PLTE(png, info, palette.data(), 16);
    png_byte alpha[16];
    std::memset(alpha, 0x11, sizeof alpha);
    png_set_tRNS(png, info, alpha, 16, nullptr);
  }
  png_write_info(png, info);
  const int channels = spec.colorType == PNG_COLOR_TYPE_RGB          ? 3
                       : spec.colorType == PNG_COLOR_TYPE_RGB_ALPHA  ? 4
                       : spec.colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                     : 1;
  const int maxValue = (1 << spec.bitDepth) - 1;
  const int passes = png_set_interlace_handling(png);
  for (int pass = 0; pass < passes; ++pass) {
    for (uint32_t y = 0; y < height; ++y) {
      std::vector<uint8_t> row((width * channels * spec.bitDepth + 7) / 8, 0);
      for (uint32_t x = 0; x < width; ++x) {
        for (int c = 0; c < channels; ++c) {
          int value = static_cast<int>((x + 5 * y) % 16);
          bool isAlpha = (channels == 2 && c == 1) || (channels == 4 && c == 3);
          if (isAlpha) {
            value = maxValue == 255 ? 0x11 : 0x1111;
          } else if (spec.colorType != PNG_COLOR_TYPE_PALETTE) {
            value = value * maxValue / 15 + (channels >= 3 ? c : 0);
            value = std::min(value, maxValue);
          }
          const size_t sample = size_t{x} * channels + c;
          if (spec.bitDepth == 16) {
            row[sample * 2] = static_cast<uint8_t>(value >> 8);
            row[sample * 2 + 1] = static_cast<uint8_t>(value);
          } else if (spec.bitDepth == 8) {
            row[sample] = static_cast<uint8_t>(value);
          } else {
            const size_t bit = sample * spec.bitDepth;
            row[bit / 8] |= static_cast<uint8_t>(value << (8 - spec.bitDepth - bit % 8));
          }
        }
      }
      png_write_row(png, row.data());
    }
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

// The BGR pixel the decoder must produce for (x, y) of a WritePng fixture.
std::array<uint8_t, 3> ExpectedPngPixel(const PngSpec& spec, uint32_t x, uint32_t y) {
  const int index = static_cast<int>((x + 5 * y) % 16);
  if (spec.colorType == PNG_COLOR_TYPE_PALETTE) {
    return {static_cast<uint8_t>(255 - index * 10), static_cast<uint8_t>(index * 5),
            static_cast<uint8_t>(index * 10)};
  }
  const int maxValue = (1 << spec.bitDepth) - 1;
  const bool color = spec.colorType & PNG_COLOR_MASK_COLOR;
  auto channel = [&](int c) {
    int value = std::min(index * maxValue / 15 + (color ? c : 0), maxValue);
    // Scale to 8 bits the way the library does: replicate low depths, keep the high byte of 16.
    if (spec.bitDepth == 16)
      return static_cast<uint8_t>(value >> 8);
    return static_cast<uint8_t>(value * 255 / maxValue);
  };
  return {channel(2), channel(1), channel(0)};
}

std::vector<uint8_t> ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Writes `image` as an RGB TIFF with the given compression, rows bottom-up when asked.
std::vector<uint8_t> WriteTiff(const Image24& image, uint16_t compression,
                               uint16_t orientation = ORIENTATION_TOPLEFT) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("qlm_codec_" + std::to_string(::getpid()) + "_" + std::to_string(compression) +
                     "_" + std::to_string(orientation) + ".tif");
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  EXPECT_NE(tiff, nullptr);
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, image.width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, image.height);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression);
  TIFFSetField(tiff, TIFFTAG_ORIENTATION, orientation);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 4);
  std::vector<uint8_t> row(size_t{image.width} * 3);
  for (uint32_t y = 0; y < image.height; ++y) {
    const uint32_t source = orientation == ORIENTATION_BOTLEFT ? image.height - 1 - y : y;
    const uint8_t* bgr = &image.pixels[size_t{source} * image.width * 3];
    for (uint32_t x = 0; x < image.width; ++x) {
      row[x * 3] = bgr[x * 3 + 2];
      row[x * 3 + 1] = bgr[x * 3 + 1];
      row[x * 3 + 2] = bgr[x * 3];
    }
    TIFFWriteScanline(tiff, row.data(), y, 0);
  }
  TIFFClose(tiff);
  auto bytes = ReadWholeFile(path);
  std::filesystem::remove(path);
  return bytes;
}

// Encodes CMYK samples as given (Adobe files store inverted inks) through libjpeg.
std::vector<uint8_t> WriteCmykJpeg(const std::vector<uint8_t>& cmyk, uint32_t width,
                                   uint32_t height) {
  jpeg_compress_struct info{};
  jpeg_error_mgr error{};
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = width;
  info.image_height = height;
  info.input_components = 4;
  info.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < height) {
    JSAMPROW row = const_cast<uint8_t*>(&cmyk[size_t{info.next_scanline} * width * 4]);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::vector<uint8_t> out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

// Rewrites a PNG's IHDR size and fixes its checksum, so only the size is wrong.
void PatchPngSize(std::vector<uint8_t>& png, uint32_t width, uint32_t height) {
  auto put = [&](size_t at, uint32_t v) {
    png[at] = static_cast<uint8_t>(v >> 24);
    png[at + 1] = static_cast<uint8_t>(v >> 16);
    png[at + 2] = static_cast<uint8_t>(v >> 8);
    png[at + 3] = static_cast<uint8_t>(v);
  };
  put(16, width);
  put(20, height);
  put(29, static_cast<uint32_t>(crc32(0, png.data() + 12, 17)));
}

// Rewrites the frame size in a JPEG's first start-of-frame marker.
void PatchJpegSize(std::vector<uint8_t>& jpeg, uint16_t width, uint16_t height) {
  for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      jpeg[i + 5] = static_cast<uint8_t>(height >> 8);
      jpeg[i + 6] = static_cast<uint8_t>(height);
      jpeg[i + 7] = static_cast<uint8_t>(width >> 8);
      jpeg[i + 8] = static_cast<uint8_t>(width);
      return;
    }
  }
  ADD_FAILURE() << "no SOF0 marker";
}

// ---- Round trips

TEST(ImageCodec, PngRoundTripIsExact) {
  const Image24 image = Gradient();
  const auto png = EncodePng(image);
  ASSERT_FALSE(png.empty());
  auto decoded = DecodePng(png);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(*decoded, image);
  auto viaSignature = DecodeImageFile(png);
  ASSERT_TRUE(viaSignature);
  EXPECT_EQ(*viaSignature, image);
}

TEST(ImageCodec, JpegRoundTripKeepsChannelOrder) {
  const Image24 image = Gradient(64, 40);
  const auto jpeg = EncodeJpeg(image, 95);
  ASSERT_FALSE(jpeg.empty());
  auto decoded = DecodeJpeg(jpeg);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->width, 64u);
  EXPECT_EQ(decoded->height, 40u);
  ASSERT_EQ(decoded->pixels.size(), image.pixels.size());
  EXPECT_LE(MaxDifference(*decoded, image), 12);
  EXPECT_EQ(DecodeImageFile(jpeg), decoded);

  // A pure red picture stays red: B, G, R order survives both directions.
  Image24 red{8, 8, {}};
  for (int i = 0; i < 64; ++i)
    red.pixels.insert(red.pixels.end(), {0, 0, 255});
  auto redBack = DecodeJpeg(EncodeJpeg(red));
  ASSERT_TRUE(redBack);
  EXPECT_LE(redBack->pixels[0], 8);
  EXPECT_LE(redBack->pixels[1], 8);
  EXPECT_GE(redBack->pixels[2], 247);
}

TEST(ImageCodec, JpegGreyscaleAndAdobeCmykBecomeBgr) {
  // Greyscale: every channel carries the luminance.
  jpeg_compress_struct info{};
  jpeg_error_mgr error{};
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = 16;
  info.image_height = 8;
  info.input_components = 1;
  info.in_color_space = JCS_GRAYSCALE;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<uint8_t> grey(16, 0x80);
  while (info.next_scanline < 8) {
    JSAMPROW row = grey.data();
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::vector<uint8_t> greyJpeg(buffer, buffer + size);
  std::free(buffer);
  auto decodedGrey = DecodeJpeg(greyJpeg);
  ASSERT_TRUE(decodedGrey);
  ASSERT_EQ(decodedGrey->pixels.size(), 16u * 8 * 3);
  for (uint8_t v : decodedGrey->pixels)
    EXPECT_NEAR(v, 0x80, 2);

  // Adobe CMYK with inverted inks: no cyan, full magenta and yellow, no black is red.
  std::vector<uint8_t> cmyk;
  for (int i = 0; i < 16 * 8; ++i)
    cmyk.insert(cmyk.end(), {255, 0, 0, 255});
  auto decodedCmyk = DecodeJpeg(WriteCmykJpeg(cmyk, 16, 8));
  ASSERT_TRUE(decodedCmyk);
  EXPECT_LE(decodedCmyk->pixels[0], 6);
  EXPECT_LE(decodedCmyk->pixels[1], 6);
  EXPECT_GE(decodedCmyk->pixels[2], 249);
}

class PngFormats : public testing::TestWithParam<PngSpec> {};

TEST_P(PngFormats, ConvertToEightBitBgrAndDropAlpha) {
  const PngSpec spec = GetParam();
  const auto png = WritePng(spec);
  auto decoded = DecodePng(png);
  ASSERT_TRUE(decoded);
  ASSERT_EQ(decoded->width, 5u);
  ASSERT_EQ(decoded->height, 3u);
  ASSERT_EQ(decoded->pixels.size(), 5u * 3 * 3);
  for (uint32_t y = 0; y < 3; ++y) {
    for (uint32_t x = 0; x < 5; ++x) {
      const auto expected = ExpectedPngPixel(spec, x, y);
      const uint8_t* got = &decoded->pixels[(y * 5 + x) * 3];
      EXPECT_EQ(got[0], expected[0]) << "x " << x << " y " << y;
      EXPECT_EQ(got[1], expected[1]) << "x " << x << " y " << y;
      EXPECT_EQ(got[2], expected[2]) << "x " << x << " y " << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    ImageCodec, PngFormats,
    testing::Values(PngSpec{"Rgb8", PNG_COLOR_TYPE_RGB, 8, PNG_INTERLACE_NONE},
                    PngSpec{"Rgb16", PNG_COLOR_TYPE_RGB, 16, PNG_INTERLACE_NONE},
                    PngSpec{"Rgba8", PNG_COLOR_TYPE_RGB_ALPHA, 8, PNG_INTERLACE_NONE},
                    PngSpec{"Rgba16Interlaced", PNG_COLOR_TYPE_RGB_ALPHA, 16, PNG_INTERLACE_ADAM7},
                    PngSpec{"Gray1", PNG_COLOR_TYPE_GRAY, 1, PNG_INTERLACE_NONE},
                    PngSpec{"Gray4", PNG_COLOR_TYPE_GRAY, 4, PNG_INTERLACE_NONE},
                    PngSpec{"Gray16", PNG_COLOR_TYPE_GRAY, 16, PNG_INTERLACE_NONE},
                    PngSpec{"GrayAlpha8", PNG_COLOR_TYPE_GRAY_ALPHA, 8, PNG_INTERLACE_ADAM7},
                    PngSpec{"Palette4WithTransparency", PNG_COLOR_TYPE_PALETTE, 4,
                            PNG_INTERLACE_NONE},
                    PngSpec{"Palette8Interlaced", PNG_COLOR_TYPE_PALETTE, 8, PNG_INTERLACE_ADAM7}),
    [](const testing::TestParamInfo<PngSpec>& param) { return std::string(param.param.name); });

TEST(ImageCodec, TiffDecodesStripsCompressionAndOrientation) {
  const Image24 image = Gradient(19, 11);
  struct Case {
    const char* name;
    uint16_t compression;
    uint16_t orientation;
  } cases[] = {
      {"uncompressed", COMPRESSION_NONE, ORIENTATION_TOPLEFT},
      {"deflate", COMPRESSION_ADOBE_DEFLATE, ORIENTATION_TOPLEFT},
      {"lzw bottom-up", COMPRESSION_LZW, ORIENTATION_BOTLEFT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto tiff = WriteTiff(image, c.compression, c.orientation);
    auto decoded = DecodeTiff(tiff);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, image);
    EXPECT_EQ(DecodeImageFile(tiff), decoded);
  }
}

TEST(ImageCodec, EncodersHandleEmptyAndShortImages) {
  EXPECT_TRUE(EncodePng(Image24{}).empty());
  EXPECT_TRUE(EncodeJpeg(Image24{}).empty());
  EXPECT_TRUE(EncodeJpeg(Image24{70000, 1, std::vector<uint8_t>(210000, 1)}).empty());

  // A buffer that came up short is encoded with the missing rows black.
  Image24 shortImage = Gradient(6, 4);
  shortImage.pixels.resize(6 * 3 * 2);
  auto decoded = DecodePng(EncodePng(shortImage));
  ASSERT_TRUE(decoded);
  ASSERT_EQ(decoded->pixels.size(), 6u * 4 * 3);
  EXPECT_TRUE(
      std::equal(shortImage.pixels.begin(), shortImage.pixels.end(), decoded->pixels.begin()));
  EXPECT_TRUE(std::all_of(decoded->pixels.begin() + 36, decoded->pixels.end(),
                          [](uint8_t v) { return v == 0; }));
}

// ---- Damaged input

TEST(ImageCodec, RejectsDamagedAndOversizedFiles) {
  const Image24 image = Gradient();
  const auto png = EncodePng(image);
  const auto jpeg = EncodeJpeg(image);

  auto pngHuge = png;  // 100000 x 100000: far beyond the byte limit
  PatchPngSize(pngHuge, 100000, 100000);
  auto pngLarge = png;  // 4000 x 4000 within the limit, but a few hundred bytes cannot hold it
  PatchPngSize(pngLarge, 4000, 4000);
  auto pngZero = png;
  PatchPngSize(pngZero, 0, 5);
  auto jpegHuge = jpeg;  // 60000 x 60000
  PatchJpegSize(jpegHuge, 60000, 60000);
  auto jpegZero = jpeg;
  PatchJpegSize(jpegZero, 0, 10);
  auto badIhdrCrc = png;
  badIhdrCrc[29] ^= 0xFF;
  std::vector<uint8_t> tiffHeaderOnly = {'I', 'I', 0x2A, 0, 8, 0, 0, 0};
  std::vector<uint8_t> tiffDirectoryOutside = {'I', 'I', 0x2A, 0, 0xF0, 0xFF, 0xFF, 0x7F, 0, 0};

  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"empty", {}},
      {"signature only", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}},
      {"jpeg start only", {0xFF, 0xD8, 0xFF}},
      {"unknown format", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}},
      {"png too large", pngHuge},
      {"png larger than its data", pngLarge},
      {"png zero width", pngZero},
      {"png header checksum", badIhdrCrc},
      {"jpeg too large", jpegHuge},
      {"jpeg zero width", jpegZero},
      {"tiff header only", tiffHeaderOnly},
      {"tiff directory outside", tiffDirectoryOutside},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(DecodeImageFile(c.bytes)) << c.name;
  }
  // Each decoder refuses the others' files.
  EXPECT_FALSE(DecodeJpeg(png));
  EXPECT_FALSE(DecodePng(jpeg));
  EXPECT_FALSE(DecodeTiff(png));
}

// Every prefix of a file either fails or, once only trailing chunks are missing, gives the
// complete picture: never a half-filled or garbage image.
TEST(ImageCodec, TruncatedFilesNeverGiveAPartialImage) {
  const Image24 image = Gradient(40, 24);
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    size_t tailThatMayGo;  // bytes at the end that carry no pixel data
  } cases[] = {
      {"png", EncodePng(image), 12},  // the end chunk
      {"jpeg", EncodeJpeg(image), 0},
      {"tiff", WriteTiff(image, COMPRESSION_ADOBE_DEFLATE), 0},
  };
  for (const Case& c : cases) {
    auto full = DecodeImageFile(c.bytes);
    ASSERT_TRUE(full) << c.name;
    for (size_t length = 0; length < c.bytes.size(); ++length) {
      auto decoded = DecodeImageFile(std::span(c.bytes).first(length));
      if (length < c.bytes.size() - c.tailThatMayGo) {
        EXPECT_FALSE(decoded) << c.name << " cut at " << length;
      } else if (decoded) {
        EXPECT_EQ(*decoded, *full) << c.name << " cut at " << length;
      }
    }
  }
}

// Random byte changes must never crash (this sweep is most useful in a sanitizer build) and a
// decoded image always carries its full pixel buffer.
TEST(ImageCodec, RandomCorruptionIsHandled) {
  const Image24 image = Gradient(24, 16);
  const std::vector<uint8_t> files[] = {EncodePng(image), EncodeJpeg(image),
                                        WriteTiff(image, COMPRESSION_NONE),
                                        WriteTiff(image, COMPRESSION_LZW)};
  std::mt19937 random(1234);
  for (const auto& original : files) {
    for (int round = 0; round < 400; ++round) {
      auto bytes = original;
      const int changes = 1 + static_cast<int>(random() % 4);
      for (int i = 0; i < changes; ++i) {
        bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
      }
      auto decoded = DecodeImageFile(bytes);
      if (decoded) {
        EXPECT_EQ(decoded->pixels.size(), size_t{decoded->width} * decoded->height * 3);
        EXPECT_LE(decoded->pixels.size(), 75'000'000u);
      }
    }
  }
}

}  // namespace
}  // namespace qlm
