#include "graphics/Font.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <string>
#include <vector>

#include "graphics/Canvas.h"
#include "graphics/TextLayout.h"
#include "graphics/Utf8.h"

namespace qlm {
namespace {

class FontTest : public ::testing::Test {
 protected:
  static FontCache& Cache() {
    static FontCache cache;
    return cache;
  }
  static FontSpec Spec(std::string face, int height, int weight = 400, bool italic = false) {
    FontSpec spec;
    spec.face = std::move(face);
    spec.height = height;
    spec.weight = weight;
    spec.italic = italic;
    return spec;
  }
  // Rows of the surface that hold any non-white pixel: [first, last].
  static std::pair<int, int> InkRows(const Surface& s) {
    int first = -1, last = -1;
    for (int y = 0; y < s.Height(); ++y) {
      for (int x = 0; x < s.Width(); ++x) {
        if (s.Pixel(x, y) != 0xFFFFFF) {
          if (first < 0)
            first = y;
          last = y;
          break;
        }
      }
    }
    return {first, last};
  }
};

TEST_F(FontTest, WindowsFacesMapToInstalledFamilies) {
  struct Case {
    const char* face;
    const char* family;
  } const cases[] = {
      {"Arial", "Liberation Sans"},
      {"ARIAL", "Liberation Sans"},
      {"Times New Roman", "Liberation Serif"},
      {"Courier New", "Liberation Mono"},
      {"MS Sans Serif", "Liberation Sans"},
      {"No Such Face 123", "DejaVu Sans"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Cache().MatchFamily(c.face), c.family) << c.face;

  EXPECT_NE(Cache().Get(Spec("Arial", -20, 700)).File().find("Bold"), std::string::npos);
  EXPECT_NE(Cache().Get(Spec("Arial", -20, 400, true)).File().find("Italic"), std::string::npos);
  EXPECT_EQ(Cache().Get(Spec("Arial", -20)).File().find("Bold"), std::string::npos);
}

TEST_F(FontTest, LogicalHeightsFollowWindows) {
  for (int cell : {10, 13, 16, 20, 37}) {
    const Font& font = Cache().Get(Spec("Arial", cell));
    EXPECT_EQ(font.Metrics().height, cell) << "a positive height is the cell height";
    EXPECT_LT(font.EmSize(), cell);
  }
  for (int em : {8, 12, 20, 48}) {
    const Font& font = Cache().Get(Spec("Times New Roman", -em));
    EXPECT_DOUBLE_EQ(font.EmSize(), em) << "a negative height is the character height";
    EXPECT_GT(font.Metrics().height, em);
    EXPECT_EQ(font.Metrics().internalLeading, font.Metrics().height - em);
  }
  // Height 0 and absurd heights still give a usable font.
  EXPECT_EQ(Cache().Get(Spec("Arial", 0)).Metrics().height, FontCache::kDefaultCellHeight);
  EXPECT_GT(Cache().Get(Spec("Arial", -2147483647 - 1)).Metrics().height, 0);
}

TEST_F(FontTest, WidthsAddUpAndFollowTheFont) {
  const Font& mono = Cache().Get(Spec("Courier New", -20));
  const int one = mono.TextWidth("x");
  ASSERT_GT(one, 0);
  EXPECT_EQ(mono.TextWidth("xxxxxxxxxx"), 10 * one);
  const std::vector<int> offsets = mono.Offsets(
      "ab\xC3\xA9"
      "c");  // a b e-acute c
  EXPECT_EQ(offsets, (std::vector<int>{0, one, 2 * one, 2 * one, 3 * one, 4 * one}));

  FontSpec wide = Spec("Courier New", -20);
  wide.width = 2 * mono.Metrics().averageCharWidth;
  EXPECT_NEAR(Cache().Get(wide).TextWidth("xxxxxxxxxx"), 20 * one, 10);

  const Font& arial = Cache().Get(Spec("Arial", -20));
  EXPECT_GT(arial.TextWidth("WWW"), arial.TextWidth("iii"));
  // Malformed UTF-8 is measured and drawn with replacement characters, and the font keeps
  // working afterwards.
  EXPECT_GT(arial.TextWidth("a\xFF\xFE"), arial.TextWidth("a"));
  EXPECT_EQ(arial.TextWidth("abc"), arial.TextWidth("ab") + arial.TextWidth("c"));
}

TEST_F(FontTest, TextSitsInItsCellWithUnderlineAndStrikeOut) {
  FontSpec spec = Spec("Arial", -20);
  const Font& plain = Cache().Get(spec);
  const FontMetrics m = plain.Metrics();
  Surface s(80, 40, 0xFFFFFF);
  {
    Canvas canvas(s);
    canvas.DrawText(plain, "Hxg", 5, 10, 0);
  }
  const auto [first, last] = InkRows(s);
  EXPECT_GE(first, 10);
  EXPECT_LT(last, 10 + m.height);
  EXPECT_LT(first, 10 + m.ascent);
  EXPECT_GT(last, 10 + m.ascent);  // the g descends below the baseline
  for (uint32_t p : s.Pixels())
    EXPECT_EQ(p >> 24, 0u);

  // Underline and strike-out add a bar as wide as the text.
  spec.underline = true;
  spec.strikeOut = true;
  Surface lined(80, 40, 0xFFFFFF);
  {
    Canvas canvas(lined);
    canvas.DrawText(Cache().Get(spec), "Hxg", 5, 10, 0);
  }
  const int underlineRow = 10 + m.ascent + m.underlinePosition;
  const int strikeRow = 10 + m.ascent - m.strikeOutPosition;
  const int width = plain.TextWidth("Hxg");
  for (int row : {underlineRow, strikeRow}) {
    EXPECT_EQ(lined.Pixel(5, row), 0u) << row;
    EXPECT_EQ(lined.Pixel(5 + width - 1, row), 0u) << row;
    EXPECT_EQ(lined.Pixel(5 + width, row), 0xFFFFFFu) << row;
  }

  // The same text drawn twice gives the same pixels.
  Surface again(80, 40, 0xFFFFFF);
  {
    Canvas canvas(again);
    canvas.DrawText(plain, "Hxg", 5, 10, 0);
  }
  EXPECT_EQ(again, s);
}

TEST_F(FontTest, WordWrapBreaksAtSpacesAndInsideLongWords) {
  const Font& mono = Cache().Get(Spec("Courier New", -10));
  const int ch = mono.TextWidth("x");
  struct Case {
    const char* text;
    int columns;
    std::vector<std::string> lines;
  } const cases[] = {
      {"one two three", 20, {"one two three"}},
      {"one two three", 7, {"one two", "three"}},
      {"one two three", 6, {"one", "two", "three"}},
      {"one   two", 4, {"one", "two"}},
      {"abcdefghij", 4, {"abcd", "efgh", "ij"}},
      {"a\r\nb\nc\rd", 10, {"a", "b", "c", "d"}},
      {"x\n\ny", 10, {"x", "", "y"}},
      {"", 10, {""}},
      {"wide", 0, {"w", "i", "d", "e"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(WrapText(mono, c.text, c.columns * ch), c.lines) << c.text << " / " << c.columns;
}

// Glyphs are looked up once per character and placed by adding advances; a text drawn in
// small clip boxes leaves out the glyphs each box cannot show. Both must match what cairo gives
// for the whole run, pixel for pixel.
TEST_F(FontTest, CachedGlyphRunsAndClippedTextMatchTheWholeRun) {
  const char* texts[] = {"Object 12 says hello",
                         "Wafer AVATAR fij",
                         "caf\xC3\xA9 \xE2\x82\xAC 5",
                         "\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80",
                         "tab\there",
                         "bad \xFF\xC3 bytes"};
  for (const FontSpec& spec : {Spec("Arial", -13), Spec("Times New Roman", -29, 700, true)}) {
    const Font& font = Cache().Get(spec);
    for (const char* text : texts) {
      // The same run as cairo's own text-to-glyph conversion.
      const std::string utf8 = SanitizeUtf8(text);
      cairo_glyph_t* glyphs = nullptr;
      int count = 0;
      ASSERT_EQ(cairo_scaled_font_text_to_glyphs(font.Scaled(), 7, 31, utf8.data(),
                                                 static_cast<int>(utf8.size()), &glyphs, &count,
                                                 nullptr, nullptr, nullptr),
                CAIRO_STATUS_SUCCESS);
      std::vector<PlacedGlyph> placed;
      ASSERT_TRUE(font.PlaceGlyphs(utf8, 7, 31, placed));
      ASSERT_EQ(placed.size(), static_cast<size_t>(count)) << text;
      for (int i = 0; i < count; ++i) {
        EXPECT_EQ(placed[i].index, glyphs[i].index) << text;
        EXPECT_EQ(placed[i].x, glyphs[i].x) << text;
        EXPECT_EQ(placed[i].y, glyphs[i].y) << text;
      }
      cairo_glyph_free(glyphs);

      // Whole, and in 37 x 29 boxes.
      Surface whole(260, 60, 0xFFFFFF);
      Canvas(whole).DrawText(font, text, 3, 5, 0x336699);
      Surface boxes(260, 60, 0xFFFFFF);
      for (int y = 0; y < 60; y += 29) {
        for (int x = 0; x < 260; x += 37) {
          Surface part(37, 29, 0xFFFFFF);
          Canvas(part, {x, y}).DrawText(font, text, 3, 5, 0x336699);
          boxes.Blit(part, 0, 0, 37, 29, x, y);
        }
      }
      EXPECT_TRUE(whole == boxes) << text;
      EXPECT_NE(whole, Surface(260, 60, 0xFFFFFF)) << text;
    }
  }
}

}  // namespace
}  // namespace qlm
