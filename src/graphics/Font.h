#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "graphics/Utf8.h"

typedef struct _cairo_scaled_font cairo_scaled_font_t;
typedef struct _FcConfig FcConfig;

namespace qlm {

// A Windows logical font: what objects store and what the drawing code asks for.
struct FontSpec {
  std::string face = "Arial";
  int32_t height =
      20;  // negative: character (em) height in pixels; positive: cell height; 0: default
  int32_t width = 0;  // average character width in pixels; 0: the font's natural width
  int32_t weight = 400;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  uint8_t quality = 0;  // 3 (non-antialiased) renders 1-bit glyphs; anything else greyscale

  auto Key() const {
    return std::tie(face, height, width, weight, italic, underline, strikeOut, quality);
  }
  bool operator<(const FontSpec& o) const { return Key() < o.Key(); }
  bool operator==(const FontSpec& o) const { return Key() == o.Key(); }
};

// Pixel metrics in the sense of the Windows text metrics: height = ascent + descent is the cell
// height and the distance between lines.
struct FontMetrics {
  int ascent = 0;
  int descent = 0;
  int height = 0;
  int internalLeading = 0;
  int averageCharWidth = 0;
  int underlinePosition = 0;  // below the baseline, pixels
  int underlineThickness = 1;
  int strikeOutPosition = 0;  // above the baseline, pixels
  int strikeOutThickness = 1;
};

// A matched, sized font ready to draw with. Made by FontCache; it changes only the glyph
// lookups it keeps.
// A glyph placed on a line of text: its pen position and the horizontal extent of its ink,
// both in pixels.
struct PlacedGlyph {
  unsigned long index = 0;
  double x = 0;
  double y = 0;
  double inkLeft = 0;
  double inkRight = 0;
};

class Font {
 public:
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  const FontSpec& Spec() const { return spec_; }
  const FontMetrics& Metrics() const { return metrics_; }
  // The family and file fontconfig chose for the requested face.
  const std::string& Family() const { return family_; }
  const std::string& File() const { return file_; }
  double EmSize() const { return emSize_; }

  // Advance width of a UTF-8 text in pixels (whole pixels: metrics are hinted).
  int TextWidth(std::string_view utf8) const;
  // The pen position before each byte of a UTF-8 text, and after the last one (size + 1
  // entries); bytes inside a character share its position. Advances add up, so the width of
  // bytes [a, b) is offsets[b] - offsets[a]. Malformed text gives all zeros.
  std::vector<int> Offsets(std::string_view utf8) const;

  // The glyphs of well-formed UTF-8 text with the pen starting at (x, y), placed as
  // cairo_scaled_font_text_to_glyphs places them (each advance added in turn). False when the
  // font engine fails on a character. Each character is looked up in the engine once per font.
  bool PlaceGlyphs(std::string_view utf8, double x, double y, std::vector<PlacedGlyph>& out) const;

  cairo_scaled_font_t* Scaled() const { return scaled_; }

 private:
  friend class FontCache;
  Font() = default;

  struct GlyphInfo {
    bool known = false;  // looked up
    bool ok = false;
    unsigned long index = 0;
    double xAdvance = 0;
    double yAdvance = 0;
    double inkLeft = 0;
    double inkRight = 0;
  };
  // One character's UTF-8 bytes.
  const GlyphInfo& Glyph(std::string_view character) const;
  // Calls visit(glyph, x, y) for each character of well-formed UTF-8 text with the pen at
  // (x, y), then moves the pen by its advance; false when a character has no glyph info.
  template <typename Visit>
  bool WalkGlyphs(std::string_view utf8, double& x, double& y, Visit visit) const {
    for (size_t i = 0; i < utf8.size();) {
      const auto lead = static_cast<uint8_t>(utf8[i]);
      const size_t length = lead < 0x80 ? 1 : Utf8SequenceLength(utf8, i);
      const GlyphInfo& g =
          lead < 0x80 && ascii_[lead].known ? ascii_[lead] : Glyph(utf8.substr(i, length));
      if (!g.ok)
        return false;
      visit(g, x, y);
      x += g.xAdvance;
      y += g.yAdvance;
      i += length;
    }
    return true;
  }

  FontSpec spec_;
  FontMetrics metrics_;
  std::string family_;
  std::string file_;
  double emSize_ = 0;
  cairo_scaled_font_t* scaled_ = nullptr;
  // What the font engine said about each character drawn so far, by its UTF-8 bytes.
  mutable std::array<GlyphInfo, 128> ascii_{};
  mutable std::unordered_map<uint32_t, GlyphInfo> glyphs_;
};

// Matches Windows face names to installed fonts and keeps the sized fonts made from them.
// Each cache has its own fontconfig configuration, so nothing is shared between players.
class FontCache {
 public:
  FontCache();
  ~FontCache();
  FontCache(const FontCache&) = delete;
  FontCache& operator=(const FontCache&) = delete;

  // A face that is not installed falls back to the closest match, and when fontconfig finds
  // nothing for it, to DejaVu Sans; only a machine without any font throws. The reference stays
  // valid until the next call of Get.
  const Font& Get(const FontSpec& spec);

  // The family a Windows face name is drawn with.
  std::string MatchFamily(const std::string& face);

  // Adds a font file to the faces this cache draws with (for this cache only). Matches made
  // before are forgotten so the new face can win. False when fontconfig finds no font in it.
  bool AddFontFile(const std::string& path);

  // Cell height used for a logical height of 0.
  static constexpr int kDefaultCellHeight = 16;
  // Fonts kept before the cache starts over.
  static constexpr size_t kMaxFonts = 256;

 private:
  struct Match {
    std::string family;
    std::string file;
    int index = 0;
    bool syntheticBold = false;
    bool syntheticItalic = false;
  };
  Match Find(const std::string& face, int weight, bool italic);
  std::unique_ptr<Font> Make(const FontSpec& spec);

  FcConfig* config_ = nullptr;
  std::map<FontSpec, std::unique_ptr<Font>> fonts_;
  std::map<std::tuple<std::string, int, bool>, Match> matches_;
};

}  // namespace qlm
