// The print commands: a text, the page or a box of it, laid out for the machine's printer.
#include "player/PrintCommands.h"

#include <algorithm>
#include <string>

#include "document/ObjectRecord.h"
#include "expr/ExpressionEvaluator.h"
#include "platform/AsciiText.h"
#include "player/ObjectPainter.h"
#include "script/CommandHelpers.h"
#include "script/FindObject.h"
#include "script/ScriptHost.h"
#include "script/ScriptText.h"

namespace qlm {

namespace {

constexpr std::string_view kFontFromObject = "FONT_FROM_OBJECT";
// Texts print in this font unless they ask for an object's: 12 points.
const FontSpec kPrintFont{.face = "Arial", .height = -16};
constexpr int kMaxCopies = 99;

// The text of a PrintText argument: "\n" written in the text breaks lines as in text objects.
std::string PrintedLines(const std::string& text) {
  const std::vector<std::string> lines = ObjectPainter::TextLines(text);
  std::string joined;
  for (size_t i = 0; i < lines.size(); ++i)
    joined += (i ? "\n" : "") + lines[i];
  return joined;
}

// A copy of `box` of the frame, clipped to it; empty when nothing of it lies on the frame.
Surface Cut(const Surface& frame, int64_t left, int64_t top, int64_t width, int64_t height) {
  const auto clampX = [&](int64_t x) {
    return static_cast<int>(std::clamp<int64_t>(x, 0, frame.Width()));
  };
  const auto clampY = [&](int64_t y) {
    return static_cast<int>(std::clamp<int64_t>(y, 0, frame.Height()));
  };
  const IntRect box{clampX(left), clampY(top), clampX(left + width), clampY(top + height)};
  if (box.Empty())
    return {};
  Surface picture(box.Width(), box.Height());
  picture.Blit(frame, box.left, box.top, box.Width(), box.Height(), 0, 0);
  return picture;
}

}  // namespace

IntRect PrintHost::PrintRectOf(const ObjectRecord& object) {
  return object.rect;
}

void RegisterPrintCommands(ScriptRunner& runner, PrintHost& host) {
  PrintHost* h = &host;

  // PrintText('Object[,FONT_FROM_OBJECT]','text'): the text, or the object's own text when the
  // text is empty; in the object's font when asked, else in the print font.
  runner.SetHandler(CommandCode::kPrintText, [h](CommandContext& c) {
    FontCache* fonts = h->PrintFonts();
    if (!fonts)
      return CommandResult::kContinue;
    const std::vector<std::string> pieces = SplitList(Expand(c, c.statement.arg1), 2);
    const std::string name(Trim(pieces.empty() ? std::string() : pieces[0]));
    const bool objectFont =
        pieces.size() > 1 && EqualsIgnoreAsciiCase(Trim(pieces[1]), kFontFromObject);
    const ObjectRecord* object =
        name.empty()
            ? nullptr
            : FindObject(c.host.PageManager(), c.host.Evaluator().Variables(), name).object;
    std::string text = Expand(c, c.statement.arg2);
    if (text.empty() && object)
      text = object->text;
    const FontSpec spec = objectFont && object ? ObjectPainter::FontOf(object->font) : kPrintFont;
    const std::string utf8 = h->PrintUtf8(PrintedLines(text));
    const std::string title = h->PrintTitle();
    h->Print({.what = "text",
              .title = title,
              .layout = [fonts, spec, utf8, title](const PaperSize& paper) {
                return LayOutText(fonts->Get(spec), utf8, paper, title);
              }});
    return CommandResult::kContinue;
  });

  // PrintPage('n'): the page as it shows, n copies proposed.
  runner.SetHandler(CommandCode::kPrintPage, [h](CommandContext& c) {
    const std::string copies(Trim(Expand(c, c.statement.arg1)));
    // A copy: the window keeps painting while the print dialog is open.
    const Surface picture = h->PrintFrame(c.dirtyRect);
    if (picture.Empty())
      return CommandResult::kContinue;
    const std::string title = h->PrintTitle();
    h->Print({.what = "page",
              .title = title,
              .copies = copies.empty() ? 1 : std::clamp(EvaluateInteger(c, copies), 1, kMaxCopies),
              .layout = [&picture, title](const PaperSize& paper) {
                return LayOutPicture(picture, paper, title);
              }});
    return CommandResult::kContinue;
  });

  // PrintRect('Object','x,y,w,h'): with an object, a box from its top-left corner (its own size
  // where w or h is missing or 0); without one, a box of the page (to its right or bottom
  // edge where w or h is missing or 0).
  runner.SetHandler(CommandCode::kPrintRect, [h](CommandContext& c) {
    const std::vector<std::string> pieces = SplitList(Expand(c, c.statement.arg2), 4);
    const auto number = [&](size_t i) -> int64_t {
      return i < pieces.size() && !Trim(pieces[i]).empty() ? EvaluateInteger(c, pieces[i]) : 0;
    };
    const Surface& frame = h->PrintFrame(c.dirtyRect);
    const IntRect base =
        c.object ? h->PrintRectOf(*c.object) : IntRect{0, 0, frame.Width(), frame.Height()};
    const int64_t left = int64_t{base.left} + number(0);
    const int64_t top = int64_t{base.top} + number(1);
    const int64_t width = number(2) > 0 ? number(2) : base.right - left;
    const int64_t height = number(3) > 0 ? number(3) : base.bottom - top;
    const Surface picture = Cut(frame, left, top, width, height);
    if (picture.Empty())
      return CommandResult::kContinue;
    const std::string title = h->PrintTitle();
    h->Print({.what = "rect", .title = title, .layout = [&picture, title](const PaperSize& paper) {
                return LayOutPicture(picture, paper, title);
              }});
    return CommandResult::kContinue;
  });
}

}  // namespace qlm
