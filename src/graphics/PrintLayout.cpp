#include "graphics/PrintLayout.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include <cairo-pdf.h>
#include <cairo.h>

#include "graphics/TextLayout.h"

namespace qlm {

namespace {

cairo_status_t Append(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

// A PDF surface that writes into a string; the document is complete once the surface is
// finished.
class PdfWriter {
 public:
  PdfWriter(double width, double height, const std::string& title)
      : surface_(cairo_pdf_surface_create_for_stream(Append, &pdf_, width, height)),
        cr_(cairo_create(surface_)) {
    cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_TITLE, title.c_str());
    cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_CREATOR, "QLM Player");
  }
  ~PdfWriter() {
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
  }
  PdfWriter(const PdfWriter&) = delete;
  PdfWriter& operator=(const PdfWriter&) = delete;

  cairo_t* Context() { return cr_; }
  void EndPage() {
    cairo_show_page(cr_);
    ++pages_;
  }
  PrintedDocument Finish() {
    cairo_surface_finish(surface_);
    if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS)
      return {};
    return {std::move(pdf_), pages_};
  }

 private:
  std::string pdf_;
  cairo_surface_t* surface_;
  cairo_t* cr_;
  int pages_ = 0;
};

// The printable width or height in points; at least one point, so that a margin larger than
// the paper still lays something out.
double Inside(double side, double margin) {
  return std::max(1.0, side - 2 * margin);
}

}  // namespace

int CountPdfPages(std::string_view pdf) {
  int pages = 0;
  for (size_t at = pdf.find("/Type"); at != std::string_view::npos; at = pdf.find("/Type", at)) {
    at += 5;
    while (at < pdf.size() && (pdf[at] == ' ' || pdf[at] == '\n' || pdf[at] == '\r'))
      ++at;
    // "/Page" but not "/Pages", the page tree.
    if (pdf.substr(at, 5) == "/Page" && (at + 5 >= pdf.size() || pdf[at + 5] != 's'))
      ++pages;
  }
  return pages;
}

PrintedDocument LayOutText(const Font& font, std::string_view utf8, const PaperSize& paper,
                           const std::string& title) {
  PdfWriter pdf(paper.width, paper.height, title);
  cairo_t* cr = pdf.Context();
  // Drawn in screen pixels, scaled to points.
  const double widthPx = Inside(paper.width, paper.margin) / kPointsPerPixel;
  const double heightPx = Inside(paper.height, paper.margin) / kPointsPerPixel;
  const FontMetrics& metrics = font.Metrics();
  const int lineHeight = std::max(1, metrics.height);
  const int linesPerPage = std::max(1, static_cast<int>(heightPx) / lineHeight);
  const std::vector<std::string> lines =
      WrapText(font, utf8, static_cast<int>(std::max(1.0, widthPx)));

  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  const auto start = [&] {
    cairo_identity_matrix(cr);
    cairo_translate(cr, paper.margin, paper.margin);
    cairo_scale(cr, kPointsPerPixel, kPointsPerPixel);
    cairo_set_font_face(cr, cairo_scaled_font_get_font_face(font.Scaled()));
    cairo_set_font_size(cr, font.EmSize());
    cairo_set_font_options(cr, options);
    cairo_set_source_rgb(cr, 0, 0, 0);
  };
  start();
  int onPage = 0;
  for (const std::string& line : lines) {
    if (onPage == linesPerPage) {
      pdf.EndPage();
      start();
      onPage = 0;
    }
    const double baseline = onPage * lineHeight + metrics.ascent;
    if (!line.empty()) {
      cairo_move_to(cr, 0, baseline);
      cairo_show_text(cr, line.c_str());
    }
    const FontSpec& spec = font.Spec();
    if (spec.underline || spec.strikeOut) {
      const double width = font.TextWidth(line);
      const auto rule = [&](double y, int thickness) {
        cairo_rectangle(cr, 0, y, width, std::max(1, thickness));
        cairo_fill(cr);
      };
      if (spec.underline)
        rule(baseline + metrics.underlinePosition, metrics.underlineThickness);
      if (spec.strikeOut)
        rule(baseline - metrics.strikeOutPosition, metrics.strikeOutThickness);
    }
    ++onPage;
  }
  cairo_font_options_destroy(options);
  pdf.EndPage();
  return pdf.Finish();
}

PrintedDocument LayOutPicture(const Surface& picture, const PaperSize& paper,
                              const std::string& title) {
  const bool landscape = picture.Width() > picture.Height();
  const double sheetW =
      landscape ? std::max(paper.width, paper.height) : std::min(paper.width, paper.height);
  const double sheetH =
      landscape ? std::min(paper.width, paper.height) : std::max(paper.width, paper.height);
  PdfWriter pdf(sheetW, sheetH, title);
  if (!picture.Empty()) {
    cairo_t* cr = pdf.Context();
    // A copy that cairo owns: the document encodes it only when the page ends. The surface's
    // rows are cairo's RGB24 layout.
    cairo_surface_t* image =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, picture.Width(), picture.Height());
    if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
      cairo_surface_destroy(image);
      return {};
    }
    cairo_surface_flush(image);
    unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    for (int y = 0; y < picture.Height(); ++y)
      std::memcpy(data + static_cast<size_t>(y) * stride, picture.Row(y),
                  static_cast<size_t>(picture.Width()) * 4);
    cairo_surface_mark_dirty(image);
    const double areaW = Inside(sheetW, paper.margin);
    const double areaH = Inside(sheetH, paper.margin);
    const double scale = std::min(areaW / picture.Width(), areaH / picture.Height());
    cairo_translate(cr, (sheetW - picture.Width() * scale) / 2,
                    (sheetH - picture.Height() * scale) / 2);
    cairo_scale(cr, scale, scale);
    cairo_set_source_surface(cr, image, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    cairo_surface_destroy(image);
  }
  pdf.EndPage();
  return pdf.Finish();
}

}  // namespace qlm
