#include "player/ObjectPainter.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "document/ObjectFields.h"
#include "graphics/GifAnimation.h"
#include "graphics/PixelRows.h"
#include "graphics/TextLayout.h"
#include "script/ImageView.h"
#include "script/ListBoxControl.h"

namespace qlm {
namespace {

constexpr int32_t kCoordLimit = 1 << 28;
constexpr size_t kMaxCachedTexts = 4096;
constexpr size_t kMaxCachedMetafileBytes = size_t{128} << 20;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;

int32_t Clamp(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, -kCoordLimit, kCoordLimit));
}

uint32_t Colour(const ObjectRecord& o, ColourSlot slot) {
  return ObjectColour(o, slot) & 0xFFFFFF;
}

uint32_t KeyColour(const ObjectRecord& o, size_t stateImage) {
  return ImageKeyColour(o, stateImage) & 0xFFFFFF;
}

const Image24* StateImage(const ObjectRecord& o, int n) {
  const ObjectImage& image = o.stateImages[static_cast<size_t>(n)];
  if (!image.present || image.Image().Empty())
    return nullptr;
  return &image.Image();
}

}  // namespace

const ObjectRecord* PaintRuntime::FindAliasSource(const PageRecord& page, const std::string& name) {
  std::string_view object = name;
  if (const size_t sep = object.find("::"); sep != std::string_view::npos)
    object = object.substr(sep + 2);
  for (const ObjectRecord& candidate : page.objects) {
    if (candidate.name == object)
      return &candidate;
  }
  return nullptr;
}

ObjectPainter::ObjectPainter(FontCache& fonts, CodePage codePage)
    : fonts_(fonts), codePage_(std::move(codePage)) {}

IntRect ObjectPainter::ObjectRect(const ObjectRecord& o, const ObjectPaintState& s) {
  return {Clamp(int64_t{o.rect.left} + s.offsetX), Clamp(int64_t{o.rect.top} + s.offsetY),
          Clamp(int64_t{o.rect.right} + s.offsetX), Clamp(int64_t{o.rect.bottom} + s.offsetY)};
}

bool ObjectPainter::IsShown(const ObjectRecord& o) {
  return !IsHidden(o) && IsDrawable(o);
}

bool ObjectPainter::CoversOpaquely(const ObjectRecord& object, const ObjectPaintState& state,
                                   const IntRect& area) {
  return object.typeCode == kObjVideo && state.videoPicture && IsShown(object) &&
         ObjectRect(object, state).Covers(area);
}

void ObjectPainter::DrawVideoPicture(Canvas& canvas, const VideoPicture& picture,
                                     const IntRect& rect) {
  if (picture.width == rect.Width() && picture.height == rect.Height()) {
    if (const std::optional<Canvas::Rows> rows = canvas.RowsOf(rect)) {
      picture.ConvertInto(rows->first, rows->stride);
      for (int y = 0; y < picture.height; ++y) {
        uint32_t* row = rows->first + y * rows->stride;
        PixelRows::CopyOpaque(row, static_cast<size_t>(picture.width), row);
      }
      return;
    }
  }
  canvas.DrawPixels(picture.Pixels(), picture.width, picture.height, rect);
}

bool ObjectPainter::IsWindowedKind(int32_t kind) {
  switch (kind) {
    case kObjImage:
    case kObjVideo:
    case kObjProgram:
    case kObjBrowser:
    case kObjFlash:
    case kObjListBox:
      return true;
    default:
      return false;
  }
}

FontSpec ObjectPainter::FontOf(const ObjectFont& f) {
  FontSpec spec;
  spec.face = f.faceName.empty() ? "Arial" : f.faceName;
  spec.height = f.height;
  spec.width = f.width;
  spec.weight = f.weight == 0 ? 400 : f.weight;
  spec.italic = f.italic != 0;
  spec.underline = f.underline != 0;
  spec.strikeOut = f.strikeOut != 0;
  spec.quality = f.quality;
  return spec;
}

std::vector<std::string> ObjectPainter::TextLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string current;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      // Texts carry CR LF breaks; the CR goes with the break.
      if (!current.empty() && current.back() == '\r')
        current.pop_back();
      lines.push_back(std::move(current));
      current.clear();
    } else if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
      lines.push_back(std::move(current));
      current.clear();
      ++i;
    } else {
      current += text[i];
    }
  }
  lines.push_back(std::move(current));
  return lines;
}

std::string ObjectPainter::ToUtf8(const std::string& text) {
  const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
  if (ascii)
    return text;
  if (auto it = utf8Cache_.find(text); it != utf8Cache_.end())
    return it->second;
  if (utf8Cache_.size() >= kMaxCachedTexts)
    utf8Cache_.clear();
  return utf8Cache_.emplace(text, codePage_.ToUtf8(text)).first->second;
}

void ObjectPainter::DrawObject(Canvas& canvas, const ObjectRecord& o, const ObjectPaintState& s,
                               PaintRuntime& runtime, DrawObjectFlags flags) {
  const IntRect r = ObjectRect(o, s);
  // Rectangle borders lie on the right and bottom coordinates, one pixel outside.
  if (!r.Inflate(1).Intersects(canvas.Clip()))
    return;
  const bool shown = flags.force || ((flags.ignoreHidden || !IsHidden(o)) && IsDrawable(o));
  if (o.typeCode == kObjPlugIn) {
    // A plug-in draws itself whenever it is asked to.
    DrawPlugIn(canvas, o, r, runtime, shown);
    return;
  }
  if (!shown)
    return;
  switch (o.typeCode) {
    case kObjText:
      DrawText(canvas, o, r, s);
      break;
    case kObjRectangle:
      DrawRectangle(canvas, o, r);
      break;
    case kObjImage:
      DrawImageObject(canvas, o, r, s);
      break;
    case kObjButton:
      DrawButton(canvas, o, r, s);
      break;
    case kObjLine:
      DrawLine(canvas, o, r);
      break;
    case kObjCircle:
      DrawEllipse(canvas, o, r);
      break;
    case kObjTextButton:
      DrawTextButton(canvas, o, r, s);
      break;
    case kObjVideo:
      DrawVideo(canvas, o, r, s);
      break;
    case kObjPolygon:
      DrawPolygon(canvas, o, r);
      break;
    case kObjParagraph:
      DrawParagraph(canvas, o, r, s);
      break;
    case kObjMetafile:
      DrawMetafile(canvas, o, r);
      break;
    case kObjAnimatedGif:
      DrawPicture(canvas, o, r, s, runtime);
      break;
    case kObjGrid:
      DrawGrid(canvas, o, r, s);
      break;
    case kObjInputField:
      DrawInputField(canvas, o, r, s);
      break;
    case kObjListBox:
      DrawListBox(canvas, o, r, s);
      break;
    case kObjProgram:
      DrawProgram(canvas, o, r);
      break;
    case kObjBrowser:
      DrawBrowser(canvas, o, r, s);
      break;
    case kObjFlash:
      DrawFlash(canvas, o, r);
      break;
    default:
      // Hot spots, scripts, timers, MCI objects and the kinds without a look of their own.
      break;
  }
}

void ObjectPainter::DrawText(Canvas& canvas, const ObjectRecord& o, const IntRect& r,
                             const ObjectPaintState& s) {
  if (o.text.empty())
    return;
  const Font& font = fonts_.Get(FontOf(o.font));
  uint32_t color = Colour(o, ColourSlot::kText);
  if (s.highlight == Highlight::Hover)
    color = Colour(o, ColourSlot::kHoverText);
  else if (s.highlight == Highlight::Pressed)
    color = Colour(o, ColourSlot::kPressedText);
  const std::vector<std::string> lines = TextLines(o.text);
  const int lineHeight = font.Metrics().height;
  const bool centreEach = CentresEachLine(o);
  const int box = lines.empty() ? 0 : r.Height() / static_cast<int>(lines.size());
  Canvas::ClipScope clip(canvas, r);
  for (size_t i = 0; i < lines.size(); ++i) {
    const int n = static_cast<int>(i);
    int top = r.top + n * lineHeight;
    if (centreEach)
      top = r.top + n * box + (box - lineHeight) / 2;
    if (top >= canvas.Clip().bottom)
      break;
    if (lines[i].empty() || top + lineHeight <= canvas.Clip().top)
      continue;
    const std::string text = ToUtf8(lines[i]);
    int x = r.left;
    if (TextAlign(o) == 1)
      x = r.left + (r.Width() - font.TextWidth(text)) / 2;
    else if (TextAlign(o) == 2)
      x = r.right - font.TextWidth(text);
    canvas.DrawText(font, text, x, top, color);
  }
}

void ObjectPainter::DrawRectangle(Canvas& canvas, const ObjectRecord& o, const IntRect& r) {
  canvas.FillRect(r, Colour(o, ColourSlot::kFill));
  switch (BorderStyle(o)) {
    case object_border::kLine: {
      const uint32_t c = Colour(o, ColourSlot::kBorder);
      canvas.Line({r.left, r.top}, {r.right, r.top}, c);
      canvas.Line({r.right, r.top}, {r.right, r.bottom}, c);
      canvas.Line({r.right, r.bottom}, {r.left, r.bottom}, c);
      canvas.Line({r.left, r.bottom}, {r.left, r.top}, c);
      break;
    }
    case object_border::kRaised:
      canvas.Edge(r, EdgeStyle::Raised);
      break;
    case object_border::kSunken:
      canvas.Edge(r, EdgeStyle::Sunken);
      break;
    default:
      break;
  }
}

void ObjectPainter::DrawImageObject(Canvas& canvas, const ObjectRecord& o, const IntRect& r,
                                    const ObjectPaintState& s) {
  const Image24* image = s.picture ? s.picture : StateImage(o, 1);
  if (ImageState(o) == 1 && StateImage(o, 2))
    image = StateImage(o, 2);
  const double opacity = std::isnan(o.ratio) ? 1.0 : std::clamp(o.ratio, 0.0, 1.0);
  if (s.imageView) {
    DrawImageView(canvas, *s.imageView, image, r, opacity);
    return;
  }
  if (!image)
    return;
  ImageDrawOptions options;
  options.opacity = opacity;
  canvas.DrawImage(*image, r, options);
}

// A view stays inside the object's rectangle: the background colour, when in use, fills it
// opaque, and the picture goes over it scaled, turned and blended.
void ObjectPainter::DrawImageView(Canvas& canvas, const ImageView& view, const Image24* stored,
                                  const IntRect& r, double opacity) {
  Canvas::ClipScope clip(canvas, r);
  if (canvas.Clip().Empty())
    return;
  if (view.UsesBackground())
    canvas.FillRect(r, view.Background());
  const Image24* picture = view.Picture() ? view.Picture() : stored;
  if (picture)
    canvas.DrawImagePlaced(*picture, view.Placement(r), opacity);
}

void ObjectPainter::DrawButton(Canvas& canvas, const ObjectRecord& o, const IntRect& r,
                               const ObjectPaintState& s) {
  const bool pressed = s.highlight == Highlight::Pressed;
  canvas.Edge(r, pressed ? EdgeStyle::ButtonDown : EdgeStyle::ButtonUp);
  const IntRect inside = r.Inflate(-2);
  canvas.FillRect(inside, kButtonFaceColor);
  const Image24* image = StateImage(o, 1);
  if (s.highlight == Highlight::Hover && StateImage(o, 2))
    image = StateImage(o, 2);
  if (pressed && StateImage(o, 3))
    image = StateImage(o, 3);
  const int shift = pressed ? 1 : 0;
  if (image) {
    const int w = static_cast<int>(std::min<uint32_t>(image->width, kCoordLimit));
    const int h = static_cast<int>(std::min<uint32_t>(image->height, kCoordLimit));
    const IntRect at = IntRect::FromSize(inside.left + (inside.Width() - w) / 2 + shift,
                                         inside.top + (inside.Height() - h) / 2 + shift, w, h);
    Canvas::ClipScope clip(canvas, inside);
    ImageDrawOptions options;
    if (HasImageKey(o, 1))
      options.keyColor = KeyColour(o, 1);
    canvas.DrawImage(*image, at, options);
  } else if (!o.text.empty()) {
    const Font& font = fonts_.Get(FontOf(o.font));
    Canvas::ClipScope clip(canvas, inside);
    DrawCentredLine(canvas, font, ToUtf8(o.text), inside.Offset(shift, shift),
                    Colour(o, ColourSlot::kLabel));
  }
  if (s.highlight != Highlight::Normal) {
    canvas.FocusRect(r.Inflate(-3));
    canvas.FrameRect(r, kBlack);
  }
}

void ObjectPainter::DrawLine(Canvas& canvas, const ObjectRecord& o, const IntRect& r) {
  if (!LineRises(o))
    canvas.Line({r.left, r.top}, {r.right - 1, r.bottom - 1}, Colour(o, ColourSlot::kFill));
  else
    canvas.Line({r.left, r.bottom - 1}, {r.right - 1, r.top}, Colour(o, ColourSlot::kFill));
}

void ObjectPainter::DrawEllipse(Canvas& canvas, const ObjectRecord& o, const IntRect& r) {
  const uint32_t border = BorderStyle(o);
  const uint32_t fill = Colour(o, ColourSlot::kFill);
  if (border == object_border::kRaised || border == object_border::kSunken) {
    canvas.Ellipse(r, fill, std::nullopt);
    // Concentric outlines from the outside in; sunken swaps the light and the dark tones.
    const uint32_t raised[] = {0xFFFFFF, 0xE0E0E0, 0x404040, 0x808080};
    const uint32_t sunken[] = {0x404040, 0x808080, 0xFFFFFF, 0xE0E0E0};
    const uint32_t* tones = border == object_border::kRaised ? raised : sunken;
    for (int i = 0; i < 4; ++i)
      canvas.Ellipse(r.Inflate(-i), std::nullopt, tones[i]);
  } else if (border == object_border::kLine) {
    canvas.Ellipse(r, fill, Colour(o, ColourSlot::kBorder));
  } else {
    canvas.Ellipse(r, fill, std::nullopt);
  }
}

void ObjectPainter::DrawPolygon(Canvas& canvas, const ObjectRecord& o, const IntRect& r) {
  // Points are relative to the rectangle's top-left corner, so the polygon moves with it.
  std::vector<IntPoint> points;
  points.reserve(o.points1.size());
  for (const IntPoint& p : o.points1)
    points.push_back({Clamp(int64_t{p.x} + r.left), Clamp(int64_t{p.y} + r.top)});
  std::optional<uint32_t> outline;
  if (BorderStyle(o) == object_border::kLine)
    outline = Colour(o, ColourSlot::kBorder);
  canvas.Polygon(points, Colour(o, ColourSlot::kFill), outline);
}

const std::vector<std::string>& ObjectPainter::ParagraphLines(const ObjectRecord& o, int width) {
  const FontSpec spec = FontOf(o.font);
  ParagraphLayout& layout = paragraphs_[&o];
  if (layout.lines.empty() || layout.text != o.text || layout.width != width ||
      !(layout.font == spec)) {
    if (paragraphs_.size() > kMaxCachedTexts) {
      paragraphs_.clear();
      return ParagraphLines(o, width);
    }
    layout.text = o.text;
    layout.width = width;
    layout.font = spec;
    layout.lines = WrapText(fonts_.Get(spec), ToUtf8(o.text), width);
  }
  return layout.lines;
}

int ObjectPainter::ParagraphLineHeight(const ObjectRecord& o) {
  return std::max(1, fonts_.Get(FontOf(o.font)).Metrics().height);
}

int ObjectPainter::ParagraphScrollLimit(const ObjectRecord& o, const IntRect& r) {
  return static_cast<int>(
      std::min<int64_t>(ParagraphScrollBar(o, r, 0).MaxPosition(), kCoordLimit));
}

ScrollBar ObjectPainter::ParagraphScrollBar(const ObjectRecord& o, const IntRect& r,
                                            int64_t scroll) {
  const int width = std::max(0, r.Width() - kParagraphRightMargin);
  if (o.text.empty() || width == 0)
    return {};
  const int64_t content =
      static_cast<int64_t>(ParagraphLines(o, width).size()) * ParagraphLineHeight(o);
  const IntRect bar{std::max(r.left, r.right - ScrollBar::kWidth), r.top, r.right, r.bottom};
  return ScrollBar(bar, content, r.Height(), scroll);
}

void ObjectPainter::DrawParagraph(Canvas& canvas, const ObjectRecord& o, const IntRect& r,
                                  const ObjectPaintState& s) {
  if (o.text.empty())
    return;
  IntRect area = r;
  area.right = std::max(area.left, area.right - kParagraphRightMargin);
  if (area.Empty())
    return;
  const int64_t scroll = s.scroll ? *s.scroll : ParagraphScroll(o);
  DrawParagraphLines(canvas, o, area, scroll);
  ParagraphScrollBar(o, r, scroll).Draw(canvas);
}

void ObjectPainter::DrawParagraphLines(Canvas& canvas, const ObjectRecord& o, const IntRect& area,
                                       int64_t scroll) {
  const std::vector<std::string>& lines = ParagraphLines(o, area.Width());
  const Font& font = fonts_.Get(FontOf(o.font));
  const int lineHeight = std::max(1, font.Metrics().height);
  Canvas::ClipScope clip(canvas, area);
  if (canvas.Clip().Empty())
    return;
  // Only the lines that meet the clip are drawn.
  const int64_t firstVisible = (int64_t{canvas.Clip().top} - area.top + scroll) / lineHeight;
  const size_t first = static_cast<size_t>(std::max<int64_t>(0, firstVisible - 1));
  for (size_t i = first; i < lines.size(); ++i) {
    const int64_t top = area.top - scroll + static_cast<int64_t>(i) * lineHeight;
    if (top >= canvas.Clip().bottom)
      break;
    if (lines[i].empty())
      continue;
    int x = area.left;
    if (TextAlign(o) == 1)
      x = area.left + (area.Width() - font.TextWidth(lines[i])) / 2;
    else if (TextAlign(o) == 2)
      x = area.right - font.TextWidth(lines[i]);
    canvas.DrawText(font, lines[i], x, Clamp(top), Colour(o, ColourSlot::kText));
  }
}

void ObjectPainter::DrawCentredLine(Canvas& canvas, const Font& font, const std::string& utf8,
                                    const IntRect& rect, uint32_t color) {
  const int x = rect.left + (rect.Width() - font.TextWidth(utf8)) / 2;
  const int top = rect.top + (rect.Height() - font.Metrics().height) / 2;
  canvas.DrawText(font, utf8, x, top, color);
}

void ObjectPainter::DrawTextButton(Canvas& canvas, const ObjectRecord& o, const IntRect& outer,
                                   const ObjectPaintState& s) {
  const IntRect r = outer.Inflate(-1);
  FontSpec spec;
  if (UsesOwnFont(o)) {
    spec = FontOf(o.font);
  } else {
    spec.face = kButtonFace;
    spec.height = 10;
    spec.weight = 400;
  }
  const Font& font = fonts_.Get(spec);
  const std::string text = ToUtf8(o.text);
  const bool lit = s.highlight != Highlight::Normal;
  if (IsFlatButton(o)) {
    // Flat: a coloured box under the pointer, text left-aligned 10 pixels in.
    uint32_t color = Colour(o, ColourSlot::kLabel);
    if (lit) {
      canvas.FillRect(r, Colour(o, ColourSlot::kHighlightFill));
      color = HighlightTextColour(o) & 0xFFFFFF;
    }
    Canvas::ClipScope clip(canvas, r);
    const int top = r.top + (r.Height() - font.Metrics().height) / 2;
    canvas.DrawText(font, text, r.left + 10, top, color);
    return;
  }
  const bool pressed = s.highlight == Highlight::Pressed;
  canvas.Edge(r, pressed ? EdgeStyle::ButtonDown : EdgeStyle::ButtonUp);
  canvas.FillRect(r.Inflate(-2), Colour(o, ColourSlot::kFill));
  if (lit) {
    canvas.FocusRect(r.Inflate(-3));
    canvas.FrameRect(r, kBlack);
  }
  Canvas::ClipScope clip(canvas, r.Inflate(-2));
  const int shift = pressed ? 1 : 0;
  DrawCentredLine(canvas, font, text, r.Offset(shift, shift), Colour(o, ColourSlot::kLabel));
}

void ObjectPainter::DrawVideo(Canvas& canvas, const ObjectRecord& o, const IntRect& r,
                              const ObjectPaintState& s) {
  if (const VideoPicture* picture = s.videoPicture) {
    DrawVideoPicture(canvas, *picture, r);
    return;
  }
  if (s.videoPlaying)
    return;
  const Image24* still = s.picture ? s.picture : StateImage(o, 1);
  if (!still)
    return;
  ImageDrawOptions options;
  if (HasImageKey(o, 1)) {
    options.keyColor = KeyColour(o, 1);
  } else if (UsesMask(o)) {
    if (o.mask.present && !o.mask.Image().Empty())
      options.mask = &o.mask.Image();
    else if (const Image24* third = StateImage(o, 3))
      options.mask = third;
  }
  canvas.DrawImage(*still, r, options);
}

void ObjectPainter::DrawGrid(Canvas& canvas, const ObjectRecord& o, const IntRect& r,
                             const ObjectPaintState& s) {
  const Image24* a = StateImage(o, 1);
  if (!a || !s.gridCells)
    return;
  const uint64_t columns = GridColumns(o), rows = GridRows(o);
  const int64_t cellW = a->width, cellH = a->height;
  const uint64_t count = std::min<uint64_t>(s.gridCells->size(), columns * rows);
  if (columns == 0 || count == 0)
    return;
  // Only the rows that can meet the clip are walked.
  const IntRect clip = canvas.Clip();
  const uint64_t firstRow =
      static_cast<uint64_t>(std::max<int64_t>(0, (int64_t{clip.top} - r.top) / cellH - 1));
  for (uint64_t row = firstRow; row < rows; ++row) {
    const int64_t y = r.top + static_cast<int64_t>(row) * cellH;
    if (y >= clip.bottom)
      break;
    for (uint64_t col = 0; col < columns; ++col) {
      const uint64_t index = row * columns + col;
      if (index >= count)
        return;
      const uint8_t cell = (*s.gridCells)[index];
      if (cell < 1 || cell > 3)
        continue;
      const Image24* image = StateImage(o, cell);
      if (!image)
        continue;
      const int64_t x = r.left + static_cast<int64_t>(col) * cellW;
      if (x >= clip.right)
        break;
      ImageDrawOptions options;
      if (HasImageKey(o, cell))
        options.keyColor = KeyColour(o, cell);
      canvas.DrawImage(
          *image, IntRect::FromSize(Clamp(x), Clamp(y), Clamp(image->width), Clamp(image->height)),
          options);
    }
  }
}

void ObjectPainter::DrawPicture(Canvas& canvas, const ObjectRecord& o, const IntRect& r,
                                const ObjectPaintState& s, PaintRuntime& runtime) {
  if (s.picture) {
    canvas.DrawImage(*s.picture, r);
    return;
  }
  if (o.gifData.empty()) {
    // Records without GIF bytes show their state image A.
    if (const Image24* image = StateImage(o, 1))
      canvas.DrawImage(*image, r);
    return;
  }
  ImageDrawOptions options;
  const std::optional<const GifCanvas*> screen = runtime.GifScreen(o);
  if (screen) {
    if (*screen) {
      options.mask = &(*screen)->Mask();
      canvas.DrawImage((*screen)->Colours(), r, options);
    }
    return;
  }
  // Drawn without a player (thumbnails, tools): the first frame.
  if (const std::optional<GifAnimation> gif = GifAnimation::Decode(o.gifData)) {
    const GifCanvas first(*gif);
    options.mask = &first.Mask();
    canvas.DrawImage(first.Colours(), r, options);
  }
}

// The stored metafile stretched to the rectangle, drawn once for each size and kept.
void ObjectPainter::DrawMetafile(Canvas& canvas, const ObjectRecord& o, const IntRect& r) {
  if (!metafileRenderer_ || !o.hasMetafile || o.metafile.empty() || r.Empty())
    return;
  uint64_t hash = 14695981039346656037ull;  // FNV-1a: a record replaced at the same address
  for (uint8_t byte : o.metafile)           // with other bytes draws again
    hash = (hash ^ byte) * 1099511628211ull;
  if (metafileBytes_ > kMaxCachedMetafileBytes) {
    metafiles_.clear();
    metafileBytes_ = 0;
  }
  MetafilePicture& picture = metafiles_[&o];
  if (picture.data != o.metafile.data() || picture.size != o.metafile.size() ||
      picture.hash != hash || picture.width != r.Width() || picture.height != r.Height()) {
    if (picture.image)
      metafileBytes_ -= picture.image->pixels.size() * 4;
    picture = {o.metafile.data(), o.metafile.size(), hash, r.Width(), r.Height(), std::nullopt};
    picture.image = metafileRenderer_->Render(o.metafile, r.Width(), r.Height());
    if (picture.image)
      metafileBytes_ += picture.image->pixels.size() * 4;
  }
  if (picture.image)
    canvas.DrawArgb(*picture.image, {r.left, r.top});
}

void ObjectPainter::DrawPlugIn(Canvas& canvas, const ObjectRecord& o, const IntRect& r,
                               PaintRuntime& runtime, bool shown) {
  if (runtime.DrawPlugIn(o, canvas, r) || !shown)
    return;
  const std::string text =
      o.text.empty() ? std::string("PlugIn (empty)") : "Can't find " + runtime.PlugInFileName(o);
  const Font& font = fonts_.Get(FontOf(o.font));
  DrawCentredLine(canvas, font, ToUtf8(text), r, kBlack);
}

void ObjectPainter::DrawControlFrame(Canvas& canvas, const IntRect& r) {
  canvas.Edge(r, EdgeStyle::Sunken);
  canvas.FillRect(r.Inflate(-2), kWhite);
}

// No Flash engine exists to play the movie: the frame says which movie it would show and that
// it cannot, on two lines centred together.
void ObjectPainter::DrawFlash(Canvas& canvas, const ObjectRecord& o, const IntRect& r) {
  DrawControlFrame(canvas, r);
  const IntRect inside = r.Inflate(-2);
  const Font& font = fonts_.Get(FontOf(o.font));
  const int lineHeight = font.Metrics().height;
  Canvas::ClipScope clip(canvas, inside);
  const int middle = inside.top + inside.Height() / 2;
  DrawCentredLine(canvas, font, ToUtf8(FlashMovieFile(o)),
                  {inside.left, middle - lineHeight, inside.right, middle}, kBlack);
  DrawCentredLine(canvas, font, "Flash content cannot be shown",
                  {inside.left, middle, inside.right, middle + lineHeight}, kBlack);
}

// The frame of a program object, naming its program, until the program's window covers it
// (and where no window can be held).
void ObjectPainter::DrawProgram(Canvas& canvas, const ObjectRecord& o, const IntRect& r) {
  DrawControlFrame(canvas, r);
  const IntRect inside = r.Inflate(-2);
  Canvas::ClipScope clip(canvas, inside);
  DrawCentredLine(canvas, fonts_.Get(FontOf(o.font)), ToUtf8(ProgramFile(o)), inside, kBlack);
}

// The page as the engine rendered it; without one, the frame with the address the object shows
// (its own text until it went anywhere).
void ObjectPainter::DrawBrowser(Canvas& canvas, const ObjectRecord& o, const IntRect& r,
                                const ObjectPaintState& s) {
  if (s.webPage) {
    Canvas::ClipScope clip(canvas, r);
    canvas.DrawArgb(*s.webPage, {r.left, r.top});
    return;
  }
  DrawControlFrame(canvas, r);
  const IntRect inside = r.Inflate(-2);
  Canvas::ClipScope clip(canvas, inside);
  const std::string address = s.webAddress.empty() ? ToUtf8(BrowserAddressText(o)) : s.webAddress;
  DrawCentredLine(canvas, fonts_.Get(FontOf(o.font)), address, inside, kBlack);
}

int ObjectPainter::FieldBorderWidth(const ObjectRecord& o) {
  switch (BorderStyle(o)) {
    case object_border::kLine:
    case object_border::kSunken:
      return 1;
    case object_border::kRaised:
      return 2;
    default:
      return 0;
  }
}

ObjectPainter::FieldLayout ObjectPainter::LayoutInputField(const ObjectRecord& o,
                                                           const IntRect& r) {
  constexpr int kMargin = 2;
  FieldLayout layout;
  const int border = FieldBorderWidth(o);
  layout.area = {r.left + border + kMargin, r.top + border, r.right - border - kMargin,
                 r.bottom - border};
  const Font& font = fonts_.Get(FontOf(o.font));
  layout.lineHeight = std::max(1, font.Metrics().height);
  layout.top = layout.area.top + (layout.area.Height() - layout.lineHeight) / 2;
  layout.starts = codePage_.CharacterStarts(o.text);
  layout.starts.push_back(o.text.size());
  const size_t characters = layout.starts.size() - 1;
  if (IsPasswordField(o)) {
    layout.shown.assign(characters, '*');
    const int star = font.TextWidth("*");
    for (size_t i = 0; i <= characters; ++i)
      layout.x.push_back(static_cast<int>(std::min<size_t>(i, 1 << 20)) * star);
    return layout;
  }
  // Each character converted on its own, so its place in the UTF-8 text is known.
  std::vector<size_t> utf8At;
  utf8At.reserve(layout.starts.size());
  for (size_t i = 0; i < characters; ++i) {
    utf8At.push_back(layout.shown.size());
    layout.shown +=
        ToUtf8(o.text.substr(layout.starts[i], layout.starts[i + 1] - layout.starts[i]));
  }
  utf8At.push_back(layout.shown.size());
  const std::vector<int> offsets = font.Offsets(layout.shown);
  for (size_t at : utf8At)
    layout.x.push_back(at < offsets.size() ? offsets[at] : 0);
  return layout;
}

void ObjectPainter::DrawInputField(Canvas& canvas, const ObjectRecord& o, const IntRect& r,
                                   const ObjectPaintState& s) {
  // The field's own colour when it asks for it, else the window colour of an edit box.
  const int border = FieldBorderWidth(o);
  canvas.FillRect(r.Inflate(-border),
                  DrawsOwnBackground(o) ? Colour(o, ColourSlot::kFill) : kWhite);
  switch (BorderStyle(o)) {
    case object_border::kLine:
      canvas.FrameRect(r, Colour(o, ColourSlot::kBorder));
      break;
    case object_border::kRaised:
      canvas.Edge(r, EdgeStyle::Sunken);
      break;
    case object_border::kSunken:
      canvas.Line({r.left, r.top}, {r.right - 1, r.top}, 0x808080);
      canvas.Line({r.left, r.top}, {r.left, r.bottom - 1}, 0x808080);
      canvas.Line({r.left, r.bottom - 1}, {r.right, r.bottom - 1}, kWhite);
      canvas.Line({r.right - 1, r.top}, {r.right - 1, r.bottom}, kWhite);
      break;
    default:
      break;
  }
  const FieldLayout layout = LayoutInputField(o, r);
  const Font& font = fonts_.Get(FontOf(o.font));
  const FieldView* view = s.field;
  const int left = layout.area.left - (view ? view->scrollX : 0);
  Canvas::ClipScope clip(canvas, layout.area);
  const uint32_t textColour = Colour(o, ColourSlot::kFieldText);
  if (!layout.shown.empty())
    canvas.DrawText(font, layout.shown, left, layout.top, textColour);
  if (!view)
    return;
  auto penAt = [&](size_t offset) {
    const auto it = std::lower_bound(layout.starts.begin(), layout.starts.end(), offset);
    const size_t i = static_cast<size_t>(it - layout.starts.begin());
    return left + (i < layout.x.size() ? layout.x[i] : layout.x.back());
  };
  const int lineBottom = layout.top + layout.lineHeight;
  if (view->selectionEnd > view->selectionStart) {
    // The selected characters in the selection colours: the text again, clipped to them.
    const IntRect selected{penAt(view->selectionStart), layout.top, penAt(view->selectionEnd),
                           lineBottom};
    Canvas::ClipScope selectionClip(canvas, selected);
    canvas.FillRect(selected, kSelectionColor);
    canvas.DrawText(font, layout.shown, left, layout.top, kSelectedTextColor);
  }
  const int caretX = penAt(view->caret);
  if (!view->composition.empty()) {
    // Text still being composed covers what follows the caret, underlined.
    const int width = font.TextWidth(view->composition);
    const IntRect box{caretX, layout.top, caretX + width, lineBottom};
    canvas.FillRect(box, DrawsOwnBackground(o) ? Colour(o, ColourSlot::kFill) : kWhite);
    canvas.DrawText(font, view->composition, caretX, layout.top, textColour);
    canvas.FillRect({box.left, lineBottom - 1, box.right, lineBottom}, textColour);
  }
  canvas.FillRect({caretX, layout.top, caretX + 1, lineBottom}, textColour);
}

int ObjectPainter::ListBoxRowHeight(const ObjectRecord& object) {
  return std::max(1, fonts_.Get(FontOf(object.font)).Metrics().height);
}

IntRect ObjectPainter::ListBoxRows(const IntRect& rect, size_t count, int rowHeight) {
  IntRect rows = ListBoxInside(rect);
  if (count > static_cast<size_t>(ListBoxVisibleRows(rect, rowHeight)))
    rows.right = std::max(rows.left, rows.right - ScrollBar::kWidth);
  return rows;
}

ScrollBar ObjectPainter::ListBoxScrollBar(const IntRect& rect, size_t count, size_t top,
                                          int rowHeight) {
  const IntRect inside = ListBoxInside(rect);
  const IntRect bar{std::max(inside.left, inside.right - ScrollBar::kWidth), inside.top,
                    inside.right, inside.bottom};
  return ScrollBar(bar, static_cast<int64_t>(std::min<uint64_t>(count, INT64_MAX)),
                   ListBoxVisibleRows(rect, rowHeight),
                   static_cast<int64_t>(std::min<uint64_t>(top, INT64_MAX)));
}

void ObjectPainter::DrawListBox(Canvas& canvas, const ObjectRecord& o, const IntRect& r,
                                const ObjectPaintState& s) {
  const ListBoxControl* list = s.listBox;
  canvas.Edge(r, EdgeStyle::Sunken);
  const IntRect inside = ListBoxInside(r);
  canvas.FillRect(inside, list ? list->background & 0xFFFFFF : kWhite);
  const int lineHeight = ListBoxRowHeight(o);
  const size_t count = list ? list->Size() : o.stringList.size();
  const size_t first = list ? list->TopIndex() : 0;
  DrawListBoxRows(canvas, o, ListBoxRows(r, count, lineHeight), s);
  ListBoxScrollBar(r, count, first, lineHeight).Draw(canvas);
}

void ObjectPainter::DrawListBoxRows(Canvas& canvas, const ObjectRecord& o, const IntRect& inside,
                                    const ObjectPaintState& s) {
  const ListBoxControl* list = s.listBox;
  const Font& font = fonts_.Get(FontOf(o.font));
  const int lineHeight = ListBoxRowHeight(o);
  const size_t count = list ? list->Size() : o.stringList.size();
  const size_t first = list ? list->TopIndex() : 0;
  const uint32_t textColour = list ? list->textColour & 0xFFFFFF : kBlack;
  Canvas::ClipScope clip(canvas, inside);
  for (size_t i = first; i < count; ++i) {
    const int64_t top = inside.top + static_cast<int64_t>(i - first) * lineHeight;
    if (top >= canvas.Clip().bottom)
      break;
    const IntRect row{inside.left, Clamp(top), inside.right, Clamp(top + lineHeight)};
    if (!list) {
      canvas.DrawText(font, ToUtf8(o.stringList[i]), inside.left + 2, row.top, kBlack);
      continue;
    }
    const ListBoxItem& item = list->Items()[i];
    uint32_t colour = textColour;
    if (item.selected) {
      canvas.FillRect(row, kSelectionColor);
      colour = kSelectedTextColor;
    }
    std::string text = ToUtf8(item.text);
    if (!list->hideNumbers)
      text = std::to_string(i + 1) + ". " + text;
    canvas.DrawText(font, text, inside.left + 2, row.top, colour);
    if (!list->hideTimes && !item.info.empty()) {
      const std::string info = ToUtf8(item.info);
      canvas.DrawText(font, info, inside.right - 2 - font.TextWidth(info), row.top, colour);
    }
  }
}

}  // namespace qlm
