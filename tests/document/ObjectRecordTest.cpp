#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "DocumentFixtures.h"
#include "document/ArchiveError.h"
#include "document/ArchiveReader.h"
#include "document/ArchiveWriter.h"
#include "document/LoadContext.h"
#include "document/ObjectRecord.h"
#include "support/RecordingDialogs.h"

namespace qlm {
namespace {

using test::RichObject;

ObjectRecord RoundTrip(const ObjectRecord& o, int32_t version, LoadContext& ctx) {
  ArchiveWriter writer;
  WriteObjectRecord(writer, o, version);
  ArchiveReader reader(writer.Bytes());
  ctx.version = version;
  ObjectRecord back = ReadObjectRecord(reader, ctx);
  EXPECT_EQ(reader.Remaining(), 0u) << "version " << version;
  return back;
}

// A field a version does not store: what a reader of an older version sees instead.
struct Gate {
  int32_t since;
  const char* field;
  std::function<void(ObjectRecord& expected, const ObjectRecord& fresh)> lacks;
};

const std::vector<Gate>& Gates() {
  static const std::vector<Gate> gates = {
      {2, "string 8, value 8",
       [](ObjectRecord& e, const ObjectRecord& f) {
         e.strings[8] = f.strings[8];
         e.values[8] = f.values[8];
       }},
      {4, "scripts 1 to 3",
       [](ObjectRecord& e, const ObjectRecord& f) {
         for (int i = 1; i <= 3; ++i)
           e.scripts[i] = f.scripts[i];
       }},
      {7, "GIF block",
       [](ObjectRecord& e, const ObjectRecord& f) {
         e.gifTimerId = f.gifTimerId;
         e.gifData = f.gifData;
       }},
      {12, "second text",
       [](ObjectRecord& e, const ObjectRecord& f) {
         e.hasSecondText = f.hasSecondText;
         e.secondText = f.secondText;
       }},
      {15, "scripts 4 and 5",
       [](ObjectRecord& e, const ObjectRecord& f) {
         e.scripts[4] = f.scripts[4];
         e.scripts[5] = f.scripts[5];
       }},
      {16, "script 6", [](ObjectRecord& e, const ObjectRecord& f) { e.scripts[6] = f.scripts[6]; }},
      {21, "mask", [](ObjectRecord& e, const ObjectRecord& f) { e.mask = f.mask; }},
      {22, "second point list",
       [](ObjectRecord& e, const ObjectRecord& f) {
         e.points2 = f.points2;
         e.pointValue1 = f.pointValue1;
         e.pointValue2 = f.pointValue2;
       }},
      {23, "options block",
       [](ObjectRecord& e, const ObjectRecord& f) {
         for (int i = 1; i <= 6; ++i)
           e.optionFlags[i] = f.optionFlags[i];
         e.optionData = f.optionData;
         e.optionValues = f.optionValues;
       }},
      {24, "option flag 7",
       [](ObjectRecord& e, const ObjectRecord& f) { e.optionFlags[7] = f.optionFlags[7]; }},
  };
  return gates;
}

class ObjectVersionGates : public ::testing::TestWithParam<int32_t> {};

TEST_P(ObjectVersionGates, ReadsBackWhatTheVersionStoresAndDefaultsTheRest) {
  const int32_t v = GetParam();
  test::RecordingDialogs dialogs;
  LoadContext ctx(dialogs);
  const ObjectRecord fresh = ObjectRecord::Fresh();
  // Kind 16 (the GIF block) has no conversions; kind 2 not extended has no scripts 1 to 3.
  ObjectRecord plain = RichObject(2, false);
  plain.scripts[1] = test::Script("not stored");
  for (const ObjectRecord& written : {RichObject(kObjAnimatedGif, true), plain}) {
    ObjectRecord expected = written;
    for (const Gate& gate : Gates()) {
      if (v < gate.since)
        gate.lacks(expected, fresh);
    }
    if (!written.extended) {
      for (int i = 1; i <= 3; ++i)
        expected.scripts[i] = fresh.scripts[i];
    }
    EXPECT_EQ(RoundTrip(written, v, ctx), expected) << "kind " << written.typeCode;
  }
  EXPECT_TRUE(dialogs.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(AllVersions, ObjectVersionGates, ::testing::Range(2, 30));

TEST(ObjectRecordBytes, TypeFieldMarksExtendedRecords) {
  // Five empty strings and value 0, then the type field: -1 then 2 is an extended Rectangle.
  for (bool extended : {true, false}) {
    ObjectRecord o = ObjectRecord::Fresh();
    o.typeCode = kObjRectangle;
    o.extended = extended;
    ArchiveWriter writer;
    WriteObjectRecord(writer, o, 29);
    const auto& b = writer.Bytes();
    const std::vector<uint8_t> type(b.begin() + 9, b.begin() + 13);
    const std::vector<uint8_t> marked = {0xFF, 0xFF, 0xFF, 0xFF};
    const std::vector<uint8_t> plain = {2, 0, 0, 0};
    EXPECT_EQ(type, extended ? marked : plain);
    test::RecordingDialogs dialogs;
    LoadContext ctx(dialogs);
    ObjectRecord back = RoundTrip(o, 29, ctx);
    EXPECT_EQ(back.typeCode, kObjRectangle);
    EXPECT_EQ(back.extended, extended);
  }
}

TEST(ObjectRecordBytes, EmptyScriptBodyIsEightBytes) {
  ArchiveWriter writer;
  WriteScriptBody(writer, ScriptBody{});
  EXPECT_EQ(writer.Bytes(), (std::vector<uint8_t>{0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
  // A negative count reads as no statements and the trailer still follows.
  const std::vector<uint8_t> negative = {0xFE, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
  ArchiveReader reader(negative);
  test::RecordingDialogs dialogs;
  LoadContext ctx(dialogs);
  EXPECT_TRUE(ReadScriptBody(reader, ctx).Empty());
  EXPECT_EQ(reader.Remaining(), 0u);
}

TEST(ObjectFontDefaults, ComeFromTheProfileAndLongFaceNamesAreIgnored) {
  test::MapProfile profile;
  profile.entries = {{"Font/Height", "-11"},
                     {"Font/Weight", "700"},
                     {"Font/Italic", "1"},
                     {"Font/Name", "Verdana"}};
  test::RecordingDialogs dialogs;
  LoadContext ctx(dialogs);
  ctx.profile = &profile;
  const ObjectRecord fresh = ObjectRecord::Fresh(&profile);
  EXPECT_EQ(fresh.font.height, -11);
  EXPECT_EQ(fresh.font.weight, 700);
  EXPECT_EQ(fresh.font.italic, 1);
  EXPECT_EQ(fresh.font.width, 0);
  EXPECT_EQ(fresh.font.faceName, "Verdana");

  ObjectRecord o = RichObject(1);
  o.font.faceName = std::string(31, 'a');
  EXPECT_EQ(RoundTrip(o, 29, ctx).font.faceName, std::string(31, 'a'));
  o.font.faceName = std::string(32, 'b');
  const ObjectRecord back = RoundTrip(o, 29, ctx);
  EXPECT_EQ(back.font.faceName, "Verdana");
  EXPECT_EQ(back.font.height, -13);  // the rest of the stored font still counts
}

struct ConversionCase {
  const char* what;
  int32_t code;
  int32_t version;
  std::function<void(const ObjectRecord& written, const ObjectRecord& read)> check;
};

TEST(ObjectConversions, OlderFilesAreConverted) {
  const std::vector<ConversionCase> cases = {
      {"video before 22", kObjVideo, 21,
       [](const ObjectRecord& w, const ObjectRecord& r) {
         EXPECT_EQ(r.values[18], w.values[4]);
         EXPECT_EQ(r.values[17], w.values[2]);
         EXPECT_EQ(r.values[16], w.values[1]);
         EXPECT_EQ(r.values[1], 0u);
         EXPECT_EQ(r.ratio, 1.0);
         EXPECT_EQ(r.values[14], w.values[19]);
         EXPECT_EQ(r.values[19], 1u);  // state image 3 present (and then the v < 27 rule)
         EXPECT_EQ(r.scripts[4], w.scripts[2]);
         EXPECT_TRUE(r.scripts[2].Empty());
       }},
      {"video before 23: 8-bit mask in state image 3 widened and inverted", kObjVideo, 22,
       [](const ObjectRecord& w, const ObjectRecord& r) {
         const auto& in = w.stateImages[3].Image().pixels;
         const auto& out = r.stateImages[3].Image().pixels;
         ASSERT_EQ(out.size(), in.size());
         for (size_t px = 0; px < 4; ++px) {
           for (int k = 0; k < 3; ++k)
             EXPECT_EQ(out[3 * px + k], 255 - in[px]) << px;
         }
         EXPECT_EQ(r.mask.Image(), r.stateImages[3].Image());  // v < 27 copies it
       }},
      {"video before 27: mask copied from state image 3", kObjVideo, 26,
       [](const ObjectRecord& w, const ObjectRecord& r) {
         EXPECT_EQ(r.mask.Image(), w.stateImages[3].Image());
         EXPECT_EQ(r.values[19], 1u);
       }},
      {"video at 27 keeps its mask", kObjVideo, 27,
       [](const ObjectRecord& w, const ObjectRecord& r) {
         EXPECT_EQ(r.mask, w.mask);
         EXPECT_EQ(r.values[19], w.values[19]);
       }},
      {"image object before 21: mask from state image 3", kObjImage, 20,
       [](const ObjectRecord& w, const ObjectRecord& r) {
         EXPECT_EQ(r.mask.Image(), w.stateImages[3].Image());
       }},
      {"text button before 24", kObjTextButton, 23,
       [](const ObjectRecord&, const ObjectRecord& r) {
         EXPECT_EQ(r.colours[3], 0x800000u);
         EXPECT_EQ(r.values[20], 0xFFFFFFu);
       }},
      {"list box before 25", kObjListBox, 24,
       [](const ObjectRecord&, const ObjectRecord& r) { EXPECT_EQ(r.values[18], 1u); }},
      {"line before 25: shrinks by 4, then grows by 1", kObjLine, 24,
       [](const ObjectRecord&, const ObjectRecord& r) {
         EXPECT_EQ(r.rect, (IntRect{14, 24, 107, 217}));
       }},
      {"line at 25: grows by 1", kObjLine, 25,
       [](const ObjectRecord&, const ObjectRecord& r) {
         EXPECT_EQ(r.rect, (IntRect{10, 20, 111, 221}));
       }},
      {"line at 26: as stored", kObjLine, 26,
       [](const ObjectRecord& w, const ObjectRecord& r) { EXPECT_EQ(r.rect, w.rect); }},
      {"input field before 28", kObjInputField, 27,
       [](const ObjectRecord&, const ObjectRecord& r) {
         EXPECT_FALSE(r.optionFlags[3]);
         EXPECT_TRUE(r.optionFlags[4]);
         EXPECT_EQ(r.values[1], 3u);
         EXPECT_EQ(r.colours[3], 0u);
         EXPECT_EQ(r.imageValues[3], 0u);
       }},
      {"input field at 28 as stored", kObjInputField, 28,
       [](const ObjectRecord& w, const ObjectRecord& r) { EXPECT_EQ(r, w); }},
  };
  for (const ConversionCase& c : cases) {
    SCOPED_TRACE(c.what);
    ObjectRecord o = RichObject(c.code);
    o.optionFlags[4] = false;
    test::RecordingDialogs dialogs;
    LoadContext ctx(dialogs);
    c.check(o, RoundTrip(o, c.version, ctx));
  }
}

}  // namespace
}  // namespace qlm
