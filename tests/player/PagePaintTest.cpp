#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <vector>

#include "PaintFixture.h"
#include "document/PageManager.h"
#include "golden/GoldenImage.h"

namespace qlm::test {
namespace {

constexpr uint32_t kWhitePixel = 0xFFFFFF;

class PagePaintTest : public ::testing::Test, public PaintFixture {
 protected:
  TestPaintRuntime runtime_;
};

// A page with one object of nearly every kind, overlapping, for comparing paints.
PageRecord BusyPage() {
  PageRecord page;
  page.backgroundColour = 0xE0F0FF;
  page.hasImage = 1;
  page.tileImage = 1;
  page.image.image = Picture(23, 17, 0xD0D0FF, 0xFFD0D0, 3);
  int i = 0;
  for (int32_t kind : {1, 2, 3, 5, 6, 7, 11, 12, 13, 15, 19, 22, 25, 29}) {
    const int32_t x = 7 + (i % 5) * 61, y = 9 + (i / 5) * 67;
    ObjectRecord o = MakeObject(kind, {x, y, x + 80, y + 70}, "o" + std::to_string(i));
    o.text = "Text " + std::to_string(i) + " with some words to wrap around";
    o.colours[1] = 0x3080C0 + static_cast<uint32_t>(i) * 0x1020;
    o.colours[2] = 0x202020;
    o.values[1] = static_cast<uint32_t>(i % 3);
    o.values[2] = 2;
    o.ratio = 0.7;
    o.points1 = {{0, 0}, {80, 30}, {10, 70}};
    o.stringList = {"a", "b"};
    SetImage(o, 1, Picture(20, 15, 0x0000FF, 0x00FFFF, 5));
    page.objects.push_back(std::move(o));
    ++i;
  }
  return page;
}

TEST_F(PagePaintTest, DirtyRectanglesPaintExactlyWhatTheWholeFramePaints) {
  const PageRecord page = BusyPage();
  runtime_.grids["o10"] = {1, 1, 0, 1};
  runtime_.states["o6"].highlight = Highlight::Pressed;
  const PageComposition layers{&page, {&page}};
  FrameSettings settings{320, 240, false, true};
  Surface whole(320, 240, 0);
  Pages().Paint(whole, {0, 0}, {0, 0, 320, 240}, &page, layers, settings, runtime_);

  // Boxes of odd sizes, each painted into a surface of exactly its size, as the window does.
  Surface assembled(320, 240, 0);
  for (int y = 0; y < 240; y += 29) {
    for (int x = 0; x < 320; x += 37) {
      const IntRect box = IntRect{x, y, x + 37, y + 29}.Intersect({0, 0, 320, 240});
      Surface part(box.Width(), box.Height(), 0x777777);
      Pages().Paint(part, {box.left, box.top}, box, &page, layers, settings, runtime_);
      assembled.Blit(part, 0, 0, box.Width(), box.Height(), box.left, box.top);
    }
  }
  const CompareResult result = CompareSurfaces(whole, assembled, {0, 0});
  EXPECT_TRUE(result.matches) << result.Describe();
  EXPECT_TRUE(MatchesGolden(whole, "busy_page"));

  // A box painted into the whole frame touches nothing outside it.
  Surface marked(320, 240, 0x010203);
  Pages().Paint(marked, {0, 0}, {50, 60, 90, 100}, &page, layers, settings, runtime_);
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 320; ++x) {
      if (IntRect{50, 60, 90, 100}.Contains(x, y))
        ASSERT_EQ(marked.Pixel(x, y), whole.Pixel(x, y)) << x << "," << y;
      else
        ASSERT_EQ(marked.Pixel(x, y), 0x010203u) << x << "," << y;
    }
  }
}

TEST_F(PagePaintTest, LayersComposeMasterPageThenPageThenMasterLayer) {
  Project project;
  PageRecord first;
  first.name = "First";
  first.backgroundColour = 0xC0FFC0;
  first.hasImage = 1;
  first.image.image = Picture(40, 30, 0x808080, 0xFFFFFF, 5);  // drawn once, not tiled
  first.objects.push_back(Box({60, 40, 200, 160}, 0x00C000, "pageBox"));
  project.pages.push_back(first);
  PageRecord second;
  second.name = "Second";
  second.useFirstPageBackground = 1;
  second.objects.push_back(Box({60, 40, 200, 160}, 0xC0C000, "secondBox"));
  project.pages.push_back(second);
  project.masterPage.objects.push_back(Box({20, 20, 140, 120}, 0xC00000, "masterPageBox"));
  project.masterPage.hasImage = 1;
  project.masterPage.tileImage = 1;
  project.masterPage.image.image = Picture(16, 16, 0xFFE0E0, 0xE0E0FF, 8);
  ObjectRecord layerText = MakeObject(kObjText, {120, 100, 300, 140}, "layerText");
  layerText.text = "Master Layer";
  layerText.colours[1] = 0xFFFF00;
  layerText.font.height = -20;
  project.masterLayer.objects.push_back(Box({160, 80, 280, 200}, 0x0000C0, "masterLayerBox"));
  project.masterLayer.objects.push_back(layerText);
  CPageManager pages(project);

  FrameSettings settings;
  settings.frameBorder = true;
  const Surface layered =
      Paint(*pages.CurrentPage(), pages.Compose(true, false), 320, 240, runtime_, settings);
  EXPECT_EQ(layered.Pixel(30, 30), 0x0000C0u);    // the master page's box (0x00BBGGRR)
  EXPECT_EQ(layered.Pixel(100, 100), 0x00C000u);  // the page's box above it
  EXPECT_EQ(layered.Pixel(190, 150), 0xC00000u);  // the master layer's box above both
  EXPECT_EQ(layered.Pixel(0, 120), 0u);           // the frame border
  EXPECT_EQ(layered.Pixel(319, 239), 0u);
  EXPECT_TRUE(MatchesGolden(layered, "layers"));

  // The second page takes the first page's background; without masters only its own objects.
  ASSERT_TRUE(pages.GoToPage(CPageManager::kNext));
  const Surface second_ =
      Paint(*pages.CurrentPage(), pages.Compose(false, false), 320, 240, runtime_);
  EXPECT_EQ(second_.Pixel(2, 2), 0x808080u);      // the first page's image, at the corner
  EXPECT_EQ(second_.Pixel(45, 35), 0xC0FFC0u);    // beyond it the first page's colour
  EXPECT_EQ(second_.Pixel(30, 30), 0xC0FFC0u);    // no master page object
  EXPECT_EQ(second_.Pixel(100, 100), 0x00C0C0u);  // its own box

  // Using the master background: the master page's tiled image everywhere.
  pages.CurrentPage()->useMasterBackground = 1;
  const Surface master =
      Paint(*pages.CurrentPage(), pages.Compose(false, false), 320, 240, runtime_);
  EXPECT_EQ(master.Pixel(300, 5), master.Pixel(300 % 16, 5));
  EXPECT_EQ(master.Pixel(310, 230), master.Pixel(310 % 16, 230 % 16));
}

TEST_F(PagePaintTest, NoCurrentPageOrNoBackgroundLeavesTheFrameAlone) {
  PageRecord page;
  page.objects.push_back(Box({10, 10, 20, 20}, 0));
  Surface frame(40, 30, 0x010203);
  Pages().Paint(frame, {0, 0}, {0, 0, 40, 30}, nullptr, {&page, {&page}}, {40, 30}, runtime_);
  EXPECT_EQ(frame, Surface(40, 30, 0x010203));

  FrameSettings noBackground{40, 30, true, false};
  Pages().Paint(frame, {0, 0}, {0, 0, 40, 30}, &page, {&page, {&page}}, noBackground, runtime_);
  EXPECT_EQ(frame.Pixel(0, 0), 0x010203u);
  EXPECT_EQ(frame.Pixel(15, 15), 0u);
}

TEST_F(PagePaintTest, AliasesShowTheirSourceAtTheirOwnPlace) {
  PageRecord page;
  ObjectRecord source = Box({0, 0, 10, 10}, 0x0000FF, "Source");
  source.values[10] = 1;  // hidden: the alias still shows it
  page.objects.push_back(source);
  ObjectRecord alias = MakeObject(kObjImage, {20, 5, 25, 8}, "Alias");
  alias.noImages = 1;
  alias.text = "Source";
  page.objects.push_back(alias);
  ObjectRecord hiddenAlias = alias;
  hiddenAlias.name = "HiddenAlias";
  hiddenAlias.rect = {40, 5, 45, 8};
  hiddenAlias.values[10] = 1;
  page.objects.push_back(hiddenAlias);
  ObjectRecord qualified = alias;
  qualified.name = "Qualified";
  qualified.rect = {0, 20, 5, 25};
  qualified.text = "Page 1::Source";
  page.objects.push_back(qualified);
  ObjectRecord dangling = alias;
  dangling.name = "Dangling";
  dangling.text = "Nothing";
  page.objects.push_back(dangling);
  runtime_.states["Source"].offsetX = 100;  // replaced while the alias draws it

  const Surface frame = Paint(page, 60, 40, runtime_);
  EXPECT_EQ(frame.Pixel(5, 5), kWhitePixel);  // the hidden source itself
  // The copy has the source's size, at the alias's top-left.
  EXPECT_EQ(frame.Pixel(20, 5), 0xFF0000u);
  EXPECT_EQ(frame.Pixel(29, 14), 0xFF0000u);
  EXPECT_EQ(frame.Pixel(30, 15), kWhitePixel);
  EXPECT_EQ(frame.Pixel(42, 6), kWhitePixel);  // hiding the alias hides the copy
  EXPECT_EQ(frame.Pixel(5, 25), 0xFF0000u);
  EXPECT_EQ(page.objects[0].values[10], 1u);  // nothing was changed in the source
}

// A video picture whose converter leaves junk in the top byte, as FFmpeg's does.
class FakePicture : public VideoPicture {
 public:
  FakePicture(int w, int h) : pixels_(static_cast<size_t>(w) * h) {
    width = w;
    height = h;
    for (size_t i = 0; i < pixels_.size(); ++i)
      pixels_[i] = 0xAB000000 | static_cast<uint32_t>(i * 0x010305);
  }
  const uint32_t* Pixels() const override { return pixels_.data(); }
  void ConvertInto(uint32_t* rows, ptrdiff_t stride) const override {
    ++direct;
    for (int y = 0; y < height; ++y)
      std::copy_n(pixels_.data() + static_cast<ptrdiff_t>(y) * width, width, rows + y * stride);
  }
  uint32_t At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width + x] & 0xFFFFFF; }

  mutable int direct = 0;

 private:
  std::vector<uint32_t> pixels_;
};

// A video over a background image and an object, under another object and beside a plug-in:
// any box painted in place gives the pixels of the whole frame and touches nothing else, the
// object above covers the video, and what lies below still shows around it.
TEST_F(PagePaintTest, AVideoPaintsTheSameInEveryBoxWithObjectsAboveCoveringIt) {
  const IntRect video{40, 30, 104, 78};
  PageRecord page;
  page.backgroundColour = 0xE0F0FF;
  page.hasImage = 1;
  page.tileImage = 1;
  page.image.image = Picture(13, 11, 0xD0D0FF, 0xFFD0D0, 3);
  page.objects.push_back(MakeObject(kObjPlugIn, {50, 40, 60, 50}, "plug"));
  page.objects.push_back(Box({20, 20, 60, 50}, 0x00C000, "below"));
  page.objects.push_back(MakeObject(kObjVideo, video, "video"));
  page.objects.push_back(Box({90, 60, 130, 90}, 0xC00000, "above"));
  runtime_.plugInDraws = true;
  const PageComposition layers{&page, {&page}};
  const FrameSettings settings{160, 120, false, false};
  // The picture at the rectangle's size, and one the painter stretches.
  for (const auto& [w, h] : {std::pair{64, 48}, std::pair{32, 24}}) {
    SCOPED_TRACE(w);
    const FakePicture picture(w, h);
    runtime_.states["video"].videoPicture = &picture;
    Surface whole(160, 120, 0);
    Pages().Paint(whole, {0, 0}, {0, 0, 160, 120}, &page, layers, settings, runtime_);
    const int scale = 64 / w;
    EXPECT_EQ(whole.Pixel(40, 30), picture.At(0, 0));
    EXPECT_EQ(whole.Pixel(89, 77), picture.At(49 / scale, 47 / scale));
    EXPECT_EQ(whole.Pixel(95, 65), 0x0000C0u);  // the object above (0x00BBGGRR)
    EXPECT_EQ(whole.Pixel(25, 25), 0x00C000u);  // the object below, beside the video
    EXPECT_EQ(whole.Pixel(5, 5), whole.Pixel(5 + 13, 5 + 11));  // the tiled background

    // Boxes across the video's edges, within it, the video's own and one holding it all.
    const IntRect boxes[] = {{0, 0, 45, 33},    {41, 31, 103, 77}, video,
                             {85, 55, 140, 95}, {30, 60, 70, 120}, {35, 25, 110, 80}};
    for (const IntRect& box : boxes) {
      SCOPED_TRACE(box.left);
      Surface frame(160, 120, 0x010203);
      runtime_.plugInsAsked.clear();
      Pages().Paint(frame, {0, 0}, box, &page, layers, settings, runtime_);
      for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < 160; ++x)
          ASSERT_EQ(frame.Pixel(x, y), box.Contains(x, y) ? whole.Pixel(x, y) : 0x010203u)
              << x << "," << y;
      }
      if (box.Intersects({50, 40, 60, 50})) {
        EXPECT_EQ(runtime_.plugInsAsked, std::vector<std::string>{"plug"});
      }
    }
  }
  // At its own size the picture is converted straight into the frame.
  const FakePicture picture(64, 48);
  runtime_.states["video"].videoPicture = &picture;
  Surface frame(160, 120, 0);
  Pages().Paint(frame, {0, 0}, video, &page, layers, settings, runtime_);
  EXPECT_EQ(picture.direct, 1);
}

TEST_F(PagePaintTest, ChildWindowsLearnWhichObjectsLieAboveThem) {
  PageRecord page;
  ObjectRecord video = MakeObject(kObjVideo, {10, 10, 110, 90}, "video");
  page.objects.push_back(Box({0, 0, 50, 50}, 0, "below"));
  page.objects.push_back(video);
  page.objects.push_back(Box({100, 80, 150, 120}, 0, "corner"));
  ObjectRecord hidden = Box({20, 20, 30, 30}, 0, "hidden");
  hidden.values[10] = 1;
  page.objects.push_back(hidden);
  page.objects.push_back(Box({200, 0, 220, 20}, 0, "apart"));
  ObjectRecord list = MakeObject(kObjListBox, {5, 5, 15, 15}, "listWithoutWindow");
  page.objects.push_back(list);
  runtime_.states["video"].holdsChildWindow = true;
  runtime_.states["video"].offsetX = 1;
  Paint(page, 240, 160, runtime_);
  ASSERT_EQ(runtime_.childRegions.size(), 1u);
  const auto& [rect, covered] = runtime_.childRegions["video"];
  EXPECT_EQ(rect, (IntRect{11, 10, 111, 90}));
  EXPECT_EQ(covered, (std::vector<IntRect>{{100, 80, 111, 90}, {11, 10, 15, 15}}));
}

}  // namespace
}  // namespace qlm::test
