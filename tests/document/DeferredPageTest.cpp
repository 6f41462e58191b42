#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "DocumentFixtures.h"
#include "document/DeferredPage.h"
#include "document/Inflate.h"
#include "document/LoadContext.h"
#include "document/PageManager.h"
#include "document/ProjectReader.h"
#include "document/ProjectWriter.h"
#include "support/ProjectFiles.h"
#include "support/RecordingDialogs.h"

namespace qlm {
namespace {

using Texts = std::vector<std::string>;

// Reads a document as the player does (pictures packed, later pages deferred) or as the tools
// do (everything at once).
struct Reader {
  explicit Reader(bool defer) {
    ctx.sourceName = "show.qmd";
    ctx.pictures = std::make_shared<PictureStore>();
    ctx.deferPages = defer;
  }
  LoadResult Load(const std::vector<uint8_t>& bytes) {
    return LoadProjectFromMemory(SharedBytes::Adopt(bytes), ctx);
  }

  test::RecordingDialogs dialogs;
  LoadContext ctx{dialogs};
};

// The last place the pattern stands.
std::vector<uint8_t>::iterator FindLast(std::vector<uint8_t>& bytes,
                                        const std::vector<uint8_t>& pattern) {
  return std::find_end(bytes.begin(), bytes.end(), pattern.begin(), pattern.end());
}

TEST(DeferredPages, LaterPagesAreReadWhenNeededAsTheyWouldHaveBeenAtOpening) {
  for (const int32_t version : {29, 22, 11, 4}) {
    for (const SecureLayer secure : {SecureLayer::None, SecureLayer::Packed}) {
      if (version < 13 && secure != SecureLayer::None)
        continue;  // no secure layer before version 13
      SCOPED_TRACE(std::to_string(version) + " " + std::to_string(static_cast<int>(secure)));
      const std::vector<uint8_t> bytes = WriteProject(test::RichProject(), version, secure);
      Reader eager(false), deferred(true);
      LoadResult a = eager.Load(bytes);
      LoadResult b = deferred.Load(bytes);
      ASSERT_TRUE(a.Ok() && b.Ok());
      const std::vector<uint8_t> expected = WriteProject(a.project, version, secure);
      ASSERT_EQ(b.project.pages.size(), 4u);
      EXPECT_FALSE(b.project.pages[0].deferred);
      for (size_t i = 1; i < 4; ++i) {
        EXPECT_TRUE(b.project.pages[i].deferred) << i;
        EXPECT_EQ(b.project.pages[i].name, a.project.pages[i].name);
      }
      // Pages not read yet are written as they are stored.
      if (version == 29) {
        EXPECT_EQ(WriteProject(b.project, version, secure), bytes);
      }

      // Each way of reaching a page reads it, and only it.
      CPageManager pages(std::move(b.project));
      pages.SetDialogs(&deferred.dialogs);
      ASSERT_TRUE(pages.GoToPage(CPageManager::kNext));
      EXPECT_FALSE(pages.Pages()[1].deferred);
      EXPECT_EQ(pages.Pages()[1].objects.size(), 3u);
      EXPECT_TRUE(pages.Pages()[2].deferred);
      EXPECT_EQ(pages.FindPageIgnoreCase("THIRD"), &pages.Pages()[2]);
      EXPECT_FALSE(pages.Pages()[2].deferred);
      EXPECT_TRUE(pages.Pages()[3].deferred);
      const std::string name = a.project.pages[3].objects[0].name;
      const ObjectRecord* found = pages.FindObjectByQualifiedName("fourth::" + name);
      ASSERT_EQ(pages.Pages()[3].objects.size(), 1u);
      EXPECT_EQ(found, &pages.Pages()[3].objects[0]);
      EXPECT_EQ(WriteProject(pages.GetProject(), version, secure), expected);
      EXPECT_EQ(deferred.dialogs.Texts(), eager.dialogs.Texts());
    }
  }
}

// Three plain pages; the last one holds a raw 5 x 4 background and no objects.
std::vector<uint8_t> ThreePages() {
  Project p;
  for (const char* name : {"One", "Two", "Three"}) {
    PageRecord page = test::RichPage(name, {1, 5});
    page.image.form = ImageForm::Zlib;
    p.pages.push_back(std::move(page));
  }
  p.pages[2] = test::RichPage("Three", {});
  p.pages[2].image.form = ImageForm::Raw;
  p.pages[2].data = {std::vector<uint8_t>(300, 0x5A), true};
  p.storedPageCount = 3;
  return WriteProject(p, 29);
}

TEST(DeferredPages, DamageThatAbandonsALoadIsFoundAtOpening) {
  struct Case {
    const char* what;
    std::vector<uint8_t> pattern;  // found in the last page's record
    size_t at;                     // the byte changed
    uint8_t value;
    LoadStatus status;
  } cases[] = {
      // Its raw background claims 5 x 0x7F000004 pixels.
      {"raw background too large", {5, 0, 0, 0, 4, 0, 0, 0}, 7, 0x7F, LoadStatus::Abandoned},
      // Colour, tile flag, page value 3, then an object count the file cannot hold.
      {"object count",
       {0x56, 0x34, 0x12, 0, 1, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0},
       15,
       0x10,
       LoadStatus::Abandoned},
      // The page data's stream fails its checksum: a message, and the load goes on.
      {"page data", DeflateZlib(std::vector<uint8_t>(300, 0x5A)), 0, 0, LoadStatus::Loaded},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> bytes = ThreePages();
    auto found = FindLast(bytes, c.pattern);
    ASSERT_NE(found, bytes.end());
    if (c.status == LoadStatus::Loaded)
      found[c.pattern.size() - 1] ^= 0xFF;
    else
      found[c.at] = c.value;
    Reader eager(false), deferred(true);
    LoadResult a = eager.Load(bytes);
    LoadResult b = deferred.Load(bytes);
    EXPECT_EQ(a.status, c.status);
    EXPECT_EQ(b.status, c.status);
    if (c.status != LoadStatus::Loaded) {
      EXPECT_EQ(deferred.dialogs.Texts(), eager.dialogs.Texts());
      continue;
    }
    // A message that does not stop the load comes when the page is read.
    EXPECT_EQ(eager.dialogs.Texts(), Texts{"Uncompression failed (2)"});
    EXPECT_TRUE(deferred.dialogs.Texts().empty());
    CPageManager pages(std::move(b.project));
    pages.SetDialogs(&deferred.dialogs);
    pages.ReadPage(2);
    EXPECT_EQ(deferred.dialogs.Texts(), eager.dialogs.Texts());
    EXPECT_EQ(pages.Pages()[2].data.bytes, a.project.pages[2].data.bytes);
  }
}

// A document mapped from its file and cut short afterwards: nothing reads past the end (which
// would raise SIGBUS); the pages and pictures beyond it come out empty, with a message.
TEST(DeferredPages, AFileCutShortAfterOpeningGivesEmptyPagesAndPictures) {
  const auto path =
      std::filesystem::temp_directory_path() / ("qlm_cut_" + std::to_string(::getpid()) + ".qmd");
  const std::vector<uint8_t> bytes = ThreePages();
  ASSERT_TRUE(WriteFileAtomically(
      path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
  Reader deferred(true);
  LoadResult r = test::LoadProjectFile(path, deferred.ctx);
  ASSERT_TRUE(r.Ok());
  ASSERT_TRUE(r.project.pages[0].image.packed);
  std::filesystem::resize_file(path, 16);
  std::filesystem::remove(path);

  deferred.ctx.pictures->SetDialogs(&deferred.dialogs);
  EXPECT_TRUE(r.project.pages[0].image.Pixels().Empty());
  EXPECT_EQ(deferred.dialogs.Texts(), Texts{"This file is corrupted"});
  CPageManager pages(std::move(r.project));
  pages.SetDialogs(&deferred.dialogs);
  ASSERT_TRUE(pages.GoToPageByName("Three", false));
  const PageRecord& third = pages.Pages()[2];
  EXPECT_EQ(third.name, "Three");
  EXPECT_FALSE(third.deferred);
  EXPECT_EQ(third.hasImage, 0u);
  EXPECT_EQ(deferred.dialogs.Texts(), (Texts{"This file is corrupted", "This file is corrupted"}));
}

}  // namespace
}  // namespace qlm
