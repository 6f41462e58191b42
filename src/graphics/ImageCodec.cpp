#include "graphics/ImageCodec.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

#include <jerror.h>  // after jpeglib.h, which it builds on

namespace qlm {

namespace {

// Any decoded image larger than this many bytes of 24-bit pixels is refused.
constexpr uint64_t kMaxImageBytes = 75'000'000;

// No compressed format here packs more pixels into one byte of file than this; a header that
// claims more is a damaged or hostile file, refused before anything is reserved.
constexpr uint64_t kMaxPixelsPerFileByte = 65'536;

// True when a width x height image fits the byte limit and could plausibly come from
// `fileBytes` bytes. Computed in 64 bits so that no product wraps.
bool SizeAcceptable(uint64_t width, uint64_t height, uint64_t fileBytes) {
  if (width == 0 || height == 0 || width > 0xFFFFFFFFu || height > 0xFFFFFFFFu) {
    return false;
  }
  const uint64_t pixels = width * height;
  if (pixels * 3 > kMaxImageBytes) {
    return false;
  }
  return pixels <= fileBytes * kMaxPixelsPerFileByte;
}

bool StartsWith(std::span<const uint8_t> file, std::initializer_list<uint8_t> prefix) {
  if (file.size() < prefix.size()) {
    return false;
  }
  return std::equal(prefix.begin(), prefix.end(), file.begin());
}

// ---------------------------------------------------------------------------------------------
// JPEG (libjpeg-turbo). Errors leave the library through longjmp back into the frame that
// called setjmp; that frame only holds plain data and objects owned by the caller, so no C++
// destructor is skipped.

struct JpegErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  bool hitEndOfData = false;
};

void JpegErrorExit(j_common_ptr info) {
  auto* manager = reinterpret_cast<JpegErrorManager*>(info->err);
  std::longjmp(manager->jump, 1);
}

void JpegEmitMessage(j_common_ptr info, int level) {
  auto* manager = reinterpret_cast<JpegErrorManager*>(info->err);
  // The memory source reports running out of data as a warning and pads with a fake end
  // marker; a truncated file must not pass as a complete picture.
  if (level < 0 && manager->base.msg_code == JWRN_JPEG_EOF) {
    manager->hitEndOfData = true;
  }
}

void JpegOutputMessage(j_common_ptr) {}

struct JpegDecodeJob {
  jpeg_decompress_struct info{};
  JpegErrorManager error{};
  Image24 image;
  std::vector<uint8_t> cmykRow;
};

void CmykRowToBgr(const uint8_t* cmyk, uint8_t* bgr, uint32_t width, bool inverted) {
  for (uint32_t x = 0; x < width; ++x) {
    uint32_t c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    // Adobe files store the inks inverted: each value is already "255 - ink".
    bgr[0] = static_cast<uint8_t>(y * k / 255);
    bgr[1] = static_cast<uint8_t>(m * k / 255);
    bgr[2] = static_cast<uint8_t>(c * k / 255);
    cmyk += 4;
    bgr += 3;
  }
}

// Runs the decode; false on any library error. Kept apart so setjmp sits in a frame with no
// automatic objects of its own.
bool RunJpegDecode(JpegDecodeJob& job, std::span<const uint8_t> file) {
  jpeg_decompress_struct& info = job.info;
  if (setjmp(job.error.jump) != 0) {
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
    return false;
  }
  if (!SizeAcceptable(info.image_width, info.image_height, file.size())) {
    return false;
  }
  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  jpeg_start_decompress(&info);
  const uint32_t width = info.output_width;
  const uint32_t height = info.output_height;
  if (!SizeAcceptable(width, height, file.size())) {
    return false;
  }
  const size_t stride = static_cast<size_t>(width) * 3;
  job.image.width = width;
  job.image.height = height;
  job.image.pixels.resize(stride * height);
  if (cmyk) {
    job.cmykRow.resize(static_cast<size_t>(width) * 4);
  }
  // Adobe's writer (the usual source of CMYK files) stores inverted inks.
  const bool inverted = info.saw_Adobe_marker;
  while (info.output_scanline < height) {
    uint8_t* dest = job.image.pixels.data() + stride * info.output_scanline;
    JSAMPROW row = cmyk ? job.cmykRow.data() : dest;
    if (jpeg_read_scanlines(&info, &row, 1) != 1) {
      return false;
    }
    if (cmyk) {
      CmykRowToBgr(job.cmykRow.data(), dest, width, inverted);
    }
    if (job.error.hitEndOfData) {
      return false;
    }
  }
  jpeg_finish_decompress(&info);
  return !job.error.hitEndOfData;
}

// ---------------------------------------------------------------------------------------------
// PNG (libpng, classic interface for exact control of the transforms).

struct PngReadSource {
  std::span<const uint8_t> file;
  size_t offset = 0;
};

void PngReadFromMemory(png_structp png, png_bytep out, size_t length) {
  auto* source = static_cast<PngReadSource*>(png_get_io_ptr(png));
  if (length > source->file.size() - source->offset) {
    png_error(png, "read past end of data");
  }
  std::memcpy(out, source->file.data() + source->offset, length);
  source->offset += length;
}

void PngQuietError(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}
void PngQuietWarning(png_structp, png_const_charp) {}

struct PngDecodeJob {
  png_structp png = nullptr;
  png_infop info = nullptr;
  PngReadSource source;
  Image24 image;
  std::vector<png_bytep> rows;
};

bool RunPngDecode(PngDecodeJob& job) {
  png_structp png = job.png;
  png_infop info = job.info;
  if (setjmp(png_jmpbuf(png)) != 0) {
    return false;
  }
  png_set_read_fn(png, &job.source, PngReadFromMemory);
  png_read_info(png, info);

  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, colorType = 0, interlace = 0;
  png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);
  if (!SizeAcceptable(width, height, job.source.file.size())) {
    return false;
  }
  // The pixel data inflates at most about 1032:1; a header claiming more than the file's bytes
  // could ever expand to is refused before the buffer is reserved.
  const uint64_t channels = png_get_channels(png, info);
  const uint64_t packedBytes = (uint64_t{width} * channels * bitDepth + 7) / 8 * height;
  if (packedBytes > uint64_t{job.source.file.size()} * 1100 + 65536) {
    return false;
  }

  if (colorType == PNG_COLOR_TYPE_PALETTE) {
    png_set_palette_to_rgb(png);
  }
  if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) {
    png_set_expand_gray_1_2_4_to_8(png);
  }
  if (bitDepth == 16) {
    png_set_strip_16(png);
  }
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
    png_set_gray_to_rgb(png);
  }
  // Alpha (stored or from a transparency chunk, which is not expanded) is dropped.
  png_set_strip_alpha(png);
  png_set_bgr(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != size_t{width} * 3) {
    return false;
  }

  const size_t stride = size_t{width} * 3;
  job.image.width = width;
  job.image.height = height;
  job.image.pixels.resize(stride * height);
  job.rows.resize(height);
  for (size_t y = 0; y < height; ++y) {
    job.rows[y] = job.image.pixels.data() + stride * y;
  }
  // Chunks after the pixel data are not needed; a file cut after its last row still shows.
  png_read_image(png, job.rows.data());
  return true;
}

// ---------------------------------------------------------------------------------------------
// TIFF (libtiff over a memory block).

struct TiffMemory {
  std::span<const uint8_t> file;
  uint64_t offset = 0;
};

tmsize_t TiffRead(thandle_t handle, void* out, tmsize_t size) {
  auto* memory = static_cast<TiffMemory*>(handle);
  if (size <= 0 || memory->offset >= memory->file.size()) {
    return 0;
  }
  const uint64_t available = memory->file.size() - memory->offset;
  const uint64_t count = std::min<uint64_t>(available, static_cast<uint64_t>(size));
  std::memcpy(out, memory->file.data() + memory->offset, count);
  memory->offset += count;
  return static_cast<tmsize_t>(count);
}

tmsize_t TiffWrite(thandle_t, void*, tmsize_t) {
  return -1;
}

toff_t TiffSeek(thandle_t handle, toff_t offset, int whence) {
  auto* memory = static_cast<TiffMemory*>(handle);
  uint64_t base = 0;
  if (whence == SEEK_CUR) {
    base = memory->offset;
  } else if (whence == SEEK_END) {
    base = memory->file.size();
  }
  // Offsets are unsigned here; a "negative" relative seek arrives wrapped and wraps back.
  memory->offset = base + offset;
  return memory->offset;
}

int TiffClose(thandle_t) {
  return 0;
}
toff_t TiffSize(thandle_t handle) {
  return static_cast<TiffMemory*>(handle)->file.size();
}
int TiffMap(thandle_t, void**, toff_t*) {
  return 0;
}
void TiffUnmap(thandle_t, void*, toff_t) {}

int TiffQuietHandler(TIFF*, void*, const char*, const char*, va_list) {
  return 1;
}

struct TiffOptionsDeleter {
  void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};
struct TiffDeleter {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

// ---------------------------------------------------------------------------------------------
// Encoders

// Destination that grows a vector, so nothing is left to free by hand after an error.
struct JpegVectorDestination {
  jpeg_destination_mgr base;
  std::vector<uint8_t> output;
};

constexpr size_t kJpegChunk = 64 * 1024;

void JpegInitDestination(j_compress_ptr info) {
  auto* dest = reinterpret_cast<JpegVectorDestination*>(info->dest);
  dest->output.resize(kJpegChunk);
  dest->base.next_output_byte = dest->output.data();
  dest->base.free_in_buffer = dest->output.size();
}

boolean JpegEmptyOutputBuffer(j_compress_ptr info) {
  auto* dest = reinterpret_cast<JpegVectorDestination*>(info->dest);
  const size_t used = dest->output.size();
  dest->output.resize(used + kJpegChunk);
  dest->base.next_output_byte = dest->output.data() + used;
  dest->base.free_in_buffer = kJpegChunk;
  return TRUE;
}

void JpegTermDestination(j_compress_ptr info) {
  auto* dest = reinterpret_cast<JpegVectorDestination*>(info->dest);
  dest->output.resize(dest->output.size() - dest->base.free_in_buffer);
}

struct JpegEncodeJob {
  jpeg_compress_struct info{};
  JpegErrorManager error{};
  JpegVectorDestination destination{};
};

bool RunJpegEncode(JpegEncodeJob& job, const Image24& image, const uint8_t* pixels, int quality) {
  jpeg_compress_struct& info = job.info;
  if (setjmp(job.error.jump) != 0) {
    return false;
  }
  jpeg_create_compress(&info);
  job.destination.base.init_destination = JpegInitDestination;
  job.destination.base.empty_output_buffer = JpegEmptyOutputBuffer;
  job.destination.base.term_destination = JpegTermDestination;
  info.dest = &job.destination.base;
  info.image_width = image.width;
  info.image_height = image.height;
  info.input_components = 3;
  info.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  const size_t stride = size_t{image.width} * 3;
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(pixels + stride * info.next_scanline);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  return true;
}

void PngWriteToVector(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void PngFlush(png_structp) {}

struct PngEncodeJob {
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::vector<uint8_t> output;
  std::vector<png_bytep> rows;
};

bool RunPngEncode(PngEncodeJob& job, const Image24& image, const uint8_t* pixels) {
  png_structp png = job.png;
  if (setjmp(png_jmpbuf(png)) != 0) {
    return false;
  }
  png_set_write_fn(png, &job.output, PngWriteToVector, PngFlush);
  png_set_IHDR(png, job.info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, job.info);
  png_set_bgr(png);
  const size_t stride = size_t{image.width} * 3;
  job.rows.resize(image.height);
  for (size_t y = 0; y < image.height; ++y) {
    job.rows[y] = const_cast<uint8_t*>(pixels + stride * y);
  }
  png_write_image(png, job.rows.data());
  png_write_end(png, nullptr);
  return true;
}

// The encoders accept an image whose pixel buffer came up short: the missing rows are black.
// Returns the pixels to encode, padding into `padded` when needed; nullptr when unusable.
const uint8_t* EncodablePixels(const Image24& image, uint32_t maxSide,
                               std::vector<uint8_t>& padded) {
  if (image.width == 0 || image.height == 0 || image.width > maxSide || image.height > maxSide) {
    return nullptr;
  }
  const size_t full = size_t{image.width} * image.height * 3;
  if (image.pixels.size() >= full) {
    return image.pixels.data();
  }
  if (full > kMaxImageBytes) {
    return nullptr;
  }
  padded.assign(full, 0);
  std::copy(image.pixels.begin(), image.pixels.end(), padded.begin());
  return padded.data();
}

}  // namespace

std::optional<Image24> DecodeJpeg(std::span<const uint8_t> file) {
  if (file.size() < 4) {
    return std::nullopt;
  }
  JpegDecodeJob job;
  job.info.err = jpeg_std_error(&job.error.base);
  job.error.base.error_exit = JpegErrorExit;
  job.error.base.emit_message = JpegEmitMessage;
  job.error.base.output_message = JpegOutputMessage;
  const bool ok = RunJpegDecode(job, file);
  jpeg_destroy_decompress(&job.info);
  if (!ok) {
    return std::nullopt;
  }
  return std::move(job.image);
}

std::optional<Image24> DecodePng(std::span<const uint8_t> file) {
  if (file.size() < 8 || png_sig_cmp(file.data(), 0, 8) != 0) {
    return std::nullopt;
  }
  PngDecodeJob job;
  job.source.file = file;
  job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngQuietError, PngQuietWarning);
  if (job.png == nullptr) {
    return std::nullopt;
  }
  job.info = png_create_info_struct(job.png);
  bool ok = false;
  if (job.info != nullptr) {
    // Bound what the library itself may reserve for ancillary chunks.
    png_set_chunk_malloc_max(job.png, 8 * 1024 * 1024);
    ok = RunPngDecode(job);
  }
  png_destroy_read_struct(&job.png, job.info != nullptr ? &job.info : nullptr, nullptr);
  if (!ok) {
    return std::nullopt;
  }
  return std::move(job.image);
}

std::optional<Image24> DecodeTiff(std::span<const uint8_t> file) {
  if (file.size() < 8) {
    return std::nullopt;
  }
  std::unique_ptr<TIFFOpenOptions, TiffOptionsDeleter> options(TIFFOpenOptionsAlloc());
  if (!options) {
    return std::nullopt;
  }
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), TiffQuietHandler, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), TiffQuietHandler, nullptr);
  // Strip and tile buffers beyond this are refused by the library itself.
  TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(kMaxImageBytes * 2));

  TiffMemory memory{file, 0};
  std::unique_ptr<TIFF, TiffDeleter> tiff(
      TIFFClientOpenExt("memory", "rm", &memory, TiffRead, TiffWrite, TiffSeek, TiffClose, TiffSize,
                        TiffMap, TiffUnmap, options.get()));
  if (!tiff) {
    return std::nullopt;
  }
  uint32_t width = 0, height = 0;
  if (TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width) != 1 ||
      TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height) != 1) {
    return std::nullopt;
  }
  if (!SizeAcceptable(width, height, file.size())) {
    return std::nullopt;
  }
  char message[1024] = {};
  if (TIFFRGBAImageOK(tiff.get(), message) != 1) {
    return std::nullopt;
  }
  const size_t pixelCount = size_t{width} * height;
  std::vector<uint32_t> raster(pixelCount);
  if (TIFFReadRGBAImageOriented(tiff.get(), width, height, raster.data(), ORIENTATION_TOPLEFT, 1) !=
      1) {
    return std::nullopt;
  }
  Image24 image;
  image.width = width;
  image.height = height;
  image.pixels.resize(pixelCount * 3);
  uint8_t* out = image.pixels.data();
  for (uint32_t abgr : raster) {
    out[0] = static_cast<uint8_t>(TIFFGetB(abgr));
    out[1] = static_cast<uint8_t>(TIFFGetG(abgr));
    out[2] = static_cast<uint8_t>(TIFFGetR(abgr));
    out += 3;
  }
  return image;
}

std::optional<Image24> DecodeImageFile(std::span<const uint8_t> file) {
  if (StartsWith(file, {0xFF, 0xD8, 0xFF})) {
    return DecodeJpeg(file);
  }
  if (StartsWith(file, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})) {
    return DecodePng(file);
  }
  if (StartsWith(file, {'I', 'I', 0x2A, 0x00}) || StartsWith(file, {'M', 'M', 0x00, 0x2A}) ||
      StartsWith(file, {'I', 'I', 0x2B, 0x00}) || StartsWith(file, {'M', 'M', 0x00, 0x2B})) {
    return DecodeTiff(file);
  }
  return std::nullopt;
}

std::vector<uint8_t> EncodeJpeg(const Image24& image, int quality) {
  std::vector<uint8_t> padded;
  // JPEG frames are limited to 65500 pixels a side.
  const uint8_t* pixels = EncodablePixels(image, 65500, padded);
  if (pixels == nullptr) {
    return {};
  }
  JpegEncodeJob job;
  job.info.err = jpeg_std_error(&job.error.base);
  job.error.base.error_exit = JpegErrorExit;
  job.error.base.output_message = JpegOutputMessage;
  const bool ok = RunJpegEncode(job, image, pixels, std::clamp(quality, 1, 100));
  jpeg_destroy_compress(&job.info);
  if (!ok) {
    return {};
  }
  return std::move(job.destination.output);
}

std::vector<uint8_t> EncodePng(const Image24& image) {
  std::vector<uint8_t> padded;
  const uint8_t* pixels = EncodablePixels(image, 1'000'000, padded);
  if (pixels == nullptr) {
    return {};
  }
  PngEncodeJob job;
  job.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngQuietError, PngQuietWarning);
  if (job.png == nullptr) {
    return {};
  }
  job.info = png_create_info_struct(job.png);
  bool ok = false;
  if (job.info != nullptr) {
    ok = RunPngEncode(job, image, pixels);
  }
  png_destroy_write_struct(&job.png, job.info != nullptr ? &job.info : nullptr);
  if (!ok) {
    return {};
  }
  return std::move(job.output);
}

}  // namespace qlm
