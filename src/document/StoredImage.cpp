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
  const std::span<const uint8_t> file = image.EncodedFile();
  if (!file.empty())
    return {file.begin(), file.end()};
  return png ? EncodePng(image.image) : EncodeJpeg(image.image);
}

void WriteSizedBlock(ArchiveWriter& writer, std::span<const uint8_t> bytes) {
  if (bytes.size() > UINT32_MAX)
    throw std::length_error("image too large for a project stream");
  writer.WriteU32(static_cast<uint32_t>(bytes.size()));
  writer.WriteBytes(bytes);
}

// The stored bytes of a picture: kept for a decode when first drawn when the context reads
// pictures for showing, else decoded now (an Encoded form keeps its file as well).
StoredImage ReadPicture(ArchiveReader& reader, LoadContext& ctx, ImageForm form,
                        const PictureLayout& layout, uint64_t storedSize) {
  StoredImage out;
  out.form = form;
  if (ctx.pictures) {
    out.packed =
        std::make_shared<const PackedPicture>(ctx.pictures, layout, reader.ReadShared(storedSize));
    return out;
  }
  std::vector<uint8_t> scratch;
  std::span<const uint8_t> stored;
  if (form == ImageForm::Encoded) {
    out.encoded = reader.ReadBytes(storedSize);
    stored = out.encoded;
  } else {
    stored = reader.ReadView(storedSize, scratch);
  }
  DecodedPicture decoded = DecodePicture(layout, stored);
  if (!decoded.message.empty())
    Show(ctx, decoded.message);
  out.image = std::move(decoded.image);
  return out;
}

PictureLayout RawLayout(uint32_t width, uint32_t height) {
  return {PictureCoding::Raw, width, height, 0, false};
}

// The pixels as a writer stores them: a packed Raw picture's stored bytes are its pixels.
std::span<const uint8_t> RawBytes(const StoredImage& image) {
  if (image.packed && image.packed->Layout().coding == PictureCoding::Raw)
    return image.packed->Stored();
  return image.image.pixels;
}

// The zlib stream of a Zlib form: a packed one as stored, else packed afresh.
std::vector<uint8_t> ZlibStream(const StoredImage& image) {
  if (image.packed && image.packed->Layout().coding == PictureCoding::Zlib) {
    const std::span<const uint8_t> stored = image.packed->Stored();
    return {stored.begin(), stored.end()};
  }
  return DeflateZlib(image.image.pixels);
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

StoredImage ReadRawStoredImage(ArchiveReader& reader, LoadContext& ctx, uint32_t width,
                               uint32_t height) {
  return ReadPicture(reader, ctx, ImageForm::Raw, RawLayout(width, height),
                     PixelBytes(width, height));
}

void WriteRawPixels(ArchiveWriter& writer, const Image24& image) {
  if (image.pixels.size() != PixelBytes(image.width, image.height)) {
    throw std::invalid_argument("raw image pixels do not match its size");
  }
  writer.WriteBytes(image.pixels);
}

void WriteRawPixels(ArchiveWriter& writer, const StoredImage& image) {
  if (!image.packed) {
    WriteRawPixels(writer, image.image);
    return;
  }
  if (RawBytes(image).size() != PixelBytes(image.Width(), image.Height()))
    throw std::invalid_argument("raw image pixels do not match its size");
  writer.WriteBytes(RawBytes(image));
}

void DecodeNow(StoredImage& image, LoadContext& ctx) {
  if (!image.packed)
    return;
  DecodedPicture decoded = DecodePicture(image.packed->Layout(), image.packed->Stored());
  if (!decoded.message.empty())
    Show(ctx, decoded.message);
  if (image.form == ImageForm::Encoded) {
    const std::span<const uint8_t> file = image.packed->Stored();
    image.encoded.assign(file.begin(), file.end());
  }
  image.image = std::move(decoded.image);
  image.packed.reset();
}

StoredImage ReadPageImage(ArchiveReader& reader, LoadContext& ctx) {
  StoredImage out;
  uint32_t width = reader.ReadU32();
  if (width != kPackedImageMarker) {
    const uint32_t height = reader.ReadU32();
    if (PixelBytes(width, height) > kMaxImageBytes)
      throw LoadAbandoned(std::string(msg::kCannotLoad));
    return ReadRawStoredImage(reader, ctx, width, height);
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
    return ReadPicture(reader, ctx, out.form, RawLayout(width, height), PixelBytes(width, height));
  }
  if (zlib) {
    if (PixelBytes(width, height) > kMaxImageBytes) {
      reader.Skip(length);
      Show(ctx, msg::kCorrupted);
      return out;
    }
    return ReadPicture(reader, ctx, out.form,
                       {PictureCoding::Zlib, width, height, PixelBytes(width, height), false},
                       length);
  }
  return ReadPicture(reader, ctx, out.form, {PictureCoding::ImageFile, width, height, 0, false},
                     length);
}

void WritePageImage(ArchiveWriter& writer, const StoredImage& image) {
  if (image.form == ImageForm::Raw) {
    writer.WriteU32(image.Width());
    writer.WriteU32(image.Height());
    WriteRawPixels(writer, image);
    return;
  }
  writer.WriteU32(kPackedImageMarker);
  writer.WriteU32(image.Width());
  writer.WriteU32(image.Height());
  switch (image.form) {
    case ImageForm::Packed:
      writer.WriteU32(0);
      WriteRawPixels(writer, image);
      break;
    case ImageForm::Zlib:
      writer.WriteU32(kZlibImageMarker);
      WriteSizedBlock(writer, ZlibStream(image));
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
        // As many bytes as the size says, whatever the width and height.
        data = ReadPicture(reader, ctx, ImageForm::Raw, RawLayout(width, height), size);
        return out;
      }
      data = ReadPicture(reader, ctx, ImageForm::Zlib,
                         {PictureCoding::Zlib, width, height, size, true}, packed);
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
        data = ReadRawStoredImage(reader, ctx, width, height);
        return out;
      }
      data = ReadPicture(reader, ctx, ImageForm::Encoded,
                         {PictureCoding::Jpeg, width, height, 0, false}, length);
      return out;
    }
    case 2:
      if (RefuseOversized(reader, ctx, PixelBytes(width, height)))
        return out;
      data = ReadRawStoredImage(reader, ctx, width, height);
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
    case 0: {
      const bool packedZlib = data.packed && data.packed->Layout().coding == PictureCoding::Zlib;
      const uint64_t size = packedZlib ? data.packed->Layout().unpackedSize : RawBytes(data).size();
      if (size > UINT32_MAX)
        throw std::length_error("image too large");
      writer.WriteU32(static_cast<uint32_t>(size));
      if (data.form == ImageForm::Zlib && size != 0) {
        WriteSizedBlock(writer, ZlibStream(data));
      } else {
        writer.WriteU32(0);
        writer.WriteBytes(RawBytes(data));
      }
      break;
    }
    case 1:
      if (data.form == ImageForm::Encoded) {
        WriteSizedBlock(writer, EncodedOrFresh(data, false));
      } else {
        writer.WriteU32(0);
        WriteRawPixels(writer, data);
      }
      break;
    case 2:
      WriteRawPixels(writer, data);
      break;
    default:
      break;  // an unknown method carries nothing a reader could step over
  }
}

}  // namespace qlm
