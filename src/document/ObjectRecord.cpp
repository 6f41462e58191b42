#include "document/ObjectRecord.h"

#include <algorithm>

#include "document/ArchiveError.h"
#include "document/DocumentMessages.h"
#include "document/LoadContext.h"
#include "document/RecordLayout.h"
#include "platform/ProfileStore.h"

namespace qlm {

namespace {

int32_t Shift(int32_t v, int32_t by) {  // wraps instead of overflowing on hostile values
  return static_cast<int32_t>(static_cast<uint32_t>(v) + static_cast<uint32_t>(by));
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

// What a reader starts from: a fresh object with the profile's font.
ObjectRecord FreshForLoad(const LoadContext& ctx) {
  ObjectRecord o = ObjectRecord::Fresh();
  o.font = ctx.profileFont ? *ctx.profileFont : ObjectRecord::ProfileFont(ctx.profile);
  return o;
}

// u32 present: whether an image follows. A reader starts a present image afresh.
template <class Io>
bool VisitPresent(Io& io, Visited<Io, ObjectImage>& image) {
  uint32_t present = image.present ? 1 : 0;
  io.U32(present);
  if constexpr (Io::kReading) {
    if (present != 0) {
      image = ObjectImage{};
      image.present = true;
    }
  }
  return present != 0;
}

// A state image: u32 present, then the size (with the optional 600000 marker before the width)
// and the pixels, raw or in the object image format after the marker.
template <class Io>
void VisitStateImage(Io& io, Visited<Io, ObjectImage>& image) {
  if (!VisitPresent(io, image))
    return;
  // The stored size: a picture kept packed is not decoded to be written.
  uint32_t width = image.stored.data.Width();
  uint32_t height = image.stored.data.Height();
  uint32_t first = image.marker ? kPackedImageMarker : width;
  io.U32(first);
  bool marker = image.marker;
  if constexpr (Io::kReading) {
    image.marker = marker = first == kPackedImageMarker;
    width = first;
  }
  if (marker)
    io.U32(width);
  io.U32(height);
  if (marker) {
    io.ObjectImage(image.stored, width, height);
    return;
  }
  if constexpr (Io::kReading) {
    if (PixelBytes(width, height) > kMaxImageBytes)
      throw LoadAbandoned(std::string(msg::kCannotLoad));
  }
  io.RawImage(image.stored.data, width, height);
}

// The mask (version 21 on): u32 present, the size, the pixels in the object image format.
template <class Io>
void VisitMask(Io& io, Visited<Io, ObjectImage>& mask) {
  if (!VisitPresent(io, mask))
    return;
  uint32_t width = mask.stored.data.Width();
  uint32_t height = mask.stored.data.Height();
  io.U32(width);
  io.U32(height);
  io.ObjectImage(mask.stored, width, height);
}

template <class Io>
void VisitImageBlock(Io& io, Visited<Io, ObjectRecord>& o) {
  const int32_t v = io.Version();
  for (int i = 1; i <= 3; ++i)
    io.U32(o.imageValues[i]);
  for (int i = 1; i <= 3; ++i)
    io.U32(o.colours[i]);
  for (int i = 1; i <= 3; ++i)
    VisitStateImage(io, o.stateImages[i]);
  if constexpr (Io::kReading) {
    if (v < 23 && o.typeCode == kObjVideo && o.stateImages[3].present) {
      io.DecodeNow(o.stateImages[3].stored.data);
      WidenMask(o.stateImages[3].stored.data.image);
    }
  }
  for (int i = 4; i <= 7; ++i)
    io.U32(o.imageValues[i]);
  io.UnusedText(3);
  io.UnusedU32(6);
  if (v >= 21) {
    VisitMask(io, o.mask);
  } else if constexpr (Io::kReading) {
    if ((o.typeCode == kObjImage || o.typeCode == kObjVideo) && o.stateImages[3].present)
      o.mask = o.stateImages[3];
  }
}

template <class Io>
void VisitFont(Io& io, Visited<Io, ObjectFont>& f) {
  io.I32(f.height);
  io.I32(f.width);
  io.I32(f.escapement);
  io.I32(f.orientation);
  io.I32(f.weight);
  io.U8(f.italic);
  io.U8(f.underline);
  io.U8(f.strikeOut);
  io.U8(f.charSet);
  io.U8(f.outPrecision);
  io.U8(f.clipPrecision);
  io.U8(f.quality);
  io.U8(f.pitchAndFamily);
  if constexpr (Io::kReading) {
    std::string face;
    io.Text(face);
    if (face.size() <= ObjectFont::kMaxFaceName)  // longer names keep the default
      f.faceName = std::move(face);
  } else {
    io.Text(f.faceName);
  }
}

template <class Io>
void VisitObject(Io& io, Visited<Io, ObjectRecord>& o) {
  const int32_t v = io.Version();
  if constexpr (Io::kReading)
    o = FreshForLoad(io.Context());
  for (int i = 1; i <= 5; ++i)
    io.Text(o.strings[i]);
  io.U32(o.values[0]);
  // Extended records put a negative marker before the type code.
  int32_t first = o.extended ? (o.extendedMarker < 0 ? o.extendedMarker : -1) : o.typeCode;
  io.I32(first);
  if constexpr (Io::kReading) {
    o.extended = first < 0;
    if (o.extended)
      o.extendedMarker = first;
    else
      o.typeCode = first;
  }
  if (o.extended)
    io.I32(o.typeCode);
  io.I32(o.rect.left);
  io.I32(o.rect.top);
  io.I32(o.rect.right);
  io.I32(o.rect.bottom);
  io.Text(o.name);
  for (int i = 1; i <= 5; ++i)
    io.U32(o.values[i]);
  io.Text(o.strings[6]);
  io.Text(o.strings[7]);
  io.U32(o.values[6]);
  io.U32(o.values[7]);
  if (v >= 2) {
    io.Text(o.strings[8]);
    io.U32(o.values[8]);
  }
  io.U32(o.values[9]);
  io.U32(o.noImages);
  if (o.noImages == 0)
    VisitImageBlock(io, o);

  auto point = [&](auto& p) { io.Point(p); };
  io.List(o.points1, 8, point);
  if (v >= 22) {
    io.List(o.points2, 8, point);
    io.U32(o.pointValue1);
    io.U32(o.pointValue2);
  }

  for (int i = 10; i <= 18; ++i)
    io.U32(o.values[i]);
  io.F64(o.ratio);
  io.U32(o.values[19]);
  io.U32(o.values[20]);
  io.Text(o.text);
  io.List(o.stringList, 1, [&](auto& line) { io.Text(line); });
  VisitFont(io, o.font);

  io.Flag32(o.hasMetafile);
  if (o.hasMetafile) {
    for (auto& h : o.metafileHeader)
      io.U32(h);
    io.SizedBytes(o.metafile);
  }
  if (o.extended && v >= 4) {
    for (int i = 1; i <= 3; ++i)
      VisitLayout(io, o.scripts[i]);
  }
  if (v >= 7 && o.typeCode == kObjAnimatedGif) {
    io.U32(o.gifTimerId);
    io.SizedBytes(o.gifData);
  }
  if (v >= 12) {
    io.U32(o.hasSecondText);
    if (o.hasSecondText != 0)
      io.Text(o.secondText);
  }
  if (v >= 15) {
    VisitLayout(io, o.scripts[4]);
    VisitLayout(io, o.scripts[5]);
  }
  if (v >= 16)
    VisitLayout(io, o.scripts[6]);

  if constexpr (Io::kReading)
    ConvertBeforeOptions(o, v);
  if (v >= 23) {
    io.Flag8(o.optionFlags[1]);
    io.Bytes(o.optionData);
    io.Flag8(o.optionFlags[2]);
    io.Flag8(o.optionFlags[3]);
    io.Flag8(o.optionFlags[4]);
    io.U32(o.optionValues[1]);
    io.Flag8(o.optionFlags[5]);
    io.Flag8(o.optionFlags[6]);
    io.U32(o.optionValues[2]);
  }
  if (v >= 24)
    io.Flag8(o.optionFlags[7]);
  if constexpr (Io::kReading)
    ConvertAfterOptions(o, v);
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

void VisitLayout(FieldReader& io, ObjectRecord& object) {
  VisitObject(io, object);
}
void VisitLayout(FieldWriter& io, const ObjectRecord& object) {
  VisitObject(io, object);
}

ObjectRecord ReadObjectRecord(ArchiveReader& reader, LoadContext& ctx) {
  FieldReader io(reader, ctx);
  ObjectRecord o;
  VisitObject(io, o);
  return o;
}

void WriteObjectRecord(ArchiveWriter& writer, const ObjectRecord& o, int32_t version) {
  FieldWriter io(writer, version);
  VisitObject(io, o);
}

}  // namespace qlm
