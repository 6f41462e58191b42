#include "platform/headless/HeadlessDisplay.h"

#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <gtest/gtest.h>

#include "graphics/ImageCodec.h"

namespace qlm {
namespace {

// The surface as rows of characters: '.' for 0, the low byte as a letter otherwise.
std::vector<std::string> Picture(const Surface& s) {
  std::vector<std::string> rows;
  for (int y = 0; y < s.Height(); ++y) {
    std::string row;
    for (int x = 0; x < s.Width(); ++x) {
      const uint32_t p = s.Pixel(x, y);
      row += p == 0 ? '.' : static_cast<char>(p & 0xFF);
    }
    rows.push_back(row);
  }
  return rows;
}

using Rows = std::vector<std::string>;

TEST(Surface, FillAndBlitClipToBothSurfaces) {
  struct Case {
    const char* name;
    int x, y, w, h;
    Rows fill;
  } fills[] = {
      {"inside", 1, 1, 2, 1, {"....", ".aa.", "...."}},
      {"over the top left", -5, -5, 6, 6, {"a...", "....", "...."}},
      {"over the bottom right", 3, 2, 100, 100, {"....", "....", "...a"}},
      {"negative size", 1, 1, -2, 1, {"....", "....", "...."}},
      {"far away", INT_MAX - 1, INT_MAX - 1, INT_MAX, INT_MAX, {"....", "....", "...."}},
      {"huge", INT_MIN, INT_MIN, INT_MAX, INT_MAX, {"....", "....", "...."}},
  };
  for (const auto& c : fills) {
    Surface s(4, 3);
    s.Fill(c.x, c.y, c.w, c.h, 'a');
    EXPECT_EQ(Picture(s), c.fill) << c.name;
  }

  Surface src(3, 2);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x)
      src.SetPixel(x, y, static_cast<uint32_t>('a' + y * 3 + x));
  }
  struct BlitCase {
    const char* name;
    int sx, sy, w, h, dx, dy;
    Rows result;
  } blits[] = {
      {"whole", 0, 0, 3, 2, 1, 1, {"....", ".abc", ".def"}},
      {"sub-rectangle", 1, 1, 2, 1, 0, 0, {"ef..", "....", "...."}},
      {"past the destination", 0, 0, 3, 2, 2, 2, {"....", "....", "..ab"}},
      {"before the destination", 0, 0, 3, 2, -1, -1, {"ef..", "....", "...."}},
      {"source box beyond the source", 2, 0, 5, 5, 0, 0, {"c...", "f...", "...."}},
      {"negative source origin", -1, -1, 2, 2, 0, 0, {"....", ".a..", "...."}},
      {"extreme offsets", INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MAX, 0, {"....", "....", "...."}},
  };
  for (const auto& c : blits) {
    Surface dst(4, 3);
    dst.Blit(src, c.sx, c.sy, c.w, c.h, c.dx, c.dy);
    EXPECT_EQ(Picture(dst), c.result) << c.name;
  }
}

TEST(Surface, OverlappingBlitWithinOneSurface) {
  Surface s(5, 1);
  for (int x = 0; x < 5; ++x)
    s.SetPixel(x, 0, static_cast<uint32_t>('a' + x));
  s.Blit(s, 0, 0, 4, 1, 1, 0);
  EXPECT_EQ(Picture(s), Rows{"aabcd"});
  s.Blit(s, 1, 0, 4, 1, 0, 0);
  EXPECT_EQ(Picture(s), Rows{"abcdd"});
}

TEST(Surface, SizesAndColourForms) {
  EXPECT_THROW(Surface(-1, 10), std::length_error);
  EXPECT_THROW(Surface(600000, 600000), std::length_error);
  EXPECT_TRUE(Surface(0, 5).Empty());
  EXPECT_EQ(Surface::FromColorRef(0x00112233), 0x00332211u);
  EXPECT_EQ(Surface::ToColorRef(Surface::FromColorRef(0x00ABCDEF)), 0x00ABCDEFu);
  Surface s(2, 1);
  s.SetPixel(0, 0, 0x00102030);  // R 0x10, G 0x20, B 0x30
  s.SetPixel(5, 5, 1);           // outside: ignored
  const Image24 img = s.ToImage24();
  EXPECT_EQ(img.width, 2u);
  EXPECT_EQ(img.pixels, (std::vector<uint8_t>{0x30, 0x20, 0x10, 0, 0, 0}));
}

TEST(HeadlessDisplay, PresentsBoxesAndWritesScreenshots) {
  HeadlessDisplay display(4, 3);
  Surface box(2, 2, 0x00FF0000);
  display.Present(box, 1, 1);
  Surface frame(4, 3, 0x000000FF);
  display.PresentRect(frame, 3, 0, 1, 1);
  EXPECT_EQ(display.Presents(), 2);
  EXPECT_EQ(display.Frame().Pixel(1, 1), 0x00FF0000u);
  EXPECT_EQ(display.Frame().Pixel(3, 0), 0x000000FFu);
  EXPECT_EQ(display.Frame().Pixel(0, 0), 0u);

  display.Resize(2, 2);  // keeps what fits
  EXPECT_EQ(display.Frame().Pixel(1, 1), 0x00FF0000u);
  EXPECT_EQ(display.Frame().Width(), 2);

  char tmpl[] = "/tmp/qlm-shot-XXXXXX";
  ASSERT_NE(::mkdtemp(tmpl), nullptr);
  const std::filesystem::path dir = tmpl;
  std::string error;
  ASSERT_TRUE(display.WriteScreenshot(dir / "shot.png", error)) << error;
  std::ifstream in(dir / "shot.png", std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  const auto decoded = DecodePng(bytes);
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(*decoded, display.Frame().ToImage24());

  EXPECT_FALSE(display.WriteScreenshot(dir / "missing" / "shot.png", error));
  EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace qlm
