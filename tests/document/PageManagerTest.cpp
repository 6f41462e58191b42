#include "document/PageManager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/WindowRegion.h"

namespace qlm {
namespace {

PageRecord NamedPage(const std::string& name, std::vector<std::string> objects = {}) {
  PageRecord page;
  page.name = name;
  for (const std::string& objectName : objects) {
    ObjectRecord object;
    object.name = objectName;
    page.objects.push_back(object);
  }
  return page;
}

Project ThreePages() {
  Project project;
  project.pages = {NamedPage("One", {"A"}), NamedPage("Two", {"B", "Dup"}),
                   NamedPage("Three", {"Dup"})};
  project.masterPage = NamedPage("renamed", {"MP"});
  project.masterLayer = NamedPage("renamed too", {"ML"});
  return project;
}

class RecordingOwner : public PageManagerOwner {
 public:
  void StopPageMedia(PageRecord& page) override { log.push_back("stop:" + page.name); }
  void ReleasePageBackground(PageRecord& page) override { log.push_back("release:" + page.name); }
  void RunPageExitScript(PageRecord& page) override {
    log.push_back("exit:" + page.exitScript.ownerName);
  }
  void PrepareMasterObjects(PageRecord&, PageRecord&) override { log.push_back("prepare"); }
  void StartPage(PageRecord& page) override { log.push_back("start:" + page.name); }
  std::vector<std::string> log;
};

std::string Current(const CPageManager& pages) {
  return pages.CurrentPage() ? pages.CurrentPage()->name : "(none)";
}

TEST(PageManagerTest, PageChangesAndLastPage) {
  CPageManager pages(ThreePages());
  RecordingOwner owner;
  pages.SetOwner(&owner);
  EXPECT_EQ(pages.MasterPage().name, "Master Page 000");
  EXPECT_EQ(pages.MasterLayer().name, "Master Layer 000");
  EXPECT_EQ(Current(pages), "One");

  // Nothing was shown before: LASTPAGE names no page.
  EXPECT_FALSE(pages.GoToPageByName("LASTPAGE", false));
  EXPECT_EQ(owner.log, std::vector<std::string>{"stop:One"});

  struct Step {
    const char* op;  // page name, or "<n" for GoToPage(n)
    bool changed;
    const char* current;
    const char* previous;
    std::vector<std::string> log;
  };
  const Step steps[] = {
      {"Two", true, "Two", "One", {"stop:One", "release:One", "exit:One"}},
      {"LASTPAGE", true, "One", "Two", {"stop:Two", "release:Two", "exit:Two"}},
      {"One", false, "One", "One", {"stop:One"}},  // already current: still recorded
      {"<1", true, "Three", "One", {"stop:One", "release:One", "exit:One"}},
      {"<3", false, "Three", "One", {"stop:Three"}},  // after the last page: no target
      {"<2", true, "Two", "Three", {"stop:Three", "release:Three", "exit:Three"}},
      {"two", false, "Two", "Three", {"stop:Two"}},  // case counts
      {"Nowhere", false, "Two", "Three", {"stop:Two"}},
      {"<0", true, "One", "Two", {"stop:Two", "release:Two", "exit:Two"}},
      {"<2", false, "One", "Two", {"stop:One"}},  // before the first page
      {"<7", false, "One", "Two", {"stop:One"}},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.op);
    owner.log.clear();
    const bool changed =
        s.op[0] == '<' ? pages.GoToPage(s.op[1] - '0') : pages.GoToPageByName(s.op, false);
    EXPECT_EQ(changed, s.changed);
    EXPECT_EQ(Current(pages), s.current);
    EXPECT_EQ(pages.PreviousPageName(), s.previous);
    EXPECT_EQ(owner.log, s.log);
  }
  EXPECT_TRUE(pages.GoToPageByName("tHREE", true));
  EXPECT_EQ(Current(pages), "Three");
}

TEST(PageManagerTest, WithoutPagesNothingMoves) {
  CPageManager pages;
  EXPECT_EQ(pages.CurrentPage(), nullptr);
  for (int direction = 0; direction < 4; ++direction)
    EXPECT_FALSE(pages.GoToPage(direction));
  EXPECT_FALSE(pages.GoToPageByName("LASTPAGE", false));
  EXPECT_EQ(pages.FindObjectByQualifiedName("A"), nullptr);
}

TEST(PageManagerTest, QualifiedNames) {
  CPageManager pages(ThreePages());
  pages.MasterPage().name = "changed by a script";
  struct Case {
    const char* text;
    const char* page;  // page holding the found object, or "" for none
    const char* object;
  };
  const Case cases[] = {
      {"A", "One", "A"},
      {"B", "", ""},
      {"Two::B", "Two", "B"},
      {"tWO::Dup", "Two", "Dup"},
      {"Three::Dup", "Three", "Dup"},
      {"Master Page::MP", "Master Page 000", "MP"},
      {"Master Page 000::MP", "Master Page 000", "MP"},
      {"mASTER pAGE::MP", "Master Page 000", "MP"},
      {"Master Layer::ML", "Master Layer 000", "ML"},
      {"master layer::ML", "Master Layer 000", "ML"},
      {"Master Layer 000::MP", "", ""},
      {"Two::B::C", "", ""},  // the object part is "B::C"
      {"Four::A", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ObjectRecord* object = pages.FindObjectByQualifiedName(c.text);
    EXPECT_EQ(object ? object->name : "", c.object);
    if (!object)
      continue;
    bool onPage = false;
    for (PageRecord* page : {&pages.Pages()[0], &pages.Pages()[1], &pages.Pages()[2],
                             &pages.MasterPage(), &pages.MasterLayer()}) {
      if (page->name == c.page && object >= page->objects.data() &&
          object < page->objects.data() + page->objects.size()) {
        onPage = true;
      }
    }
    EXPECT_TRUE(onPage);
  }
  EXPECT_EQ(pages.MasterPage().name, "Master Page 000");
  EXPECT_EQ(pages.FindPageNode(&pages.Pages()[2]), 2u);
  EXPECT_EQ(pages.FindPageNode(&pages.MasterPage()), std::nullopt);
}

TEST(PageManagerTest, CompositionAndBackground) {
  struct Case {
    const char* name;
    uint32_t currentUsesMaster, currentUsesFirst, masterUsesFirst;
    size_t currentIndex;
    const char* background;
  };
  const Case cases[] = {
      {"Own", 0, 0, 0, 1, "Two"},
      {"FirstPage", 0, 1, 0, 1, "One"},
      {"FirstPageOnFirst", 0, 1, 0, 0, "One"},
      {"Master", 1, 0, 0, 1, "Master Page 000"},
      {"MasterWithoutAlternative", 1, 0, 1, 1, "Master Page 000"},
      {"MasterWinsOverFirst", 1, 1, 0, 1, "Master Page 000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Project project = ThreePages();
    project.pages[c.currentIndex].useMasterBackground = c.currentUsesMaster;
    project.pages[c.currentIndex].useFirstPageBackground = c.currentUsesFirst;
    project.masterPage.useFirstPageBackground = c.masterUsesFirst;
    CPageManager pages(std::move(project));
    if (c.currentIndex == 1)
      pages.GoToPage(CPageManager::kNext);
    const PageComposition frame = pages.Compose(true, false);
    ASSERT_NE(frame.background, nullptr);
    EXPECT_EQ(frame.background->name, c.background);
    ASSERT_EQ(frame.objectLayers.size(), 3u);
    EXPECT_EQ(frame.objectLayers[0], &pages.MasterPage());
    EXPECT_EQ(frame.objectLayers[1], pages.CurrentPage());
    EXPECT_EQ(frame.objectLayers[2], &pages.MasterLayer());

    const PageComposition bare = pages.Compose(false, true);
    EXPECT_EQ(bare.background, nullptr);
    EXPECT_EQ(bare.objectLayers, std::vector<const PageRecord*>{pages.CurrentPage()});
  }
}

TEST(PageManagerTest, ShowCurrentPagePreparesMastersOnce) {
  CPageManager pages(ThreePages());
  RecordingOwner owner;
  pages.SetOwner(&owner);
  pages.ShowCurrentPage();
  EXPECT_EQ(owner.log, (std::vector<std::string>{"prepare", "start:One"}));
  pages.GoToPage(CPageManager::kNext);
  owner.log.clear();
  pages.ShowCurrentPage();
  EXPECT_EQ(owner.log, std::vector<std::string>{"start:Two"});
}

TEST(PageManagerTest, StopPagesClearsRuntimeState) {
  Project project = ThreePages();
  project.pages[0].stateValue = 3;
  project.pages[0].stateText = "x";
  project.pages[1].stateValue = 4;
  project.masterLayer.stateValue = 5;
  CPageManager pages(std::move(project));
  pages.StopPages();
  EXPECT_EQ(pages.Pages()[0].stateValue, 0u);
  EXPECT_EQ(pages.Pages()[0].stateText, "");
  EXPECT_EQ(pages.Pages()[1].stateValue, 4u);  // not current
  EXPECT_EQ(pages.MasterLayer().stateValue, 0u);
  EXPECT_EQ(pages.Pages()[0].objects.size(), 1u);
}

// Covered pixels of a region, as "x,y" strings, for comparisons that do not depend on how
// the rectangles are banded.
std::vector<std::string> Pixels(const std::vector<IntRect>& rects) {
  std::vector<std::string> out;
  for (const IntRect& r : rects) {
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x)
        out.push_back(std::to_string(x) + "," + std::to_string(y));
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

TEST(PageManagerTest, RegionFromMask) {
  // 250 and above are transparent, 249 and below opaque.
  const std::vector<uint8_t> mask = {
      250, 249, 0,   255, 251,  //
      255, 255, 255, 255, 255,  //
      0,   0,   0,   0,   0,    //
  };
  const std::vector<IntRect> rects = RegionFromMask(mask, 5, 3);
  EXPECT_EQ(rects, (std::vector<IntRect>{{1, 0, 3, 1}, {0, 2, 5, 3}}));

  // A mask shorter than its size says is read as far as it goes.
  EXPECT_EQ(RegionFromMask(std::vector<uint8_t>{0, 0, 0, 255}, 3, 1000),
            (std::vector<IntRect>{{0, 0, 3, 1}}));

  // More runs than one batch holds: a checkerboard of 3,000 opaque pixels.
  std::vector<uint8_t> board(100 * 60);
  for (size_t y = 0; y < 60; ++y) {
    for (size_t x = 0; x < 100; ++x)
      board[y * 100 + x] = (x + y) % 2 ? 255 : 0;
  }
  EXPECT_EQ(Pixels(RegionFromMask(board, 100, 60)).size(), 3000u);

  Project project;
  project.maskWidth = 5;
  project.maskHeight = 3;
  project.mask = mask;
  project.shapePolygon = {{0, 0}, {100, 0}, {100, 100}};
  const auto region = CPageManager(std::move(project)).BuildWindowRegion();
  ASSERT_TRUE(region.has_value());
  EXPECT_EQ(*region, rects);
  EXPECT_FALSE(CPageManager().BuildWindowRegion().has_value());
}

TEST(PageManagerTest, RegionFromPolygon) {
  // A square: the interior by pixel centres plus the outline on the right and bottom edges.
  const std::vector<IntPoint> square = {{2, 2}, {6, 2}, {6, 6}, {2, 6}};
  EXPECT_EQ(Pixels(RegionFromPolygon(square)), Pixels({{2, 2, 7, 7}}));

  // A five-pointed star drawn in one stroke: the even-odd rule leaves its centre open.
  const std::vector<IntPoint> star = {{50, 0}, {79, 90}, {2, 35}, {97, 35}, {21, 90}};
  const std::vector<std::string> pixels = Pixels(RegionFromPolygon(star));
  auto has = [&](int x, int y) {
    return std::binary_search(pixels.begin(), pixels.end(),
                              std::to_string(x) + "," + std::to_string(y));
  };
  EXPECT_FALSE(has(50, 50));  // centre
  EXPECT_TRUE(has(50, 10));   // top point
  EXPECT_TRUE(has(20, 40));   // left point
  EXPECT_TRUE(has(50, 0));    // outline vertex
  EXPECT_FALSE(has(5, 80));   // outside

  // A single point is its outline; a degenerate line too.
  EXPECT_EQ(RegionFromPolygon(std::vector<IntPoint>{{3, 4}}), (std::vector<IntRect>{{3, 4, 4, 5}}));
  EXPECT_EQ(Pixels(RegionFromPolygon(std::vector<IntPoint>{{0, 0}, {3, 0}})),
            Pixels({{0, 0, 4, 1}}));

  // A shape beyond any screen gives no region instead of a huge allocation.
  EXPECT_TRUE(
      RegionFromPolygon(std::vector<IntPoint>{{-2000000000, 0}, {2000000000, 5}, {0, 2000000000}})
          .empty());
}

}  // namespace
}  // namespace qlm
