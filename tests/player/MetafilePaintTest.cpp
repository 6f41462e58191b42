#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "PaintFixture.h"
#include "golden/GoldenImage.h"
#include "platform/host/ModuleMetafileRenderer.h"
#include "support/EmfFile.h"

namespace qlm::test {
namespace {

constexpr uint32_t kBackground = 0xFFFFFF;  // the page beneath

// A 100 x 100 picture: a red rectangle on the left half, a green circle top right and a blue
// triangle below it; the rest is left transparent.
std::vector<uint8_t> Shapes() {
  EmfBuilder emf(100, 100);
  emf.Pen(5, 0, 0)
      .Brush(0x0000FF)
      .Rectangle(0, 0, 50, 100)
      .Brush(0x00FF00)
      .Ellipse(50, 0, 100, 50)
      .Brush(0xFF0000)
      .Polygon({{50, 100}, {100, 100}, {75, 50}});
  return emf.Finish();
}

ObjectRecord Metafile(IntRect rect, std::vector<uint8_t> bytes, std::string name = "Picture") {
  ObjectRecord o = MakeObject(kObjMetafile, rect, std::move(name));
  o.hasMetafile = true;
  o.metafile = std::move(bytes);
  return o;
}

class MetafilePaintTest : public ::testing::Test, public PaintFixture {
 protected:
  MetafilePaintTest() : renderer_({QLM_BINARY_DIR}) {
    Objects().SetMetafileRenderer(&renderer_);
    page_.objects.reserve(16);
  }
  Surface Frame(int w = 240, int h = 130) { return Paint(page_, w, h, runtime_); }

  ModuleMetafileRenderer renderer_;
  PageRecord page_;
  TestPaintRuntime runtime_;
};

// Stretched to the object's rectangle both ways, over the object beneath it.
TEST_F(MetafilePaintTest, DrawsTheStoredPictureStretchedToTheRectangle) {
  page_.objects.push_back(Box({0, 60, 240, 130}, 0xC0C0C0, "Beneath"));
  page_.objects.push_back(Metafile({10, 10, 210, 110}, Shapes(), "Wide"));
  page_.objects.push_back(Metafile({215, 10, 235, 30}, Shapes(), "Small"));
  const Surface frame = Frame();
  EXPECT_TRUE(renderer_.Loaded()) << renderer_.LoadError();
  EXPECT_EQ(frame.Pixel(50, 50) & 0xFFFFFF, 0xFF0000u);     // rectangle, left half
  EXPECT_EQ(frame.Pixel(160, 30) & 0xFFFFFF, 0x00FF00u);    // circle, stretched to 100 wide
  EXPECT_EQ(frame.Pixel(160, 100) & 0xFFFFFF, 0x0000FFu);   // triangle
  EXPECT_EQ(frame.Pixel(115, 15) & 0xFFFFFF, kBackground);  // beside the circle: transparent
  EXPECT_EQ(frame.Pixel(120, 70) & 0xFFFFFF, 0xC0C0C0u);    // the box shows through
  EXPECT_TRUE(MatchesGolden(frame, "metafile"));
}

// Damaged metafiles draw nothing and never crash: cuts, other files, changed bytes.
TEST_F(MetafilePaintTest, DamagedMetafilesDrawNothing) {
  const std::vector<uint8_t> good = Shapes();
  auto drawsNothing = [&](std::vector<uint8_t> bytes) {
    page_.objects.assign(1, Metafile({10, 10, 110, 110}, std::move(bytes)));
    const Surface frame = Frame(120, 120);
    for (int y = 0; y < 120; y += 7) {
      for (int x = 0; x < 120; x += 7) {
        if ((frame.Pixel(x, y) & 0xFFFFFF) != kBackground)
          return false;
      }
    }
    return true;
  };
  EXPECT_FALSE(drawsNothing(good));
  EXPECT_TRUE(drawsNothing({}));
  EXPECT_TRUE(drawsNothing(std::vector<uint8_t>(good.begin(), good.begin() + 87)));
  std::vector<uint8_t> signature = good;
  signature[40] = 'X';
  EXPECT_TRUE(drawsNothing(signature));
  std::vector<uint8_t> notEmf(good.size(), 0x41);
  EXPECT_TRUE(drawsNothing(notEmf));

  // Every cut and random changes: whatever they draw, nothing crashes.
  for (size_t cut = 0; cut < good.size(); cut += 3)
    drawsNothing(std::vector<uint8_t>(good.begin(), good.begin() + cut));
  std::mt19937 random(14);
  for (int round = 0; round < 300; ++round) {
    std::vector<uint8_t> bytes = good;
    for (int k = 0; k < 3; ++k) {
      bytes[random() % bytes.size()] = (random() % 2) ? static_cast<uint8_t>(0xFF - random() % 3)
                                                      : static_cast<uint8_t>(random());
    }
    drawsNothing(std::move(bytes));
  }
}

// The converter reads the header's description where the header says (up to a NUL when it has
// no length); descriptions that reach past the header (found by the fuzz target: it read far
// beyond the bytes) are dropped, and the picture still draws. So are records cut short after the
// last whole one. A second header record is refused.
TEST_F(MetafilePaintTest, HeaderReferencesOutsideTheHeaderAreDropped) {
  const uint32_t descriptions[][2] = {{0x7FFFFFFF, 88}, {0, 104}, {4, 84}};  // characters, offset
  for (const auto& description : descriptions) {
    SCOPED_TRACE(description[1]);
    std::vector<uint8_t> bytes = Shapes();
    std::memcpy(&bytes[60], description, sizeof description);
    bytes.insert(bytes.end(), {43, 0, 0, 0, 0xFF, 0xFF, 0, 0, 1, 2});  // a record cut short
    page_.objects.assign(1, Metafile({0, 0, 100, 100}, bytes));
    EXPECT_EQ(Frame(100, 100).Pixel(20, 50) & 0xFFFFFF, 0xFF0000u);
  }
  std::vector<uint8_t> twice = Shapes();
  twice.resize(twice.size() - 20);  // before the end record
  const std::vector<uint8_t> header(twice.begin(), twice.begin() + 88);
  twice.insert(twice.end(), header.begin(), header.end());
  page_.objects.assign(1, Metafile({0, 0, 100, 100}, twice));
  EXPECT_EQ(Frame(100, 100).Pixel(20, 50) & 0xFFFFFF, kBackground);
}

// A record of a type the converter does not know (found by the fuzz target: the converter read
// far outside its tables) makes the metafile damaged, wherever it stands; the same record cut
// off after the end record does not.
TEST_F(MetafilePaintTest, RecordsOfUnknownTypesEndThePicture) {
  std::vector<uint8_t> bytes = Shapes();
  const uint8_t unknown[] = {0xF2, 0x03, 0, 0, 20, 0, 0, 0, 0, 0, 0, 0, 16, 0, 0, 0, 20, 0, 0, 0};
  bytes.insert(bytes.begin() + 88, std::begin(unknown), std::end(unknown));
  page_.objects.assign(1, Metafile({0, 0, 100, 100}, bytes));
  EXPECT_EQ(Frame(100, 100).Pixel(20, 50) & 0xFFFFFF, kBackground);
  bytes.erase(bytes.begin() + 88, bytes.begin() + 108);
  bytes.insert(bytes.end() - 20, std::begin(unknown), std::end(unknown));
  page_.objects.assign(1, Metafile({0, 0, 100, 100}, bytes));
  EXPECT_EQ(Frame(100, 100).Pixel(20, 50) & 0xFFFFFF, kBackground);
  bytes.erase(bytes.end() - 40, bytes.end() - 20);
  bytes.insert(bytes.end(), std::begin(unknown), std::end(unknown));
  page_.objects.assign(1, Metafile({0, 0, 100, 100}, bytes));
  EXPECT_EQ(Frame(100, 100).Pixel(20, 50) & 0xFFFFFF, 0xFF0000u);
}

// Without the module every metafile draws nothing, and the reason is kept.
TEST(MetafileModule, MissingModuleDrawsNothing) {
  std::string heard;
  ModuleMetafileRenderer renderer({"/nonexistent"}, [&](const std::string& why) { heard = why; });
  EXPECT_FALSE(renderer.Render(Shapes(), 10, 10));
  EXPECT_TRUE(renderer.Tried());
  EXPECT_FALSE(renderer.Loaded());
  EXPECT_NE(heard.find("qlm_metafile.so"), std::string::npos) << heard;
  // Sizes beyond the limits are refused before anything is drawn.
  ModuleMetafileRenderer present({QLM_BINARY_DIR});
  EXPECT_FALSE(present.Render(Shapes(), 100000, 2));
  EXPECT_FALSE(present.Tried());
  EXPECT_TRUE(present.Render(Shapes(), 4, 4));
}

}  // namespace
}  // namespace qlm::test
