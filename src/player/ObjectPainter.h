#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "document/ObjectRecord.h"
#include "graphics/Canvas.h"
#include "graphics/Font.h"
#include "graphics/Geometry.h"
#include "graphics/MetafileRenderer.h"
#include "platform/CodePage.h"
#include "player/PaintRuntime.h"
#include "player/ScrollBar.h"

namespace qlm {

// How DrawObject treats the visibility fields.
struct DrawObjectFlags {
  bool force = false;         // draw even when hidden or not drawable
  bool ignoreHidden = false;  // an alias draws its source even when the source is hidden
};

// The drawing step of every object kind. Texts are converted from the presentation's code page
// only here, for drawing.
class ObjectPainter {
 public:
  // The font of text buttons that do not use their own.
  static constexpr const char* kButtonFace = "MS Sans Serif";
  // Paragraph text keeps this many pixels free at the right edge.
  static constexpr int kParagraphRightMargin = 15;
  // Face colour of framed buttons and windowed controls.
  static constexpr uint32_t kButtonFaceColor = 0xC0C0C0;

  ObjectPainter(FontCache& fonts, CodePage codePage);

  // Draws the object when its rectangle (moved by the state's offset) meets the canvas's clip
  // and it is drawable and not hidden, or flags say otherwise.
  void DrawObject(Canvas& canvas, const ObjectRecord& object, const ObjectPaintState& state,
                  PaintRuntime& runtime, DrawObjectFlags flags = {});

  // The object's rectangle moved by its offset, limited to a range where sums cannot overflow.
  static IntRect ObjectRect(const ObjectRecord& object, const ObjectPaintState& state);
  // Not hidden (object value 10) and drawable (object value 12).
  static bool IsShown(const ObjectRecord& object);
  // Whether drawing the object (as DrawObject would) covers every pixel of `area` with pixels
  // of its own, so that nothing drawn before it shows there: a shown video with a picture.
  static bool CoversOpaquely(const ObjectRecord& object, const ObjectPaintState& state,
                             const IntRect& area);
  // A video picture stretched to `rect`; converted straight into the surface when it has the
  // rectangle's size and the clip holds all of it.
  static void DrawVideoPicture(Canvas& canvas, const VideoPicture& picture, const IntRect& rect);
  // Kinds that hold a child window while their page runs.
  static bool IsWindowedKind(int32_t kind);
  // The font an object asks for.
  static FontSpec FontOf(const ObjectFont& font);
  // The lines of a text object: cut at LF (a CR before it goes too) and at backslash-n.
  static std::vector<std::string> TextLines(const std::string& text);

  // Height of one row of a list box in its font.
  int ListBoxRowHeight(const ObjectRecord& object);
  // Inside a list box's sunken frame.
  static IntRect ListBoxInside(const IntRect& rect) { return rect.Inflate(-2); }
  // How many whole rows a list box drawn at `rect` shows (at least 1).
  static int ListBoxVisibleRows(const IntRect& rect, int rowHeight) {
    return std::max(1, ListBoxInside(rect).Height() / std::max(1, rowHeight));
  }
  // Where the rows of a list box of `count` rows lie: inside its frame, less the scroll bar
  // when they do not all fit.
  static IntRect ListBoxRows(const IntRect& rect, size_t count, int rowHeight);
  // The scroll bar of a list box of `count` rows from row `top` (shown when they do not fit).
  static ScrollBar ListBoxScrollBar(const IntRect& rect, size_t count, size_t top, int rowHeight);
  // The scroll bar of a paragraph drawn at `rect` with its text scrolled by `scroll` pixels
  // (shown when the text is taller than the rectangle). It lies in the paragraph's right margin.
  ScrollBar ParagraphScrollBar(const ObjectRecord& object, const IntRect& rect, int64_t scroll);
  // Fill and text colour of selected list rows.
  static constexpr uint32_t kSelectionColor = 0x800000;
  static constexpr uint32_t kSelectedTextColor = 0xFFFFFF;

  // Paragraph lines after word wrap, as drawn (UTF-8). Made once per object and text.
  const std::vector<std::string>& ParagraphLines(const ObjectRecord& object, int width);
  // Paragraphs drawn at `rect`: the height of one line and how far the text can scroll down
  // (0 when it fits).
  int ParagraphLineHeight(const ObjectRecord& object);
  int ParagraphScrollLimit(const ObjectRecord& object, const IntRect& rect);

  // Where an input field drawn at a rectangle shows its text.
  struct FieldLayout {
    IntRect area;  // inside the border and the margins; the text is clipped to it
    int top = 0;   // the top of the text line
    int lineHeight = 0;
    std::string shown;           // the text as drawn, UTF-8; a password shows a star a character
    std::vector<size_t> starts;  // byte offsets of the characters of the text, then its end
    std::vector<int> x;          // the pen position of each entry of `starts` from the text's start
  };
  FieldLayout LayoutInputField(const ObjectRecord& object, const IntRect& rect);
  // Border width of an input field by its border style: a line 1, the Windows edge 2, sunken 1,
  // none 0.
  static int FieldBorderWidth(const ObjectRecord& object);

  // Draws the pictures of metafile objects; without one they draw nothing.
  void SetMetafileRenderer(MetafileRenderer* renderer) { metafileRenderer_ = renderer; }

  FontCache& Fonts() { return fonts_; }
  std::string ToUtf8(const std::string& text);

 private:
  void DrawText(Canvas&, const ObjectRecord&, const IntRect&, const ObjectPaintState&);
  void DrawRectangle(Canvas&, const ObjectRecord&, const IntRect&);
  void DrawImageObject(Canvas&, const ObjectRecord&, const IntRect&, const ObjectPaintState&);
  void DrawImageView(Canvas&, const ImageView&, const Image24* stored, const IntRect&,
                     double opacity);
  void DrawButton(Canvas&, const ObjectRecord&, const IntRect&, const ObjectPaintState&);
  void DrawLine(Canvas&, const ObjectRecord&, const IntRect&);
  void DrawEllipse(Canvas&, const ObjectRecord&, const IntRect&);
  void DrawPolygon(Canvas&, const ObjectRecord&, const IntRect&);
  void DrawParagraph(Canvas&, const ObjectRecord&, const IntRect&, const ObjectPaintState&);
  void DrawTextButton(Canvas&, const ObjectRecord&, const IntRect&, const ObjectPaintState&);
  void DrawVideo(Canvas&, const ObjectRecord&, const IntRect&, const ObjectPaintState&);
  void DrawGrid(Canvas&, const ObjectRecord&, const IntRect&, const ObjectPaintState&);
  void DrawPicture(Canvas&, const ObjectRecord&, const IntRect&, const ObjectPaintState&,
                   PaintRuntime&);
  void DrawMetafile(Canvas&, const ObjectRecord&, const IntRect&);
  void DrawPlugIn(Canvas&, const ObjectRecord&, const IntRect&, PaintRuntime&, bool shown);
  void DrawInputField(Canvas&, const ObjectRecord&, const IntRect&, const ObjectPaintState&);
  void DrawListBox(Canvas&, const ObjectRecord&, const IntRect&, const ObjectPaintState&);
  // The rows in `inside`, from the first visible one, clipped to it.
  void DrawListBoxRows(Canvas&, const ObjectRecord&, const IntRect& inside,
                       const ObjectPaintState&);
  // The lines of a paragraph's text in `area`, scrolled by `scroll` pixels.
  void DrawParagraphLines(Canvas&, const ObjectRecord&, const IntRect& area, int64_t scroll);
  void DrawControlFrame(Canvas&, const IntRect&);
  void DrawBrowser(Canvas& canvas, const ObjectRecord& o, const IntRect& r,
                   const ObjectPaintState& s);
  void DrawProgram(Canvas& canvas, const ObjectRecord& o, const IntRect& r);
  void DrawFlash(Canvas&, const ObjectRecord&, const IntRect&);
  // One line of text centred in `rect` both ways.
  void DrawCentredLine(Canvas&, const Font&, const std::string& utf8, const IntRect&,
                       uint32_t color);

  struct ParagraphLayout {
    std::string text;
    int width = 0;
    FontSpec font;
    std::vector<std::string> lines;
  };

  // A metafile drawn at one size, kept while the object's bytes and rectangle stay.
  struct MetafilePicture {
    const uint8_t* data = nullptr;
    size_t size = 0;
    uint64_t hash = 0;
    int width = 0, height = 0;
    std::optional<ArgbImage> image;  // nullopt: the bytes do not draw
  };

  FontCache& fonts_;
  CodePage codePage_;
  MetafileRenderer* metafileRenderer_ = nullptr;
  std::unordered_map<const ObjectRecord*, MetafilePicture> metafiles_;
  size_t metafileBytes_ = 0;
  std::unordered_map<std::string, std::string> utf8Cache_;
  std::unordered_map<const ObjectRecord*, ParagraphLayout> paragraphs_;
};

}  // namespace qlm
