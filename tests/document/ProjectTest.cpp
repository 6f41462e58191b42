#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "DocumentFixtures.h"
#include "document/ArchiveWriter.h"
#include "document/CompressedBlock.h"
#include "document/DocumentMessages.h"
#include "document/Inflate.h"
#include "document/LoadContext.h"
#include "document/PagePictures.h"
#include "document/ProjectReader.h"
#include "document/ProjectWriter.h"
#include "graphics/ImageCodec.h"
#include "support/ProjectFiles.h"
#include "support/RecordingDialogs.h"

namespace qlm {
namespace {

using Texts = std::vector<std::string>;

struct Loader {
  test::RecordingDialogs dialogs;
  LoadContext ctx{dialogs};
  Loader() { ctx.sourceName = "show.qmd"; }

  LoadResult Load(const std::vector<uint8_t>& bytes, const ProjectSettings& previous = {}) {
    return LoadProjectFromMemory(bytes, ctx, previous);
  }
};

// The PNG written for an Encoded page image without a stored file is only known after writing.
void AdoptEncodedFiles(Project& expected, const Project& read) {
  for (size_t i = 0; i < expected.pages.size() && i < read.pages.size(); ++i) {
    if (expected.pages[i].image.form == ImageForm::Encoded) {
      expected.pages[i].image.encoded = read.pages[i].image.encoded;
    }
  }
}

TEST(ProjectRoundTrip, EveryRecordSurvivesWithAndWithoutTheSecureLayer) {
  const Project written = test::RichProject();
  for (SecureLayer secure : {SecureLayer::None, SecureLayer::Stored, SecureLayer::Packed}) {
    Loader l;
    const std::vector<uint8_t> bytes = WriteProject(written, 29, secure);
    LoadResult r = l.Load(bytes);
    ASSERT_EQ(r.status, LoadStatus::Loaded) << static_cast<int>(secure);
    // Written again, what was read is the same document byte for byte.
    EXPECT_EQ(WriteProject(r.project, 29, secure), bytes) << static_cast<int>(secure);
    Project expected = written;
    AdoptEncodedFiles(expected, r.project);
    EXPECT_FALSE(r.project.pages[3].image.encoded.empty());
    EXPECT_EQ(r.project.pages[3].image.image, written.pages[3].image.image);
    EXPECT_TRUE(r.project == expected) << static_cast<int>(secure);
    EXPECT_TRUE(l.dialogs.boxes.empty());
    EXPECT_EQ(l.ctx.version, 29);
  }
}

TEST(ProjectRoundTrip, FileAndMemoryReadTheSame) {
  const Project written = test::RichProject();
  const auto path = std::filesystem::temp_directory_path() /
                    ("qlm_project_" + std::to_string(::getpid()) + ".qmd");
  ASSERT_TRUE(test::WriteProjectFile(path, written, 29, SecureLayer::None));
  Loader fromFile, fromMemory;
  fromFile.ctx.sourceName.clear();
  LoadResult a = test::LoadProjectFile(path, fromFile.ctx);
  LoadResult b = fromMemory.Load(WriteProject(written, 29));
  ASSERT_TRUE(a.Ok());
  EXPECT_TRUE(a.project == b.project);
  std::filesystem::remove(path);

  LoadResult missing = test::LoadProjectFile(path, fromFile.ctx);
  EXPECT_EQ(missing.status, LoadStatus::CannotOpen);
  EXPECT_EQ(fromFile.dialogs.Texts(), Texts{"Cannot find the file\n" + path.string()});
  fromFile.ctx.quietOpen = true;
  EXPECT_EQ(test::LoadProjectFile(path, fromFile.ctx).status, LoadStatus::CannotOpen);
  EXPECT_EQ(fromFile.dialogs.boxes.size(), 1u);
}

// Every picture of the project's pages and masters, in a fixed order.
std::vector<const StoredImage*> AllPictures(const Project& project) {
  std::vector<const StoredImage*> out;
  auto collect = [&out](const PageRecord& page) {
    VisitPagePictures(page, [&out](const StoredImage& image) {
      out.push_back(&image);
      return true;
    });
  };
  for (const PageRecord& page : project.pages)
    collect(page);
  collect(project.masterPage);
  collect(project.masterLayer);
  return out;
}

TEST(ProjectRoundTrip, PicturesKeptPackedShowAndWriteWhatDecodedOnesDo) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("qlm_packed_" + std::to_string(::getpid()) + ".qmd");
  // Version 22 widens the 8-bit masks of videos, which needs their pixels while reading.
  for (const int32_t version : {29, 22}) {
    for (const SecureLayer secure : {SecureLayer::None, SecureLayer::Packed}) {
      SCOPED_TRACE(std::to_string(version) + " " + std::to_string(static_cast<int>(secure)));
      const std::vector<uint8_t> bytes = WriteProject(test::RichProject(), version, secure);
      ASSERT_TRUE(test::WriteProjectFile(path, test::RichProject(), version, secure));
      Loader decoded, packed;
      packed.ctx.pictures = std::make_shared<PictureStore>();
      const LoadResult a = decoded.Load(bytes);
      const LoadResult b = test::LoadProjectFile(path, packed.ctx);
      ASSERT_TRUE(a.Ok() && b.Ok());
      std::filesystem::remove(path);  // the mapping outlives the name
      EXPECT_EQ(packed.ctx.pictures->HeldBytes(), 0u);
      const std::vector<const StoredImage*> want = AllPictures(a.project);
      const std::vector<const StoredImage*> got = AllPictures(b.project);
      ASSERT_EQ(got.size(), want.size());
      size_t stillPacked = 0;
      for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i]->Pixels(), want[i]->Pixels()) << i;
        stillPacked += got[i]->packed ? 1 : 0;
      }
      EXPECT_GT(stillPacked, want.size() / 2);
      // Reading version 22 widens masks, so only the current version comes back byte for byte.
      const std::vector<uint8_t> back = WriteProject(b.project, version, secure);
      EXPECT_EQ(back, WriteProject(a.project, version, secure));
      if (version == 29) {
        EXPECT_EQ(back, bytes);
      }
      EXPECT_TRUE(packed.dialogs.boxes.empty());
    }
  }
}

ProjectSettings PreviousSettings() {
  ProjectSettings s;
  s.dragWindow = 1;
  s.backdropColour = 0x999999;
  s.backdropImage.image = test::Gradient(1, 1);
  s.windowMode = 0;
  s.onDesktop = true;
  s.backdropExtra = 44;
  s.title = "Old";
  s.rememberPosition = 0;
  s.profileSection = "Prev";
  s.keepRect = 1;
  s.changeResolution = 0;
  s.alwaysChange = true;
  s.resolutionIndex = 1;
  s.processPriority = 0;
  s.allowMinimize = 1;
  s.flashOption = 0;
  s.flashExtra = 3;
  return s;
}

struct SettingsGate {
  int32_t since;
  std::function<void(ProjectSettings& e, const ProjectSettings& prev)> lacks;
};

class SettingsVersionGates : public ::testing::TestWithParam<int32_t> {};

TEST_P(SettingsVersionGates, LowerVersionsKeepThePreviousValues) {
  const int32_t v = GetParam();
  const std::vector<SettingsGate> gates = {
      {8,
       [](ProjectSettings& e, const ProjectSettings& p) {
         e.dragWindow = p.dragWindow;
         e.backdropImageMode = p.backdropImageMode;
         e.backdropEnabled = p.backdropEnabled;
         e.backdropColour = p.backdropColour;
         e.backdropWidth = p.backdropWidth;
         e.backdropHeight = p.backdropHeight;
         e.disableTaskSwitching = p.disableTaskSwitching;
         e.hasBackdropImage = p.hasBackdropImage;
         e.backdropImage = p.backdropImage;
         e.onDesktop = p.onDesktop;
       }},
      {10, [](ProjectSettings& e, const ProjectSettings& p) { e.backdropExtra = p.backdropExtra; }},
      {5,
       [](ProjectSettings& e, const ProjectSettings& p) {
         e.rememberPosition = p.rememberPosition;
         e.profileSection = p.profileSection;
       }},
      {9, [](ProjectSettings& e, const ProjectSettings& p) { e.keepRect = p.keepRect; }},
      {13,
       [](ProjectSettings& e, const ProjectSettings& p) {
         e.changeResolution = p.changeResolution;
         e.resolutionIndex = p.resolutionIndex;
         e.processPriority = p.processPriority;
       }},
      {18, [](ProjectSettings& e, const ProjectSettings& p) { e.allowMinimize = p.allowMinimize; }},
      {19,
       [](ProjectSettings& e, const ProjectSettings& p) {
         e.flashOption = p.flashOption;
         e.flashExtra = p.flashExtra;
       }},
  };
  Project project;
  project.settings = test::RichSettings();
  const ProjectSettings previous = PreviousSettings();
  ProjectSettings expected = project.settings;
  for (const SettingsGate& g : gates) {
    if (v < g.since)
      g.lacks(expected, previous);
  }
  // The window mode is stored in part A (8 on) and again in part B (5 on).
  if (v < 5 && v < 8)
    expected.windowMode = previous.windowMode;
  expected.alwaysChange = false;  // cleared by every load
  if (expected.windowMode != 0 || expected.showTitleBar != 0)
    expected.keepRect = 0;

  Loader l;
  LoadResult r = l.Load(WriteProject(project, v), previous);
  ASSERT_EQ(r.status, LoadStatus::Loaded);
  EXPECT_TRUE(r.project.settings == expected) << "version " << v;
  EXPECT_EQ(r.project.version, v);
  EXPECT_EQ(l.ctx.version, v);
}

INSTANTIATE_TEST_SUITE_P(AllVersions, SettingsVersionGates, ::testing::Range(2, 30));

struct PageGate {
  int32_t since;
  std::function<void(PageRecord& e)> lacks;
};

class PageVersionGates : public ::testing::TestWithParam<int32_t> {};

TEST_P(PageVersionGates, PagesMastersAndSoundsFollowTheirGates) {
  const int32_t v = GetParam();
  const std::vector<PageGate> gates = {
      {4, [](PageRecord& e) { e.enterScript = {}; }},
      {11,
       [](PageRecord& e) {
         e.dataSize1 = e.dataSize2 = e.pageValue8 = e.pageValue9 = 0;
         e.data = {};
       }},
      {19, [](PageRecord& e) { e.exitScript = {}; }},
  };
  Project project;
  project.pages = {test::RichPage("A", {}), test::RichPage("B", {})};
  project.pages[1].pageIndex = 0;
  project.masterPage = test::RichPage("Master Page 000", {});
  project.masterLayer = test::RichPage("Master Layer 000", {});
  project.sounds = {{3, {{1, 2, 3}, false}, "a.wav"}, {12, {{4, 5, 6, 7}, true}, "b.mid"}};

  Project expected = project;
  for (PageRecord* page :
       {&expected.pages[0], &expected.pages[1], &expected.masterPage, &expected.masterLayer}) {
    for (const PageGate& g : gates) {
      if (v < g.since)
        g.lacks(*page);
    }
  }
  if (v < 3) {
    expected.masterPage = Project{}.masterPage;
    expected.masterLayer = Project{}.masterLayer;
  }
  if (v < 7)
    expected.sounds.clear();
  if (v < 11) {
    for (EmbeddedSound& s : expected.sounds)
      s.data.packed = false;
  }
  expected.storedPageCount = 2;
  expected.version = v;

  Loader l;
  LoadResult r = l.Load(WriteProject(project, v));
  ASSERT_EQ(r.status, LoadStatus::Loaded);
  expected.settings = r.project.settings;
  EXPECT_TRUE(r.project == expected) << "version " << v;
  EXPECT_EQ(r.project.pages[1].pageIndex, 0u);
}

INSTANTIATE_TEST_SUITE_P(AllVersions, PageVersionGates, ::testing::Range(2, 30));

// Objects whose stored font face is unusable take the profile's font. A document of many
// objects reads the profile once, not once per object (each read of the settings file looks at
// the file again), and the next load sees what changed in the profile since.
TEST(ProjectRoundTrip, FreshObjectsTakeTheProfileFontReadOncePerLoad) {
  struct CountingProfile : test::MapProfile {
    mutable int reads = 0;
    int GetInt(const std::string& s, const std::string& e, int fallback) const override {
      ++reads;
      return MapProfile::GetInt(s, e, fallback);
    }
    std::string GetString(const std::string& s, const std::string& e,
                          const std::string& fallback) const override {
      ++reads;
      return MapProfile::GetString(s, e, fallback);
    }
  } profile;
  Project project;
  project.pages.resize(3);
  for (PageRecord& page : project.pages) {
    for (int i = 0; i < 100; ++i) {
      ObjectRecord o = test::RichObject(1);
      o.font.faceName = std::string(32, 'x');
      page.objects.push_back(o);
    }
  }
  const std::vector<uint8_t> bytes = WriteProject(project, 29);
  Loader l;
  l.ctx.profile = &profile;
  for (const char* face : {"Verdana", "Tahoma"}) {
    profile.entries["Font/Name"] = face;
    profile.reads = 0;
    const LoadResult r = l.Load(bytes);
    ASSERT_EQ(r.status, LoadStatus::Loaded);
    for (const PageRecord& page : r.project.pages) {
      for (const ObjectRecord& o : page.objects)
        ASSERT_EQ(o.font.faceName, face);
    }
    EXPECT_LE(profile.reads, 7);
    EXPECT_FALSE(l.ctx.profileFont.has_value());
  }
}

TEST(ProjectHeader, MagicStringGivesTheVersion) {
  struct Case {
    std::string magic;
    bool ok;
    int32_t version;
  };
  const std::vector<Case> cases = {
      {"Quillmark29", true, 29},        {"Quillmark", true, 0},    {"Quillmark 12", true, 12},
      {"QuillmarkQuillmark7", true, 7}, {"Quillmark-3", true, -3}, {"Quillmark12ab", true, 12},
      {"XQuillmark5", true, 0},         {"quillmark5", false, 0},  {"", false, 0},
  };
  for (const Case& c : cases) {
    int32_t v = 1234;
    EXPECT_EQ(ParseMagic(c.magic, v), c.ok) << c.magic;
    if (c.ok) {
      EXPECT_EQ(v, c.version) << c.magic;
    }
  }
}

TEST(ProjectHeader, OutcomesAndMessages) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    LoadStatus status;
    Texts messages;
  };
  auto magicOnly = [](const std::string& magic) {
    ArchiveWriter w;
    w.WriteString(magic);
    return w.Take();
  };
  auto secure = [](uint32_t unpacked) {
    ArchiveWriter w;
    w.WriteString("Quillmark29");
    w.WriteU32(1);
    w.WriteU32(unpacked);
    return w.Take();
  };
  const std::vector<Case> cases = {
      {"no magic word",
       magicOnly("Hello"),
       LoadStatus::NotQmd,
       {"The file show.qmd is not a QMD file!"}},
      {"unreadable first string",
       {0xFF, 0xFF, 0xFF, 9, 0, 0, 0},
       LoadStatus::NotQmd,
       {"The file show.qmd is not a QMD file!"}},
      {"empty file", {}, LoadStatus::NotQmd, {"The file show.qmd is not a QMD file!"}},
      {"version 0",
       magicOnly("Quillmark"),
       LoadStatus::VersionZero,
       {"This file is corrupted or it was created for new version of QLM player."}},
      {"secure size 0", secure(0), LoadStatus::NothingToLoad, {}},
      {"ends after the header",
       magicOnly("Quillmark29"),
       LoadStatus::Abandoned,
       {"The file show.qmd is damaged: it ends too early."}},
  };
  for (const Case& c : cases) {
    Loader l;
    l.ctx.version = 17;
    LoadResult r = l.Load(c.bytes);
    EXPECT_EQ(r.status, c.status) << c.what;
    EXPECT_EQ(r.LoadFailedFlag(), c.status == LoadStatus::NotQmd) << c.what;
    EXPECT_EQ(l.dialogs.Texts(), c.messages) << c.what;
    EXPECT_EQ(l.ctx.version, 17) << c.what << ": a failed load keeps the version";
    EXPECT_TRUE(r.project.pages.empty()) << c.what;
  }
}

TEST(ProjectHeader, Version12HasNoSecureFlagAndVersionsAbove29ReadAs29) {
  Project p;
  p.settings.dragWindow = 0xA1B2C3D4;
  const auto v12 = WriteProject(p, 12);
  ASSERT_EQ(v12[0], 11);
  EXPECT_EQ(std::vector<uint8_t>(v12.begin() + 12, v12.begin() + 16),
            (std::vector<uint8_t>{0xD4, 0xC3, 0xB2, 0xA1}));
  const auto v13 = WriteProject(p, 13);
  EXPECT_EQ(std::vector<uint8_t>(v13.begin() + 12, v13.begin() + 20),
            (std::vector<uint8_t>{0, 0, 0, 0, 0xD4, 0xC3, 0xB2, 0xA1}));

  auto v39 = WriteProject(test::RichProject(), 29);
  ASSERT_EQ(v39[10], '2');
  v39[10] = '3';  // "Quillmark39"
  Loader l;
  LoadResult r = l.Load(v39);
  ASSERT_TRUE(r.Ok());
  EXPECT_EQ(r.project.version, 39);
  EXPECT_EQ(r.project.pages.size(), 4u);
}

TEST(SecureLayer, InflateErrorIsReportedAndTheProducedBytesAreRead) {
  const std::vector<uint8_t> inner = WriteProject(test::RichProject(), 29);
  const std::vector<uint8_t> packed = DeflateZlib(inner);
  ArchiveWriter w;
  w.WriteString("Quillmark29");
  w.WriteU32(1);
  w.WriteU32(static_cast<uint32_t>(inner.size() + 100));  // claims more than the stream holds
  w.WriteU32(static_cast<uint32_t>(packed.size()));
  w.WriteBytes(packed);
  Loader l;
  LoadResult r = l.Load(w.Bytes());
  EXPECT_EQ(r.status, LoadStatus::Loaded);
  EXPECT_EQ(l.dialogs.Texts(), Texts{"Uncompression failed (Secure layer)"});
  EXPECT_EQ(r.project.pages.size(), 4u);

  // A stream cut in half: the message, then the inner archive ends early.
  ArchiveWriter cut;
  cut.WriteString("Quillmark29");
  cut.WriteU32(1);
  cut.WriteU32(static_cast<uint32_t>(inner.size()));
  cut.WriteU32(static_cast<uint32_t>(packed.size() / 2));
  cut.WriteBytes(std::span(packed).first(packed.size() / 2));
  Loader l2;
  EXPECT_EQ(l2.Load(cut.Bytes()).status, LoadStatus::Abandoned);
  EXPECT_EQ(l2.dialogs.Texts(), (Texts{"Uncompression failed (Secure layer)",
                                       "The file show.qmd is damaged: it ends too early."}));
}

TEST(SecureLayer, InnerArchiveCarriesItsOwnVersionAndNestingIsBounded) {
  Project p = test::RichProject();
  // A version-29 wrapper around a version-13 project: the inner gates apply.
  std::vector<uint8_t> inner = WriteProject(p, 13);
  ArchiveWriter w;
  w.WriteString("Quillmark29");
  w.WriteU32(1);
  WriteCompressedBlock(w, inner, true);
  Loader l;
  LoadResult r = l.Load(w.Bytes());
  ASSERT_TRUE(r.Ok());
  EXPECT_EQ(r.project.version, 13);
  EXPECT_TRUE(r.project.pages[0].exitScript.Empty());

  std::vector<uint8_t> nested = WriteProject(p, 29, SecureLayer::Packed);
  for (int depth = 0; depth < 5; ++depth) {
    ArchiveWriter outer;
    outer.WriteString("Quillmark29");
    outer.WriteU32(1);
    WriteCompressedBlock(outer, nested, depth % 2 == 0);
    nested = outer.Take();
  }
  Loader deep;
  EXPECT_EQ(deep.Load(nested).status, LoadStatus::Abandoned);
  EXPECT_EQ(deep.dialogs.Texts(), Texts{"The file show.qmd is damaged and cannot be loaded."});
}

TEST(ProjectSettingsRules, WindowModeResolutionKeepRectAndProfileSection) {
  struct Case {
    const char* what;
    std::function<void(ProjectSettings&)> set;
    std::function<void(const ProjectSettings&)> check;
  };
  const std::vector<Case> cases = {
      {"mode 2 in part A and again in part B", [](ProjectSettings& s) { s.windowMode = 2; },
       [](const ProjectSettings& s) {
         EXPECT_TRUE(s.onDesktop);
         EXPECT_EQ(s.windowMode, 2u);
       }},
      {"on-desktop flag with mode 0 in part B", [](ProjectSettings& s) { s.onDesktop = true; },
       [](const ProjectSettings& s) {
         EXPECT_TRUE(s.onDesktop);
         EXPECT_EQ(s.windowMode, 0u);
       }},
      {"backdrop clears the on-desktop flag",
       [](ProjectSettings& s) {
         s.onDesktop = true;
         s.backdropEnabled = 1;
       },
       [](const ProjectSettings& s) { EXPECT_FALSE(s.onDesktop); }},
      {"change resolution above 1", [](ProjectSettings& s) { s.changeResolution = 7; },
       [](const ProjectSettings& s) {
         EXPECT_EQ(s.changeResolution, 1u);
         EXPECT_TRUE(s.alwaysChange);
       }},
      {"keep-rect kept without title bar in mode 0",
       [](ProjectSettings& s) {
         s.showTitleBar = 0;
         s.keepRect = 5;
       },
       [](const ProjectSettings& s) { EXPECT_EQ(s.keepRect, 5u); }},
      {"keep-rect cleared with a title bar",
       [](ProjectSettings& s) {
         s.showTitleBar = 1;
         s.keepRect = 5;
       },
       [](const ProjectSettings& s) { EXPECT_EQ(s.keepRect, 0u); }},
      {"empty profile section", [](ProjectSettings& s) { s.profileSection.clear(); },
       [](const ProjectSettings& s) { EXPECT_EQ(s.profileSection, "QLM"); }},
  };
  for (const Case& c : cases) {
    Project p;
    c.set(p.settings);
    Loader l;
    LoadResult r = l.Load(WriteProject(p, 29));
    ASSERT_TRUE(r.Ok()) << c.what;
    SCOPED_TRACE(c.what);
    c.check(r.project.settings);
  }
}

TEST(ProjectSettingsRules, BackdropImageRawOrJpeg) {
  Project p;
  p.settings = test::RichSettings();
  Loader l;
  LoadResult raw = l.Load(WriteProject(p, 29));
  ASSERT_TRUE(raw.Ok());
  EXPECT_EQ(raw.project.settings.backdropImage.image, test::Gradient(3, 2, 5));

  p.settings.backdropImage.form = ImageForm::Encoded;
  p.settings.backdropImage.encoded = EncodeJpeg(test::Gradient(16, 8));
  LoadResult jpeg = l.Load(WriteProject(p, 29));
  ASSERT_TRUE(jpeg.Ok());
  EXPECT_EQ(jpeg.project.settings.backdropWidth, 16u);  // taken from the file
  EXPECT_EQ(jpeg.project.settings.backdropHeight, 8u);
  EXPECT_EQ(jpeg.project.settings.backdropImage.image.pixels.size(), 16u * 8 * 3);

  // No image block unless the backdrop is enabled.
  p.settings.backdropEnabled = 0;
  LoadResult off = l.Load(WriteProject(p, 29));
  ASSERT_TRUE(off.Ok());
  EXPECT_TRUE(off.project.settings.backdropImage.image.Empty());
  EXPECT_TRUE(l.dialogs.boxes.empty());
}

}  // namespace
}  // namespace qlm

namespace qlm {
namespace {

TEST(CompressedBlocks, LayoutAndInflateFailuresNameTheBlock) {
  // N = 0 has no K field; K = 0 means stored.
  ArchiveWriter w;
  WriteCompressedBlock(w, std::vector<uint8_t>{}, true);
  WriteCompressedBlock(w, std::vector<uint8_t>{7, 8}, false);
  EXPECT_EQ(w.Bytes(), (std::vector<uint8_t>{0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 7, 8}));

  Project p;
  p.pages.push_back(test::RichPage("P", {}));
  p.pages[0].image.form = ImageForm::Raw;
  const std::vector<uint8_t> pageData(300, 0x5A);
  const std::vector<uint8_t> sound(300, 0xA5);
  p.pages[0].data = {pageData, true};
  p.sounds.push_back({11, {sound, true}, "s.wav"});
  const std::vector<uint8_t> document = WriteProject(p, 29);

  struct Case {
    const std::vector<uint8_t>* payload;
    const char* message;
  };
  for (const Case& c : {Case{&pageData, "Uncompression failed (2)"},
                        Case{&sound, "Uncompression failed (Embedded Sound)"}}) {
    const std::vector<uint8_t> stream = DeflateZlib(*c.payload);
    std::vector<uint8_t> damaged = document;
    auto at = std::search(damaged.begin(), damaged.end(), stream.begin(), stream.end());
    ASSERT_NE(at, damaged.end());
    at[stream.size() - 1] ^= 0xFF;  // the checksum: every byte is produced, the stream fails
    Loader l;
    LoadResult r = l.Load(damaged);
    ASSERT_TRUE(r.Ok()) << c.message;
    EXPECT_EQ(l.dialogs.Texts(), Texts{c.message});
    EXPECT_EQ(r.project.pages[0].data.bytes, pageData);
    EXPECT_EQ(r.project.sounds[0].data.bytes, sound);
  }
}

}  // namespace
}  // namespace qlm
