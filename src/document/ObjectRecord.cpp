#include "document/ObjectRecord.h"

#include <algorithm>

#include "document/ArchiveError.h"
#include "document/ArchiveReader.h"
#include "document/ArchiveWriter.h"
#include "document/DocumentMessages.h"
#include "document/LoadContext.h"
#include "platform/ProfileStore.h"

namespace qlm {

namespace {

int32_t Shift(int32_t v, int32_t by) {  // wraps instead of overflowing on hostile values
  return static_cast<int32_t>(static_cast<uint32_t>(v) + static_cast<uint32_t>(by));
}

std::vector<IntPoint> ReadPoints(ArchiveReader& reader) {
  const uint32_t n = reader.ReadU32();
  reader.RequireCount(n, 8);
  std::vector<IntPoint> points(n);
  for (IntPoint& p : points) {
    p.x = reader.ReadI32();
    p.y = reader.ReadI32();
  }
  return points;
}

void WritePoints(ArchiveWriter& writer, const std::vector<IntPoint>& points) {
  writer.WriteU32(static_cast<uint32_t>(points.size()));
  for (const IntPoint& p : points) {
    writer.WriteI32(p.x);
    writer.WriteI32(p.y);
  }
}

// A state image: u32 present, then the size (with the optional 600000 marker) and pixels.
void ReadStateImage(ArchiveReader& reader, LoadContext& ctx, ObjectImage& image) {
  if (reader.ReadU32() == 0)
    return;
  image = ObjectImage{};
  image.present = true;
  uint32_t width = reader.ReadU32();
  if (width == kPackedImageMarker) {
    width = reader.ReadU32();
    image.marker = true;
  }
  const uint32_t height = reader.ReadU32();
  if (image.marker) {
    image.stored = ReadObjectImageData(reader, ctx, width, height);
    return;
  }
  if (PixelBytes(width, height) > kMaxImageBytes)
    throw LoadAbandoned(std::string(msg::kCannotLoad));
  image.stored.data = ReadRawStoredImage(reader, ctx, width, height);
}

void WriteStateImage(ArchiveWriter& writer, const ObjectImage& image) {
  writer.WriteU32(image.present ? 1 : 0);
  if (!image.present)
    return;
  const StoredImage& pixels = image.stored.data;
  if (image.marker) {
    writer.WriteU32(kPackedImageMarker);
    writer.WriteU32(pixels.Width());
    writer.WriteU32(pixels.Height());
    WriteObjectImageData(writer, image.stored);
  } else {
    writer.WriteU32(pixels.Width());
    writer.WriteU32(pixels.Height());
    WriteRawPixels(writer, pixels);
  }
}

// Old video objects kept an 8-bit mask in state image 3; widen it to 24 bits, inverted.
void WidenMask(Image24& image) {
  const size_t count =
      std::min<uint64_t>(uint64_t(image.width) * image.height, image.pixels.size() / 3);
  for (size_t i = count; i-- > 0;) {
    const uint8_t v = static_cast<uint8_t>(255 - image.pixels[i]);
    image.pixels[3 * i] = image.pixels[3 * i + 1] = image.pixels[3 * i + 2] = v;
  }
}

void ReadImageBlock(ArchiveReader& reader, LoadContext& ctx, ObjectRecord& o) {
  const int32_t v = ctx.version;
  for (int i = 1; i <= 3; ++i)
    o.imageValues[i] = reader.ReadU32();
  for (int i = 1; i <= 3; ++i)
    o.colours[i] = reader.ReadU32();
  for (int i = 1; i <= 3; ++i)
    ReadStateImage(reader, ctx, o.stateImages[i]);
  if (v < 23 && o.typeCode == kObjVideo && o.stateImages[3].present) {
    DecodeNow(o.stateImages[3].stored.data, ctx);
    WidenMask(o.stateImages[3].stored.data.image);
  }
  for (int i = 4; i <= 7; ++i)
    o.imageValues[i] = reader.ReadU32();
  for (int i = 0; i < 3; ++i)
    reader.ReadString();
  for (int i = 0; i < 6; ++i)
    reader.ReadU32();
  if (v >= 21) {
    if (reader.ReadU32() != 0) {
      o.mask = ObjectImage{};
      o.mask.present = true;
      const uint32_t width = reader.ReadU32();
      const uint32_t height = reader.ReadU32();
      o.mask.stored = ReadObjectImageData(reader, ctx, width, height);
    }
  } else if ((o.typeCode == kObjImage || o.typeCode == kObjVideo) && o.stateImages[3].present) {
    o.mask = o.stateImages[3];
  }
}

void WriteImageBlock(ArchiveWriter& writer, const ObjectRecord& o, int32_t version) {
  for (int i = 1; i <= 3; ++i)
    writer.WriteU32(o.imageValues[i]);
  for (int i = 1; i <= 3; ++i)
    writer.WriteU32(o.colours[i]);
  for (int i = 1; i <= 3; ++i)
    WriteStateImage(writer, o.stateImages[i]);
  for (int i = 4; i <= 7; ++i)
    writer.WriteU32(o.imageValues[i]);
  for (int i = 0; i < 3; ++i)
    writer.WriteString("");
  for (int i = 0; i < 6; ++i)
    writer.WriteU32(0);
  if (version >= 21) {
    writer.WriteU32(o.mask.present ? 1 : 0);
    if (o.mask.present) {
      writer.WriteU32(o.mask.stored.data.Width());
      writer.WriteU32(o.mask.stored.data.Height());
      WriteObjectImageData(writer, o.mask.stored);
    }
  }
}

// Old files stored some fields elsewhere or lacked them; move them to where the player
// expects them. Runs after the scripts and before the options block.
void ConvertBeforeOptions(ObjectRecord& o, int32_t v) {
  if (v < 22 && o.typeCode == kObjVideo) {
    o.values[18] = o.values[4];
    o.values[17] = o.values[2];
    o.values[16] = o.values[1];
    o.values[1] = 0;
    o.ratio = 1.0;
    o.values[14] = o.values[19];
    o.values[19] = o.stateImages[3].present ? 1 : 0;
    o.scripts[4] = o.scripts[2];
    o.scripts[2].Clear();
  }
  if (v < 24 && o.typeCode == kObjTextButton) {
    o.colours[3] = 0x800000;
    o.values[20] = 0xFFFFFF;
  }
  if (v < 25 && o.typeCode == kObjListBox)
    o.values[18] = 1;
}

void ConvertAfterOptions(ObjectRecord& o, int32_t v) {
  if (v < 25 && o.typeCode == kObjLine) {
    o.rect = {Shift(o.rect.left, 4), Shift(o.rect.top, 4), Shift(o.rect.right, -4),
              Shift(o.rect.bottom, -4)};
  }
  if (v < 26 && o.typeCode == kObjLine) {
    o.rect.right = Shift(o.rect.right, 1);
    o.rect.bottom = Shift(o.rect.bottom, 1);
  }
  if (v < 27 && o.typeCode == kObjVideo && o.stateImages[3].present) {
    o.mask = o.stateImages[3];
    o.values[19] = 1;
  }
  if (v < 28 && o.typeCode == kObjInputField) {
    o.optionFlags[3] = false;
    o.values[1] = 3;
    o.colours[3] = 0;
    o.imageValues[3] = 0;
    o.optionFlags[4] = true;
  }
}

}  // namespace

ObjectRecord ObjectRecord::Fresh(const ProfileStore* profile) {
  ObjectRecord o;
  o.values[12] = 1;
  o.colours[1] = 0xFFFFFF;
  o.colours[2] = 0;
  o.colours[3] = 0xFFFFFF;
  o.optionFlags = {false, true, true, true, true, false, false, false};
  o.optionValues[1] = 100;
  o.optionValues[2] = 0xC0C0C0;
  o.font = ProfileFont(profile);
  return o;
}

ObjectFont ObjectRecord::ProfileFont(const ProfileStore* profile) {
  ObjectFont f;
  if (profile != nullptr) {
    f.height = profile->GetInt("Font", "Height", f.height);
    f.width = profile->GetInt("Font", "Width", f.width);
    f.escapement = profile->GetInt("Font", "Escape", f.escapement);
    f.orientation = profile->GetInt("Font", "Orient", f.orientation);
    f.weight = profile->GetInt("Font", "Weight", f.weight);
    f.italic = static_cast<uint8_t>(profile->GetInt("Font", "Italic", f.italic));
    f.faceName = profile->GetString("Font", "Name", f.faceName);
  }
  return f;
}

ObjectRecord ReadObjectRecord(ArchiveReader& reader, LoadContext& ctx) {
  const int32_t v = ctx.version;
  ObjectRecord o = ObjectRecord::Fresh();
  o.font = ctx.profileFont ? *ctx.profileFont : ObjectRecord::ProfileFont(ctx.profile);
  for (int i = 1; i <= 5; ++i)
    o.strings[i] = reader.ReadString();
  o.values[0] = reader.ReadU32();
  o.typeCode = reader.ReadI32();
  if (o.typeCode < 0) {
    o.extended = true;
    o.extendedMarker = o.typeCode;
    o.typeCode = reader.ReadI32();
  }
  o.rect.left = reader.ReadI32();
  o.rect.top = reader.ReadI32();
  o.rect.right = reader.ReadI32();
  o.rect.bottom = reader.ReadI32();
  o.name = reader.ReadString();
  for (int i = 1; i <= 5; ++i)
    o.values[i] = reader.ReadU32();
  o.strings[6] = reader.ReadString();
  o.strings[7] = reader.ReadString();
  o.values[6] = reader.ReadU32();
  o.values[7] = reader.ReadU32();
  if (v >= 2) {
    o.strings[8] = reader.ReadString();
    o.values[8] = reader.ReadU32();
  }
  o.values[9] = reader.ReadU32();
  o.noImages = reader.ReadU32();
  if (o.noImages == 0)
    ReadImageBlock(reader, ctx, o);

  o.points1 = ReadPoints(reader);
  if (v >= 22) {
    o.points2 = ReadPoints(reader);
    o.pointValue1 = reader.ReadU32();
    o.pointValue2 = reader.ReadU32();
  }

  for (int i = 10; i <= 18; ++i)
    o.values[i] = reader.ReadU32();
  o.ratio = reader.ReadF64();
  o.values[19] = reader.ReadU32();
  o.values[20] = reader.ReadU32();
  o.text = reader.ReadString();
  const uint32_t lines = reader.ReadU32();
  reader.RequireCount(lines, 1);
  for (uint32_t i = 0; i < lines; ++i)
    o.stringList.push_back(reader.ReadString());

  ObjectFont& f = o.font;
  f.height = reader.ReadI32();
  f.width = reader.ReadI32();
  f.escapement = reader.ReadI32();
  f.orientation = reader.ReadI32();
  f.weight = reader.ReadI32();
  f.italic = reader.ReadU8();
  f.underline = reader.ReadU8();
  f.strikeOut = reader.ReadU8();
  f.charSet = reader.ReadU8();
  f.outPrecision = reader.ReadU8();
  f.clipPrecision = reader.ReadU8();
  f.quality = reader.ReadU8();
  f.pitchAndFamily = reader.ReadU8();
  std::string face = reader.ReadString();
  if (face.size() <= ObjectFont::kMaxFaceName)
    f.faceName = std::move(face);

  o.hasMetafile = reader.ReadU32() != 0;
  if (o.hasMetafile) {
    for (uint32_t& h : o.metafileHeader)
      h = reader.ReadU32();
    o.metafile = reader.ReadBytes(reader.ReadU32());
  }
  if (o.extended && v >= 4) {
    for (int i = 1; i <= 3; ++i)
      o.scripts[i] = ReadScriptBody(reader);
  }
  if (v >= 7 && o.typeCode == kObjAnimatedGif) {
    o.gifTimerId = reader.ReadU32();
    o.gifData = reader.ReadBytes(reader.ReadU32());
  }
  if (v >= 12) {
    o.hasSecondText = reader.ReadU32();
    if (o.hasSecondText != 0)
      o.secondText = reader.ReadString();
  }
  if (v >= 15) {
    o.scripts[4] = ReadScriptBody(reader);
    o.scripts[5] = ReadScriptBody(reader);
  }
  if (v >= 16)
    o.scripts[6] = ReadScriptBody(reader);

  ConvertBeforeOptions(o, v);

  if (v >= 23) {
    o.optionFlags[1] = reader.ReadU8() != 0;
    reader.ReadInto(o.optionData);
    o.optionFlags[2] = reader.ReadU8() != 0;
    o.optionFlags[3] = reader.ReadU8() != 0;
    o.optionFlags[4] = reader.ReadU8() != 0;
    o.optionValues[1] = reader.ReadU32();
    o.optionFlags[5] = reader.ReadU8() != 0;
    o.optionFlags[6] = reader.ReadU8() != 0;
    o.optionValues[2] = reader.ReadU32();
  }
  if (v >= 24)
    o.optionFlags[7] = reader.ReadU8() != 0;

  ConvertAfterOptions(o, v);
  return o;
}

void WriteObjectRecord(ArchiveWriter& writer, const ObjectRecord& o, int32_t version) {
  const int32_t v = version;
  for (int i = 1; i <= 5; ++i)
    writer.WriteString(o.strings[i]);
  writer.WriteU32(o.values[0]);
  if (o.extended)
    writer.WriteI32(o.extendedMarker < 0 ? o.extendedMarker : -1);
  writer.WriteI32(o.typeCode);
  writer.WriteI32(o.rect.left);
  writer.WriteI32(o.rect.top);
  writer.WriteI32(o.rect.right);
  writer.WriteI32(o.rect.bottom);
  writer.WriteString(o.name);
  for (int i = 1; i <= 5; ++i)
    writer.WriteU32(o.values[i]);
  writer.WriteString(o.strings[6]);
  writer.WriteString(o.strings[7]);
  writer.WriteU32(o.values[6]);
  writer.WriteU32(o.values[7]);
  if (v >= 2) {
    writer.WriteString(o.strings[8]);
    writer.WriteU32(o.values[8]);
  }
  writer.WriteU32(o.values[9]);
  writer.WriteU32(o.noImages);
  if (o.noImages == 0)
    WriteImageBlock(writer, o, v);

  WritePoints(writer, o.points1);
  if (v >= 22) {
    WritePoints(writer, o.points2);
    writer.WriteU32(o.pointValue1);
    writer.WriteU32(o.pointValue2);
  }
  for (int i = 10; i <= 18; ++i)
    writer.WriteU32(o.values[i]);
  writer.WriteF64(o.ratio);
  writer.WriteU32(o.values[19]);
  writer.WriteU32(o.values[20]);
  writer.WriteString(o.text);
  writer.WriteU32(static_cast<uint32_t>(o.stringList.size()));
  for (const std::string& s : o.stringList)
    writer.WriteString(s);

  const ObjectFont& f = o.font;
  for (int32_t x : {f.height, f.width, f.escapement, f.orientation, f.weight})
    writer.WriteI32(x);
  for (uint8_t b : {f.italic, f.underline, f.strikeOut, f.charSet, f.outPrecision, f.clipPrecision,
                    f.quality, f.pitchAndFamily}) {
    writer.WriteU8(b);
  }
  writer.WriteString(f.faceName);

  writer.WriteU32(o.hasMetafile ? 1 : 0);
  if (o.hasMetafile) {
    for (uint32_t h : o.metafileHeader)
      writer.WriteU32(h);
    writer.WriteU32(static_cast<uint32_t>(o.metafile.size()));
    writer.WriteBytes(o.metafile);
  }
  if (o.extended && v >= 4) {
    for (int i = 1; i <= 3; ++i)
      WriteScriptBody(writer, o.scripts[i]);
  }
  if (v >= 7 && o.typeCode == kObjAnimatedGif) {
    writer.WriteU32(o.gifTimerId);
    writer.WriteU32(static_cast<uint32_t>(o.gifData.size()));
    writer.WriteBytes(o.gifData);
  }
  if (v >= 12) {
    writer.WriteU32(o.hasSecondText);
    if (o.hasSecondText != 0)
      writer.WriteString(o.secondText);
  }
  if (v >= 15) {
    WriteScriptBody(writer, o.scripts[4]);
    WriteScriptBody(writer, o.scripts[5]);
  }
  if (v >= 16)
    WriteScriptBody(writer, o.scripts[6]);
  if (v >= 23) {
    writer.WriteU8(o.optionFlags[1]);
    writer.WriteBytes(o.optionData);
    writer.WriteU8(o.optionFlags[2]);
    writer.WriteU8(o.optionFlags[3]);
    writer.WriteU8(o.optionFlags[4]);
    writer.WriteU32(o.optionValues[1]);
    writer.WriteU8(o.optionFlags[5]);
    writer.WriteU8(o.optionFlags[6]);
    writer.WriteU32(o.optionValues[2]);
  }
  if (v >= 24)
    writer.WriteU8(o.optionFlags[7]);
}

}  // namespace qlm
