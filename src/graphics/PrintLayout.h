#pragma once

#include <string>
#include <string_view>

#include "graphics/Font.h"
#include "graphics/Surface.h"

namespace qlm {

// A sheet of paper in PDF points (1/72 inch), with the margin kept free on every side.
struct PaperSize {
  std::string name = "A4";
  double width = 595.28;
  double height = 841.89;
  double margin = 36;  // half an inch

  bool operator==(const PaperSize&) const = default;
};

// A print job laid out as a PDF document.
struct PrintedDocument {
  std::string pdf;
  int pages = 0;
};

// Screen pixels are taken at 96 to the inch, so a text prints at the size it shows.
inline constexpr double kPointsPerPixel = 72.0 / 96.0;

// A text in `font` on sheets of `paper` in portrait: wrapped to the width inside the margins,
// its hard line breaks kept, from the top margin down, a new sheet when a sheet is full. An
// empty text prints one empty sheet. `title` is the document's title.
PrintedDocument LayOutText(const Font& font, std::string_view utf8, const PaperSize& paper,
                           const std::string& title);

// A picture on one sheet of `paper`, turned to landscape when the picture is wider than tall:
// scaled to fill the space inside the margins keeping its shape, centred. Its pixels stay
// sharp squares at any printer resolution (no smoothing).
PrintedDocument LayOutPicture(const Surface& picture, const PaperSize& paper,
                              const std::string& title);

// The pages of a PDF document as its page objects count them; 0 when it has none.
int CountPdfPages(std::string_view pdf);

}  // namespace qlm
