#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "DocumentFixtures.h"
#include "document/LoadContext.h"
#include "document/ProjectReader.h"
#include "document/ProjectWriter.h"
#include "graphics/ImageCodec.h"
#include "support/RecordingDialogs.h"

namespace qlm {
namespace {

ObjectRecord LightObject(int32_t code) {
  ObjectRecord o = test::RichObject(code, code % 2 == 0);
  o.noImages = 1;  // an alias object: no image block
  for (ScriptBody& script : o.scripts) {
    if (script.statements.size() > 1)
      script.statements.resize(1);
  }
  return o;
}

// Every kind of record, kept small so that every truncation point can be tried: all object
// kinds, object images of every method and form, page images of every form, a JPEG backdrop,
// scripts, sounds packed and stored, mask and polygon.
Project EveryRecordProject() {
  Project p;
  p.settings = test::RichSettings();
  p.settings.backdropImage.form = ImageForm::Encoded;
  p.settings.backdropImage.encoded = EncodeJpeg(test::Gradient(8, 8));

  PageRecord first = test::RichPage("First", {});
  for (int32_t code = 1; code <= 30; ++code)
    first.objects.push_back(LightObject(code));
  ObjectRecord& image = first.objects[kObjImage - 1];
  image = test::RichObject(kObjImage);  // raw, method 0 zlib, method 2; mask method 0 stored
  ObjectRecord& video = first.objects[kObjVideo - 1];
  video = test::RichObject(kObjVideo);
  video.stateImages[1] = test::MarkedImage(1, ImageForm::Raw, 3, 3, 7);
  video.stateImages[2] = test::MarkedImage(1, ImageForm::Encoded, 8, 8, 8);
  video.stateImages[2].stored.data.encoded = EncodeJpeg(video.stateImages[2].Image());
  video.mask = test::MarkedImage(0, ImageForm::Zlib, 2, 3, 9);
  first.objects[kObjAnimatedGif - 1] = test::RichObject(kObjAnimatedGif);
  p.pages.push_back(std::move(first));

  const ImageForm forms[] = {ImageForm::Raw, ImageForm::Packed, ImageForm::Encoded};
  for (ImageForm form : forms) {
    PageRecord page = test::RichPage("Form " + std::to_string(int(form)), {});
    page.image.form = form;
    page.data.packed = form == ImageForm::Packed;
    p.pages.push_back(std::move(page));
  }
  p.storedPageCount = static_cast<uint32_t>(p.pages.size());
  p.shapePolygon = {{0, 0}, {100, 0}, {50, 80}};
  p.masterPage = test::RichPage("Master Page 000", {});
  p.masterPage.objects.push_back(LightObject(kObjScript));
  p.masterLayer = test::RichPage("Master Layer 000", {});
  p.masterLayer.objects.push_back(LightObject(kObjText));
  p.hasMask = 1;
  p.maskWidth = 4;
  p.maskHeight = 2;
  p.mask = {255, 250, 249, 0, 1, 2, 3, 4};
  p.sounds.push_back({1, {{'R', 'I', 'F', 'F'}, true}, "click"});
  p.sounds.push_back({10, {{'M', 'T', 'h', 'd', 0, 0}, false}, "music.mid"});
  return p;
}

struct Fixture {
  const char* name;
  std::vector<uint8_t> bytes;
};

std::vector<Fixture> Fixtures() {
  const Project p = EveryRecordProject();
  return {
      {"version 29", WriteProject(p, 29)},
      {"version 29, packed secure layer", WriteProject(p, 29, SecureLayer::Packed)},
      {"version 13, stored secure layer", WriteProject(p, 13, SecureLayer::Stored)},
      {"version 21 with old-file conversions", WriteProject(p, 21)},
  };
}

// A load of damaged bytes: never a crash; a failed load hands back nothing and keeps the
// context's version; at most the messages of one image and the final one.
LoadStatus LoadDamaged(const std::vector<uint8_t>& bytes, size_t* messages = nullptr) {
  test::RecordingDialogs dialogs;
  LoadContext ctx(dialogs);
  ctx.sourceName = "damaged.qmd";
  ctx.version = 5;
  LoadResult r = LoadProjectFromMemory(bytes, ctx);
  if (!r.Ok()) {
    EXPECT_TRUE(r.project.pages.empty());
    EXPECT_EQ(ctx.version, 5);
    EXPECT_FALSE(dialogs.boxes.empty() && r.status != LoadStatus::NothingToLoad);
  }
  if (messages != nullptr)
    *messages = dialogs.boxes.size();
  return r.status;
}

TEST(DamagedDocuments, EveryTruncationIsRefusedWithAMessage) {
  for (const Fixture& f : Fixtures()) {
    SCOPED_TRACE(f.name);
    ASSERT_EQ(LoadDamaged(f.bytes), LoadStatus::Loaded);
    for (size_t n = 0; n < f.bytes.size(); ++n) {
      const std::vector<uint8_t> cut(f.bytes.begin(), f.bytes.begin() + n);
      size_t messages = 0;
      const LoadStatus status = LoadDamaged(cut, &messages);
      ASSERT_TRUE(status == LoadStatus::Abandoned || status == LoadStatus::NotQmd ||
                  (status == LoadStatus::VersionZero && n <= 11))
          << "cut at " << n << " status " << static_cast<int>(status);
      ASSERT_LE(messages, 2u) << "cut at " << n;
    }
  }
}

TEST(DamagedDocuments, RandomByteChangesNeverCrash) {
  const std::vector<Fixture> fixtures = Fixtures();
  std::mt19937 rng(20240611);
  int loaded = 0;
  for (int round = 0; round < 3000; ++round) {
    const Fixture& f = fixtures[round % fixtures.size()];
    std::vector<uint8_t> bytes = f.bytes;
    const int changes = 1 + static_cast<int>(rng() % 6);
    for (int i = 0; i < changes; ++i) {
      const size_t at = rng() % bytes.size();
      // Half of the changes hit a byte with a size-like value, the rest are arbitrary.
      bytes[at] =
          (rng() % 2) ? static_cast<uint8_t>(0xFF - rng() % 3) : static_cast<uint8_t>(rng());
    }
    if (LoadDamaged(bytes) == LoadStatus::Loaded)
      ++loaded;
  }
  // Most changes land in pixels and texts, which load; the rest must fail cleanly.
  EXPECT_GT(loaded, 0);
  EXPECT_LT(loaded, 3000);
}

TEST(DamagedDocuments, HugeCountsAndLengthsAnywhereFailFast) {
  // Every 4-byte window set to 0xFFFFFFFF: each count, length and size field in turn claims
  // 4 GB. Nothing may reserve it.
  const std::vector<uint8_t> base = Fixtures()[0].bytes;
  for (size_t at = 0; at + 4 <= base.size(); ++at) {
    std::vector<uint8_t> bytes = base;
    for (size_t i = 0; i < 4; ++i)
      bytes[at + i] = 0xFF;
    LoadDamaged(bytes);
  }
}

}  // namespace
}  // namespace qlm
