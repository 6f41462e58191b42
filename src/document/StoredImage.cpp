#include "document/StoredImage.h"

#include <stdexcept>
#include <string>

#include "document/ArchiveError.h"
#include "document/ArchiveReader.h"
#include "document/ArchiveWriter.h"
#include "document/DocumentMessages.h"
#include "document/Inflate.h"
#include "document/LoadContext.h"
#include "graphics/ImageCodec.h"

namespace qlm {

namespace {

void Show(LoadContext& ctx, std::string_view text) {
  ctx.dialogs.Message(std::string(text));
}

// Refuses an image above the limit: the message, then its bytes are stepped over so the
// stream stays in step.
bool RefuseOversized(ArchiveReader& reader, LoadContext& ctx, uint64_t size, bool skip = true) {
  if (size <= kMaxImageBytes)
    return false;
  Show(ctx, msg::kCorrupted);
  if (skip)
    reader.Skip(size);
  return true;
}

std::vector<uint8_t> EncodedOrFresh(const StoredImage& image, bool png) {
  if (!image.encoded.empty())
    return image.encoded;
  return png ? EncodePng(image.image) : EncodeJpeg(image.image);
}

void WriteSizedBlock(ArchiveWriter& writer, std::span<const uint8_t> bytes) {
  if (bytes.size() > UINT32_MAX)
    throw std::length_error("image too large for a project stream");
  writer.WriteU32(static_cast<uint32_t>(bytes.size()));
  writer.WriteBytes(bytes);
}

}  // namespace

uint64_t PixelBytes(uint32_t width, uint32_t height) {
  const uint64_t pixels = uint64_t(width) * height;
  return pixels > UINT64_MAX / 3 ? UINT64_MAX : pixels * 3;
}

Image24 ReadRawImage(ArchiveReader& reader, uint32_t width, uint32_t height) {
  Image24 image;
  image.pixels = reader.ReadBytes(PixelBytes(width, height));
  image.width = width;
  image.height = height;
  return image;
}

void WriteRawPixels(ArchiveWriter& writer, const Image24& image) {
  if (image.pixels.size() != PixelBytes(image.width, image.height)) {
    throw std::invalid_argument("raw image pixels do not match its size");
  }
  writer.WriteBytes(image.pixels);
}

StoredImage ReadPageImage(ArchiveReader& reader, LoadContext& ctx) {
  StoredImage out;
  uint32_t width = reader.ReadU32();
  if (width != kPackedImageMarker) {
    const uint32_t height = reader.ReadU32();
    if (PixelBytes(width, height) > kMaxImageBytes)
      throw LoadAbandoned(std::string(msg::kCannotLoad));
    out.image = ReadRawImage(reader, width, height);
    return out;
  }
  width = reader.ReadU32();
  const uint32_t height = reader.ReadU32();
  uint32_t length = reader.ReadU32();
  const bool zlib = length == kZlibImageMarker;
  if (zlib)
    length = reader.ReadU32();
  out.form = zlib ? ImageForm::Zlib : length == 0 ? ImageForm::Packed : ImageForm::Encoded;
  if (RefuseOversized(reader, ctx, length))
    return out;
  if (length == 0) {
    if (RefuseOversized(reader, ctx, PixelBytes(width, height)))
      return out;
    out.image = ReadRawImage(reader, width, height);
    return out;
  }
  if (zlib) {
    std::vector<uint8_t> scratch;
    const std::span<const uint8_t> bytes = reader.ReadView(length, scratch);
    if (RefuseOversized(reader, ctx, PixelBytes(width, height), false))
      return out;
    InflateResult inflated = InflateZlib(bytes, PixelBytes(width, height));
    if (!inflated.ok) {
      Show(ctx, msg::kUncompressFailed);
      return out;
    }
    out.image = {width, height, std::move(inflated.bytes)};
    return out;
  }
  out.encoded = reader.ReadBytes(length);
  if (auto decoded = DecodeImageFile(out.encoded))
    out.image = std::move(*decoded);
  return out;
}

void WritePageImage(ArchiveWriter& writer, const StoredImage& image) {
  if (image.form == ImageForm::Raw) {
    writer.WriteU32(image.image.width);
    writer.WriteU32(image.image.height);
    WriteRawPixels(writer, image.image);
    return;
  }
  writer.WriteU32(kPackedImageMarker);
  writer.WriteU32(image.image.width);
  writer.WriteU32(image.image.height);
  switch (image.form) {
    case ImageForm::Packed:
      writer.WriteU32(0);
      WriteRawPixels(writer, image.image);
      break;
    case ImageForm::Zlib:
      writer.WriteU32(kZlibImageMarker);
      WriteSizedBlock(writer, DeflateZlib(image.image.pixels));
      break;
    default:
      WriteSizedBlock(writer, EncodedOrFresh(image, true));
      break;
  }
}

ObjectImageData ReadObjectImageData(ArchiveReader& reader, LoadContext& ctx, uint32_t width,
                                    uint32_t height) {
  ObjectImageData out;
  out.method = reader.ReadU32();
  StoredImage& data = out.data;
  switch (out.method) {
    case 0: {
      const uint32_t size = reader.ReadU32();
      if (size > kMaxImageBytes) {
        Show(ctx, msg::kCorrupted);
        const uint32_t packed = reader.ReadU32();
        reader.Skip(packed == 0 ? size : packed);
        return out;
      }
      const uint32_t packed = reader.ReadU32();
      if (packed == 0) {
        data.image = {width, height, reader.ReadBytes(size)};
        return out;
      }
      data.form = ImageForm::Zlib;
      std::vector<uint8_t> scratch;
      InflateResult inflated = InflateZlib(reader.ReadView(packed, scratch), size);
      if (!inflated.ok)
        Show(ctx, msg::kUncompressFailed);
      data.image = {width, height, std::move(inflated.bytes)};
      return out;
    }
    case 1: {
      const uint32_t length = reader.ReadU32();
      if (length != 0)
        data.form = ImageForm::Encoded;
      if (RefuseOversized(reader, ctx, length))
        return out;
      if (length == 0) {
        if (RefuseOversized(reader, ctx, PixelBytes(width, height)))
          return out;
        data.image = ReadRawImage(reader, width, height);
        return out;
      }
      data.encoded = reader.ReadBytes(length);
      if (auto decoded = DecodeJpeg(data.encoded))
        data.image = std::move(*decoded);
      return out;
    }
    case 2:
      if (RefuseOversized(reader, ctx, PixelBytes(width, height)))
        return out;
      data.image = ReadRawImage(reader, width, height);
      return out;
    default:
      // The data of an unknown method cannot be stepped over.
      throw LoadAbandoned(std::string(msg::kUnknownImageMethod));
  }
}

void WriteObjectImageData(ArchiveWriter& writer, const ObjectImageData& image) {
  writer.WriteU32(image.method);
  const StoredImage& data = image.data;
  switch (image.method) {
    case 0:
      if (data.image.pixels.size() > UINT32_MAX)
        throw std::length_error("image too large");
      writer.WriteU32(static_cast<uint32_t>(data.image.pixels.size()));
      if (data.form == ImageForm::Zlib && !data.image.pixels.empty()) {
        WriteSizedBlock(writer, DeflateZlib(data.image.pixels));
      } else {
        writer.WriteU32(0);
        writer.WriteBytes(data.image.pixels);
      }
      break;
    case 1:
      if (data.form == ImageForm::Encoded) {
        WriteSizedBlock(writer, EncodedOrFresh(data, false));
      } else {
        writer.WriteU32(0);
        WriteRawPixels(writer, data.image);
      }
      break;
    case 2:
      WriteRawPixels(writer, data.image);
      break;
    default:
      break;  // an unknown method carries nothing a reader could step over
  }
}

}  // namespace qlm
