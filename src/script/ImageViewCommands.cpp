// The image-view commands of image objects (kind 3): pictures from files, opacity, background
// colour, origin, size, angle, scroll and zoom, and the way back to the loaded picture.
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "expr/ExpressionEvaluator.h"
#include "expr/NumberText.h"
#include "script/CommandHelpers.h"
#include "script/ImageView.h"
#include "script/ScriptHost.h"
#include "script/ScriptText.h"

namespace qlm {

namespace {

// What every image command starts from: argument 2 expanded as a string variable and
// left-trimmed, the word CBK_SelColor replaced by the colour the colour dialog chose, and its
// first three comma pieces.
struct ImageArguments {
  std::string text;
  std::vector<std::string> pieces;
};

ImageArguments ReadImageArguments(const CommandContext& context) {
  ImageArguments args;
  args.text = std::string(TrimLeft(Expand(context, context.statement.arg2)));
  if (args.text == "CBK_SelColor")
    context.host.Evaluator().GetText("CBK_SelColor", args.text);
  args.pieces = SplitList(args.text, 3);
  return args;
}

// Piece `i` evaluated; nullopt when it is missing or empty, does not evaluate, or is no finite
// number.
std::optional<double> Number(const CommandContext& context, const ImageArguments& args, size_t i) {
  if (i >= args.pieces.size() || Trim(args.pieces[i]).empty())
    return std::nullopt;
  ExpressionEvaluator& evaluator = context.host.Evaluator();
  const double value = evaluator.ExecuteStatement(args.pieces[i]);
  if (evaluator.HasError() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

std::optional<int64_t> Integer(const CommandContext& context, const ImageArguments& args,
                               size_t i) {
  const std::optional<double> value = Number(context, args, i);
  if (!value)
    return std::nullopt;
  return TruncateToInt32(*value);
}

// A pair of pixel numbers: both pieces missing or a piece that does not evaluate gives
// nullopt; one missing piece reads 0.
std::optional<std::pair<int64_t, int64_t>> Pair(const CommandContext& context,
                                                const ImageArguments& args) {
  const bool hasFirst = !args.pieces.empty() && !Trim(args.pieces[0]).empty();
  const bool hasSecond = args.pieces.size() > 1 && !Trim(args.pieces[1]).empty();
  if (!hasFirst && !hasSecond)
    return std::nullopt;
  const std::optional<int64_t> x = hasFirst ? Integer(context, args, 0) : 0;
  const std::optional<int64_t> y = hasSecond ? Integer(context, args, 1) : 0;
  if (!x || !y)
    return std::nullopt;
  return std::pair(*x, *y);
}

// "1", "true" (any case) or any non-zero number switch on; "0", "false" or zero switch off.
std::optional<bool> Switch(const CommandContext& context, const ImageArguments& args) {
  if (args.pieces.empty())
    return std::nullopt;
  const std::string word = AsciiUpper(Trim(args.pieces[0]));
  if (word == "TRUE")
    return true;
  if (word == "FALSE")
    return false;
  const std::optional<double> value = Number(context, args, 0);
  if (!value)
    return std::nullopt;
  return *value != 0;
}

// The file a command loads is the whole text: file names may hold commas.
std::optional<Image24> PictureFromText(CommandContext& context, const ImageArguments& args) {
  const std::string path(Trim(args.text));
  if (path.empty())
    return std::nullopt;
  return LoadPictureFile(context, path);
}

// Runs `change` on the view of the found image object and repaints it when it changed.
template <typename Change>
CommandResult ChangeView(CommandContext& context, Change change) {
  ObjectRecord* object = context.object;
  if (!object || object->typeCode != kObjImage)
    return CommandResult::kContinue;
  const ImageArguments args = ReadImageArguments(context);
  ImageView* view = context.Objects().ImageViewOf(*object);
  if (!view)
    return CommandResult::kContinue;
  if (change(*view, args, object->rect))
    MarkRect(context.dirtyRect, object->rect, 1);
  return CommandResult::kContinue;
}

CommandResult ViewImage(CommandContext& context) {
  return ChangeView(context, [&](ImageView& view, const ImageArguments& args, const IntRect&) {
    std::optional<Image24> picture = PictureFromText(context, args);
    if (!picture)
      return false;
    view.Load(std::move(*picture));
    return true;
  });
}

CommandResult ReplaceImage(CommandContext& context) {
  return ChangeView(context, [&](ImageView& view, const ImageArguments& args, const IntRect& r) {
    std::optional<Image24> picture = PictureFromText(context, args);
    if (!picture)
      return false;
    view.Replace(std::move(*picture), r);
    return true;
  });
}

// Opacity is the object's stored fraction, which drawing and getimageopacity read; the
// argument is in percent.
CommandResult ImageOpacity(CommandContext& context) {
  ObjectRecord* object = context.object;
  if (!object || object->typeCode != kObjImage)
    return CommandResult::kContinue;
  const std::optional<int64_t> percent = Integer(context, ReadImageArguments(context), 0);
  if (!percent)
    return CommandResult::kContinue;
  object->ratio = static_cast<double>(std::clamp<int64_t>(*percent, 0, 100)) / 100.0;
  MarkRect(context.dirtyRect, object->rect, 1);
  return CommandResult::kContinue;
}

CommandResult UseImageBkgColor(CommandContext& context) {
  return ChangeView(context, [&](ImageView& view, const ImageArguments& args, const IntRect&) {
    const std::optional<bool> use = Switch(context, args);
    if (use)
      view.UseBackground(*use);
    return use.has_value();
  });
}

CommandResult SetImageBkgColor(CommandContext& context) {
  return ChangeView(context, [&](ImageView& view, const ImageArguments& args, const IntRect&) {
    if (args.pieces.empty())
      return false;
    view.SetBackground(ReadColour(context, args.text));
    return true;
  });
}

CommandResult SetImageOrigin(CommandContext& context) {
  return ChangeView(context, [&](ImageView& view, const ImageArguments& args, const IntRect& r) {
    const auto at = Pair(context, args);
    if (at)
      view.SetOrigin(at->first, at->second, r);
    return at.has_value();
  });
}

CommandResult ResizeImage(CommandContext& context) {
  return ChangeView(context, [&](ImageView& view, const ImageArguments& args, const IntRect& r) {
    const std::optional<int64_t> width = Integer(context, args, 0);
    const std::optional<int64_t> height = Integer(context, args, 1);
    return width && height && view.Resize(*width, *height, r);
  });
}

CommandResult RotateImage(CommandContext& context, bool relative) {
  return ChangeView(context, [&](ImageView& view, const ImageArguments& args, const IntRect& r) {
    const std::optional<double> degrees = Number(context, args, 0);
    if (!degrees)
      return false;
    if (relative)
      view.RotateBy(*degrees, r);
    else
      view.RotateTo(*degrees, r);
    return true;
  });
}

CommandResult ScrollImageView(CommandContext& context) {
  return ChangeView(context, [&](ImageView& view, const ImageArguments& args, const IntRect& r) {
    const auto by = Pair(context, args);
    if (by)
      view.ScrollBy(by->first, by->second, r);
    return by.has_value();
  });
}

CommandResult ZoomImageView(CommandContext& context) {
  return ChangeView(context, [&](ImageView& view, const ImageArguments& args, const IntRect& r) {
    const std::optional<int64_t> percent = Integer(context, args, 0);
    if (!percent || *percent <= 0)
      return false;
    view.SetZoom(*percent, r);
    return true;
  });
}

CommandResult RestoreImage(CommandContext& context) {
  return ChangeView(context, [](ImageView& view, const ImageArguments&, const IntRect&) {
    view.Restore();
    return true;
  });
}

}  // namespace

void RegisterImageViewCommands(ScriptRunner& runner) {
  using C = CommandCode;
  runner.SetHandler(C::kViewImage, ViewImage);
  runner.SetHandler(C::kReplaceImage, ReplaceImage);
  runner.SetHandler(C::kImageOpacity, ImageOpacity);
  runner.SetHandler(C::kUseImageBkgColor, UseImageBkgColor);
  runner.SetHandler(C::kSetImageBkgColor, SetImageBkgColor);
  runner.SetHandler(C::kSetImageOrigin, SetImageOrigin);
  runner.SetHandler(C::kResizeImage, ResizeImage);
  runner.SetHandler(C::kRotateImageRel, [](CommandContext& c) { return RotateImage(c, true); });
  runner.SetHandler(C::kRotateImageTo, [](CommandContext& c) { return RotateImage(c, false); });
  runner.SetHandler(C::kScrollImageView, ScrollImageView);
  runner.SetHandler(C::kZoomImageView, ZoomImageView);
  runner.SetHandler(C::kRestoreImage, RestoreImage);
}

}  // namespace qlm
