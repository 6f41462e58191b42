// Decoding speed of the codec layer beside the bare libraries on the same files in the same
// run: the difference is what our checks and conversions cost.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "graphics/ImageCodec.h"

namespace {

// A 1024 x 768 picture with smooth areas and detail, like a scanned photograph.
qlm::Image24 Picture() {
  qlm::Image24 image{1024, 768, {}};
  image.pixels.resize(1024 * 768 * 3);
  for (uint32_t y = 0; y < 768; ++y) {
    for (uint32_t x = 0; x < 1024; ++x) {
      uint8_t* p = &image.pixels[(y * 1024 + x) * 3];
      p[0] = static_cast<uint8_t>(128 + 100 * std::sin(x * 0.013 + y * 0.007));
      p[1] = static_cast<uint8_t>((x * y / 97) & 0xFF);
      p[2] = static_cast<uint8_t>(128 + 90 * std::cos(y * 0.021) * std::sin(x * 0.05));
    }
  }
  return image;
}

const std::vector<uint8_t>& JpegFile() {
  static const std::vector<uint8_t> file = qlm::EncodeJpeg(Picture(), 90);
  return file;
}

const std::vector<uint8_t>& PngFile() {
  static const std::vector<uint8_t> file = qlm::EncodePng(Picture());
  return file;
}

void BM_DecodeJpeg(benchmark::State& state) {
  for (auto _ : state) {
    auto image = qlm::DecodeJpeg(JpegFile());
    benchmark::DoNotOptimize(image);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * 1024 * 768 * 3);
}

// Bare libjpeg-turbo: default error handling, straight into one buffer.
void BM_LibjpegBaseline(benchmark::State& state) {
  const auto& file = JpegFile();
  std::vector<uint8_t> pixels(1024 * 768 * 3);
  for (auto _ : state) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), file.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
      JSAMPROW row = &pixels[size_t{info.output_scanline} * info.output_width * 3];
      jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    benchmark::DoNotOptimize(pixels.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * 1024 * 768 * 3);
}

void BM_DecodePng(benchmark::State& state) {
  for (auto _ : state) {
    auto image = qlm::DecodePng(PngFile());
    benchmark::DoNotOptimize(image);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * 1024 * 768 * 3);
}

// Bare libpng through its simplified interface.
void BM_LibpngBaseline(benchmark::State& state) {
  const auto& file = PngFile();
  std::vector<uint8_t> pixels(1024 * 768 * 3);
  for (auto _ : state) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    png_image_begin_read_from_memory(&image, file.data(), file.size());
    image.format = PNG_FORMAT_BGR;
    png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
    benchmark::DoNotOptimize(pixels.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * 1024 * 768 * 3);
}

BENCHMARK(BM_LibjpegBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibpngBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePng)->Unit(benchmark::kMillisecond);

}  // namespace
