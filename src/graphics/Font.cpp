#include "graphics/Font.h"

#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <optional>
#include <stdexcept>

#include "graphics/Utf8.h"

namespace qlm {
namespace {

std::string Lower(std::string s) {
  for (char& c : s)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Windows faces that presentations name, and the metric-compatible or closest installed family.
struct FaceAlias {
  const char* windows;
  const char* installed;
};
constexpr std::array kAliases{
    FaceAlias{"arial", "Liberation Sans"},
    FaceAlias{"helvetica", "Liberation Sans"},
    FaceAlias{"ms sans serif", "Liberation Sans"},
    FaceAlias{"microsoft sans serif", "Liberation Sans"},
    FaceAlias{"ms shell dlg", "Liberation Sans"},
    FaceAlias{"ms shell dlg 2", "Liberation Sans"},
    FaceAlias{"system", "Liberation Sans"},
    FaceAlias{"arial narrow", "Liberation Sans Narrow"},
    FaceAlias{"times new roman", "Liberation Serif"},
    FaceAlias{"times", "Liberation Serif"},
    FaceAlias{"ms serif", "Liberation Serif"},
    FaceAlias{"courier new", "Liberation Mono"},
    FaceAlias{"courier", "Liberation Mono"},
    FaceAlias{"fixedsys", "Liberation Mono"},
    FaceAlias{"lucida console", "Liberation Mono"},
};

constexpr const char* kFallbackFamily = "DejaVu Sans";

std::string PatternString(FcPattern* p, const char* object) {
  FcChar8* value = nullptr;
  if (FcPatternGetString(p, object, 0, &value) == FcResultMatch && value)
    return reinterpret_cast<const char*>(value);
  return {};
}

int PatternInt(FcPattern* p, const char* object, int fallback) {
  int value = 0;
  return FcPatternGetInteger(p, object, 0, &value) == FcResultMatch ? value : fallback;
}

// Unscaled design metrics of a face, in font units.
struct DesignMetrics {
  double unitsPerEm = 2048;
  double winAscent = 1854;
  double winDescent = 434;
  double avgCharWidth = 0;
  double underlinePosition = -200;
  double underlineThickness = 150;
  double strikeOutPosition = 530;
  double strikeOutThickness = 100;
};

DesignMetrics ReadDesignMetrics(cairo_font_face_t* face) {
  DesignMetrics m;
  cairo_matrix_t identity;
  cairo_matrix_init_identity(&identity);
  cairo_matrix_t size;
  cairo_matrix_init_scale(&size, 64, 64);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_scaled_font_t* probe = cairo_scaled_font_create(face, &size, &identity, options);
  cairo_font_options_destroy(options);
  if (FT_Face ft = cairo_ft_scaled_font_lock_face(probe)) {
    if (ft->units_per_EM > 0)
      m.unitsPerEm = ft->units_per_EM;
    m.winAscent = ft->ascender;
    m.winDescent = -ft->descender;
    if (ft->underline_thickness > 0) {
      m.underlinePosition = ft->underline_position;
      m.underlineThickness = ft->underline_thickness;
    }
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2))) {
      if (os2->usWinAscent + os2->usWinDescent > 0) {
        m.winAscent = os2->usWinAscent;
        m.winDescent = os2->usWinDescent;
      }
      m.avgCharWidth = os2->xAvgCharWidth;
      if (os2->yStrikeoutSize > 0) {
        m.strikeOutPosition = os2->yStrikeoutPosition;
        m.strikeOutThickness = os2->yStrikeoutSize;
      }
    } else {
      m.strikeOutPosition = m.winAscent * 0.25;
      m.strikeOutThickness = m.underlineThickness;
    }
    cairo_ft_scaled_font_unlock_face(probe);
  }
  cairo_scaled_font_destroy(probe);
  if (m.winAscent + m.winDescent <= 0) {
    m.winAscent = m.unitsPerEm * 0.9;
    m.winDescent = m.unitsPerEm * 0.2;
  }
  return m;
}

int Round(double v) {
  return static_cast<int>(std::lround(v));
}

}  // namespace

Font::~Font() {
  if (scaled_)
    cairo_scaled_font_destroy(scaled_);
}

int Font::TextWidth(std::string_view utf8) const {
  if (utf8.empty())
    return 0;
  // Malformed text gets replacement characters; well-formed text is used as it is.
  std::string fixed;
  std::string_view text = utf8;
  if (!IsValidUtf8(utf8)) {
    fixed = SanitizeUtf8(utf8);
    text = fixed;
  }
  // As cairo measures a run: the last glyph's position plus its advance, less the first's (0).
  double x = 0, y = 0;
  if (WalkGlyphs(text, x, y, [](const GlyphInfo&, double, double) {}))
    return Round(x);
  cairo_glyph_t* glyphs = nullptr;
  int count = 0;
  if (cairo_scaled_font_text_to_glyphs(scaled_, 0, 0, text.data(), static_cast<int>(text.size()),
                                       &glyphs, &count, nullptr, nullptr,
                                       nullptr) != CAIRO_STATUS_SUCCESS) {
    return 0;
  }
  cairo_text_extents_t extents;
  cairo_scaled_font_glyph_extents(scaled_, glyphs, count, &extents);
  cairo_glyph_free(glyphs);
  return Round(extents.x_advance);
}

const Font::GlyphInfo& Font::Glyph(std::string_view one) const {
  uint32_t key = 0;
  for (char c : one)
    key = (key << 8) | static_cast<uint8_t>(c);
  if (key < ascii_.size() && ascii_[key].known)
    return ascii_[key];
  if (key >= ascii_.size()) {
    if (auto it = glyphs_.find(key); it != glyphs_.end())
      return it->second;
  }
  GlyphInfo info;
  info.known = true;
  cairo_glyph_t* glyphs = nullptr;
  int count = 0;
  if (cairo_scaled_font_text_to_glyphs(scaled_, 0, 0, one.data(), static_cast<int>(one.size()),
                                       &glyphs, &count, nullptr, nullptr,
                                       nullptr) == CAIRO_STATUS_SUCCESS) {
    if (count == 1) {
      cairo_text_extents_t e;
      cairo_scaled_font_glyph_extents(scaled_, glyphs, 1, &e);
      info.ok = cairo_scaled_font_status(scaled_) == CAIRO_STATUS_SUCCESS;
      info.index = glyphs[0].index;
      info.xAdvance = e.x_advance;
      info.yAdvance = e.y_advance;
      info.inkLeft = e.x_bearing;
      info.inkRight = e.x_bearing + e.width;
    }
    cairo_glyph_free(glyphs);
  }
  if (key < ascii_.size())
    return ascii_[key] = info;
  return glyphs_.emplace(key, info).first->second;
}

bool Font::PlaceGlyphs(std::string_view utf8, double x, double y,
                       std::vector<PlacedGlyph>& out) const {
  out.clear();
  return WalkGlyphs(utf8, x, y, [&](const GlyphInfo& g, double gx, double gy) {
    out.push_back({g.index, gx, gy, gx + g.inkLeft, gx + g.inkRight});
  });
}

std::vector<int> Font::Offsets(std::string_view utf8) const {
  std::vector<int> offsets(utf8.size() + 1, 0);
  if (utf8.empty() || !IsValidUtf8(utf8))
    return offsets;
  cairo_glyph_t* glyphs = nullptr;
  int glyphCount = 0;
  cairo_text_cluster_t* clusters = nullptr;
  int clusterCount = 0;
  cairo_text_cluster_flags_t flags{};
  if (cairo_scaled_font_text_to_glyphs(scaled_, 0, 0, utf8.data(), static_cast<int>(utf8.size()),
                                       &glyphs, &glyphCount, &clusters, &clusterCount,
                                       &flags) != CAIRO_STATUS_SUCCESS) {
    return offsets;
  }
  size_t byte = 0;
  int glyph = 0;
  for (int c = 0; c < clusterCount; ++c) {
    const int x = glyph < glyphCount ? Round(glyphs[glyph].x) : 0;
    for (int k = 0; k < clusters[c].num_bytes && byte < utf8.size(); ++k)
      offsets[byte++] = x;
    glyph += clusters[c].num_glyphs;
  }
  cairo_text_extents_t extents;
  cairo_scaled_font_glyph_extents(scaled_, glyphs, glyphCount, &extents);
  offsets[utf8.size()] = Round(extents.x_advance);
  cairo_glyph_free(glyphs);
  cairo_text_cluster_free(clusters);
  return offsets;
}

FontCache::FontCache() {
  config_ = FcInitLoadConfigAndFonts();
}

FontCache::~FontCache() {
  fonts_.clear();
  if (config_)
    FcConfigDestroy(config_);
}

bool FontCache::AddFontFile(const std::string& path) {
  if (!config_)
    return false;
  // fontconfig accepts any readable file here; a font it cannot read adds no face.
  FcFontSet* before = FcConfigGetFonts(config_, FcSetApplication);
  const int count = before ? before->nfont : 0;
  if (!FcConfigAppFontAddFile(config_, reinterpret_cast<const FcChar8*>(path.c_str())))
    return false;
  FcFontSet* after = FcConfigGetFonts(config_, FcSetApplication);
  if (!after || after->nfont <= count)
    return false;
  matches_.clear();
  fonts_.clear();
  return true;
}

FontCache::Match FontCache::Find(const std::string& face, int weight, bool italic) {
  const auto key = std::make_tuple(Lower(face), weight, italic);
  if (auto it = matches_.find(key); it != matches_.end())
    return it->second;

  std::string family = face;
  const std::string lower = Lower(face);
  for (const FaceAlias& alias : kAliases) {
    if (lower == alias.windows)
      family = alias.installed;
  }

  auto match = [&](const std::string& name) -> std::optional<Match> {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(std::clamp(weight, 1, 1000)));
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config_, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* found = config_ ? FcFontMatch(config_, pattern, &result) : nullptr;
    FcPatternDestroy(pattern);
    if (!found)
      return std::nullopt;
    Match m;
    m.family = PatternString(found, FC_FAMILY);
    m.file = PatternString(found, FC_FILE);
    m.index = PatternInt(found, FC_INDEX, 0);
    m.syntheticBold =
        weight >= 600 && PatternInt(found, FC_WEIGHT, FC_WEIGHT_REGULAR) < FC_WEIGHT_DEMIBOLD;
    m.syntheticItalic = italic && PatternInt(found, FC_SLANT, FC_SLANT_ROMAN) == FC_SLANT_ROMAN;
    FcPatternDestroy(found);
    if (m.file.empty())
      return std::nullopt;
    return m;
  };

  std::optional<Match> m = match(family);
  if (!m)
    m = match(kFallbackFamily);
  if (!m)
    throw std::runtime_error("no font is installed (fontconfig found none for \"" + face + "\")");
  matches_.emplace(key, *m);
  return *m;
}

std::string FontCache::MatchFamily(const std::string& face) {
  return Find(face, 400, false).family;
}

std::unique_ptr<Font> FontCache::Make(const FontSpec& spec) {
  const Match match = Find(spec.face, spec.weight, spec.italic);

  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FILE, reinterpret_cast<const FcChar8*>(match.file.c_str()));
  FcPatternAddInteger(pattern, FC_INDEX, match.index);
  cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(pattern);
  FcPatternDestroy(pattern);
  unsigned synth = 0;
  if (match.syntheticBold)
    synth |= CAIRO_FT_SYNTHESIZE_BOLD;
  if (match.syntheticItalic)
    synth |= CAIRO_FT_SYNTHESIZE_OBLIQUE;
  if (synth)
    cairo_ft_font_face_set_synthesize(face, synth);

  const DesignMetrics d = ReadDesignMetrics(face);
  const double cellUnits = d.winAscent + d.winDescent;
  // Logical heights are limited to what a screen can show; absurd stored values stay drawable.
  const int32_t height = std::clamp<int32_t>(spec.height, -2000, 2000);
  double em = 0;
  if (height < 0)
    em = -height;
  else if (height > 0)
    em = height * d.unitsPerEm / cellUnits;
  else
    em = kDefaultCellHeight * d.unitsPerEm / cellUnits;
  em = std::max(em, 1.0);
  const double scale = em / d.unitsPerEm;

  auto font = std::unique_ptr<Font>(new Font());
  font->spec_ = spec;
  font->family_ = match.family;
  font->file_ = match.file;
  font->emSize_ = em;

  FontMetrics& m = font->metrics_;
  m.ascent = Round(d.winAscent * scale);
  m.descent = Round(d.winDescent * scale);
  if (height > 0)
    m.descent = std::max(0, height - m.ascent);
  m.height = m.ascent + m.descent;
  m.internalLeading = std::max(0, m.height - Round(em));
  m.averageCharWidth = Round(d.avgCharWidth * scale);
  m.underlinePosition = std::max(1, Round(-d.underlinePosition * scale));
  m.underlineThickness = std::max(1, Round(d.underlineThickness * scale));
  m.strikeOutPosition = std::max(1, Round(d.strikeOutPosition * scale));
  m.strikeOutThickness = std::max(1, Round(d.strikeOutThickness * scale));

  double xScale = 1.0;
  if (spec.width > 0 && d.avgCharWidth > 0) {
    xScale = std::clamp(spec.width / (d.avgCharWidth * scale), 0.05, 20.0);
    m.averageCharWidth = spec.width;
  }

  cairo_matrix_t fontMatrix;
  cairo_matrix_init_scale(&fontMatrix, em * xScale, em);
  cairo_matrix_t ctm;
  cairo_matrix_init_identity(&ctm);
  // Every rendering option is fixed here so that text looks the same on every machine,
  // whatever the desktop's settings say.
  cairo_font_options_t* options = cairo_font_options_create();
  const bool mono = spec.quality == 3;
  cairo_font_options_set_antialias(options, mono ? CAIRO_ANTIALIAS_NONE : CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options,
                                    mono ? CAIRO_HINT_STYLE_FULL : CAIRO_HINT_STYLE_SLIGHT);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
  cairo_font_options_set_subpixel_order(options, CAIRO_SUBPIXEL_ORDER_RGB);
  font->scaled_ = cairo_scaled_font_create(face, &fontMatrix, &ctm, options);
  cairo_font_options_destroy(options);
  cairo_font_face_destroy(face);
  if (cairo_scaled_font_status(font->scaled_) != CAIRO_STATUS_SUCCESS)
    throw std::runtime_error("cannot open the font file " + match.file);
  return font;
}

const Font& FontCache::Get(const FontSpec& spec) {
  if (auto it = fonts_.find(spec); it != fonts_.end())
    return *it->second;
  if (fonts_.size() >= kMaxFonts)
    fonts_.clear();
  auto [it, inserted] = fonts_.emplace(spec, Make(spec));
  return *it->second;
}

}  // namespace qlm
