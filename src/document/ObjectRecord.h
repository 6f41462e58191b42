#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "document/ScriptBody.h"
#include "document/StoredImage.h"
#include "graphics/Geometry.h"

namespace qlm {

class ArchiveReader;
class ArchiveWriter;
class FieldReader;
class FieldWriter;
class ProfileStore;
struct LoadContext;

// A Windows logical font as objects store it.
struct ObjectFont {
  int32_t height = 20;  // negative: character height
  int32_t width = 0;
  int32_t escapement = 0;
  int32_t orientation = 0;
  int32_t weight = 400;
  uint8_t italic = 0;
  uint8_t underline = 0;
  uint8_t strikeOut = 0;
  uint8_t charSet = 0;
  uint8_t outPrecision = 0;
  uint8_t clipPrecision = 0;
  uint8_t quality = 0;
  uint8_t pitchAndFamily = 0;
  std::string faceName = "Arial";

  static constexpr size_t kMaxFaceName = 31;  // longer stored names are ignored
  bool operator==(const ObjectFont&) const = default;
};

// One image of an object's image block: a state image (which may carry the 600000 marker and
// then the object image format) or the mask (always the object image format).
struct ObjectImage {
  bool present = false;
  bool marker = false;  // state images: the pixels follow in the object image format
  ObjectImageData stored;

  // The pixels, decoded when first asked for (valid until the picture store's next Trim).
  const Image24& Image() const { return stored.data.Pixels(); }
  bool operator==(const ObjectImage&) const = default;
};

// Object kinds by type code.
enum ObjectKind : int32_t {
  kObjText = 1,
  kObjRectangle = 2,
  kObjImage = 3,
  kObjHotSpot = 4,
  kObjButton = 5,
  kObjLine = 6,
  kObjCircle = 7,
  kObjTextButton = 11,
  kObjVideo = 12,
  kObjPolygon = 13,
  kObjMetafile = 14,
  kObjParagraph = 15,
  kObjAnimatedGif = 16,
  kObjScript = 17,
  kObjGrid = 19,
  kObjTimer = 20,
  kObjPlugIn = 21,
  kObjInputField = 22,
  kObjMci = 23,
  kObjProgram = 24,
  kObjBrowser = 25,
  kObjFlash = 27,
  kObjTimer28 = 28,
  kObjListBox = 29,
};

// One page object as stored. Numbered fields live in arrays indexed by their number; where
// numbering starts at 1, slot 0 is unused. Code outside the reader and writer uses the named
// accessors of document/ObjectFields.h.
struct ObjectRecord {
  std::array<std::string, 9> strings;  // object strings 1..8
  std::array<uint32_t, 21> values{};   // object values 0..20
  int32_t typeCode = 0;
  bool extended = false;  // stored with a negative marker before the type code
  int32_t extendedMarker = -1;
  IntRect rect;
  std::string name;

  // Image block (present when noImages is 0).
  uint32_t noImages = 0;
  std::array<uint32_t, 8> imageValues{};   // 1..7
  std::array<uint32_t, 4> colours{};       // 1..3
  std::array<ObjectImage, 4> stateImages;  // 1..3
  ObjectImage mask;

  // Point lists.
  std::vector<IntPoint> points1;
  std::vector<IntPoint> points2;
  uint32_t pointValue1 = 0;
  uint32_t pointValue2 = 0;

  double ratio = 0.5;
  std::string text;
  std::vector<std::string> stringList;
  ObjectFont font;

  bool hasMetafile = false;
  std::array<uint32_t, 6> metafileHeader{};
  std::vector<uint8_t> metafile;  // enhanced-metafile data

  std::array<ScriptBody, 7> scripts;  // 1..6

  uint32_t gifTimerId = 0;
  std::vector<uint8_t> gifData;

  uint32_t hasSecondText = 0;
  std::string secondText;

  std::array<bool, 8> optionFlags{};  // 1..7
  std::array<uint8_t, 8> optionData{};
  std::array<uint32_t, 3> optionValues{};  // 1..2

  // Field defaults of a fresh object; the font comes from the profile's section "Font" when
  // a store is given.
  static ObjectRecord Fresh(const ProfileStore* profile = nullptr);
  // The font a fresh object takes: the profile's section "Font" over the defaults.
  static ObjectFont ProfileFont(const ProfileStore* profile);

  bool operator==(const ObjectRecord&) const = default;
};

// The stored layout of one record (see RecordLayout.h): reading applies the conversions for
// older files; writing leaves out the fields the version lacks.
void VisitLayout(FieldReader& io, ObjectRecord& object);
void VisitLayout(FieldWriter& io, const ObjectRecord& object);
// Reads one record at the context's version, with the conversions for older files.
ObjectRecord ReadObjectRecord(ArchiveReader& reader, LoadContext& ctx);
// Writes what a reader of that version reads; fields the version lacks are left out.
void WriteObjectRecord(ArchiveWriter& writer, const ObjectRecord& object, int32_t version);

}  // namespace qlm
