// The print commands: a text, the page or a rectangle of it, laid out for the machine's printer.
#include <algorithm>
#include <string>

#include "graphics/SaturatingRect.h"
#include "platform/AsciiText.h"
#include "platform/Dialogs.h"
#include "platform/Printer.h"
#include "player/ObjectPainter.h"
#include "player/PlayerWindow.h"
#include "script/CommandHelpers.h"
#include "script/FindObject.h"
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

}  // namespace

bool PlayerWindow::Print(const PrintJob& job) {
  if (!ctx_.printer)
    return false;
  const PrintOutcome outcome = ctx_.printer->Print(job);
  if (outcome.printed) {
    if (ctx_.events)
      ctx_.events->OnPrint(job.what, outcome.pages, outcome.file);
    return true;
  }
  if (!outcome.error.empty())
    ctx_.dialogs.MessageBox("Cannot print:\n" + outcome.error, "Print", mb::kOk | mb::kIconError);
  return false;
}

const Surface& PlayerWindow::CurrentFrame(const IntRect& pending) {
  if (!pending.Empty())
    Invalidate(InflatedRect(pending, 1), true);
  Paint();
  return frame_;
}

std::string PlayerWindow::PrintTitle() const {
  const std::string shown = ctx_.codePage.ToUtf8(geometry_.WindowTitle());
  return shown.empty() ? std::string("QLM Player") : shown;
}

void PlayerWindow::InitPrinting() {
  const auto title = [this] { return PrintTitle(); };

  // PrintText('Object[,FONT_FROM_OBJECT]','text'): the text, or the object's own text when the
  // text is empty; in the object's font when asked, else in the print font.
  runner_->SetHandler(CommandCode::kPrintText, [this, title](CommandContext& c) {
    const std::vector<std::string> pieces = SplitList(Expand(c, c.statement.arg1), 2);
    const std::string name(Trim(pieces.empty() ? std::string() : pieces[0]));
    const bool objectFont =
        pieces.size() > 1 && EqualsIgnoreAsciiCase(Trim(pieces[1]), kFontFromObject);
    const ObjectRecord* object =
        name.empty() ? nullptr : FindObject(pages_, Variables(), name).object;
    std::string text = Expand(c, c.statement.arg2);
    if (text.empty() && object)
      text = object->text;
    const FontSpec spec = objectFont && object ? ObjectPainter::FontOf(object->font) : kPrintFont;
    const std::string utf8 = ctx_.codePage.ToUtf8(PrintedLines(text));
    FontCache& fonts = composer_.Fonts();
    Print({.what = "text",
           .title = title(),
           .layout = [&fonts, spec, utf8, title](const PaperSize& paper) {
             return LayOutText(fonts.Get(spec), utf8, paper, title());
           }});
    return CommandResult::kContinue;
  });

  // PrintPage('n'): the page as it shows, n copies proposed.
  runner_->SetHandler(CommandCode::kPrintPage, [this, title](CommandContext& c) {
    const std::string copies(Trim(Expand(c, c.statement.arg1)));
    const Surface picture = CurrentFrame(c.dirtyRect);
    Print({.what = "page",
           .title = title(),
           .copies = copies.empty() ? 1 : std::clamp(EvaluateInteger(c, copies), 1, kMaxCopies),
           .layout = [&picture, title](const PaperSize& paper) {
             return LayOutPicture(picture, paper, title());
           }});
    return CommandResult::kContinue;
  });

  // PrintRect('Object','x,y,w,h'): with an object, a box from its top-left corner (its own size
  // where w or h is missing or 0); without one, a box of the page (to its right or bottom
  // edge where w or h is missing or 0).
  runner_->SetHandler(CommandCode::kPrintRect, [this, title](CommandContext& c) {
    const std::vector<std::string> pieces = SplitList(Expand(c, c.statement.arg2), 4);
    const auto number = [&](size_t i) {
      return i < pieces.size() && !Trim(pieces[i]).empty() ? EvaluateInteger(c, pieces[i]) : 0;
    };
    const Surface& frame = CurrentFrame(c.dirtyRect);
    const IntRect base = c.object ? objectStates_.RectOf(*c.object)
                                  : IntRect{0, 0, frame.Width(), frame.Height()};
    const int64_t left = int64_t{base.left} + number(0);
    const int64_t top = int64_t{base.top} + number(1);
    const int64_t width = number(2) > 0 ? number(2) : base.right - left;
    const int64_t height = number(3) > 0 ? number(3) : base.bottom - top;
    const auto clampX = [&](int64_t x) { return static_cast<int>(std::clamp<int64_t>(x, 0, frame.Width())); };
    const auto clampY = [&](int64_t y) { return static_cast<int>(std::clamp<int64_t>(y, 0, frame.Height())); };
    const IntRect box{clampX(left), clampY(top), clampX(left + width), clampY(top + height)};
    if (box.Empty())
      return CommandResult::kContinue;
    Surface picture(box.Width(), box.Height());
    picture.Blit(frame, box.left, box.top, box.Width(), box.Height(), 0, 0);
    Print({.what = "rect",
           .title = title(),
           .layout = [&picture, title](const PaperSize& paper) {
             return LayOutPicture(picture, paper, title());
           }});
    return CommandResult::kContinue;
  });
}

}  // namespace qlm
