// The video commands: each acts on the video object its first argument names and does nothing
// for another kind.
#include <cmath>
#include <string_view>

#include "expr/ExpressionEvaluator.h"
#include "expr/NumberText.h"
#include "media/VideoObjects.h"
#include "script/CommandHelpers.h"
#include "script/ScriptHost.h"
#include "script/ScriptText.h"

namespace qlm {

namespace {

constexpr std::string_view kRelative = ",RELATIVE";

// A number argument: the numeric variable of that name, else the text read as a number.
double NumberArgument(CommandContext& context, std::string_view text) {
  const std::string name(Trim(text));
  double value = 0;
  if (!context.host.Evaluator().GetNumber(name, value))
    value = ParseDecimal(name);
  return value;
}

// The second argument of a position or rate, with its ",RELATIVE" suffix taken off.
double RelativeArgument(CommandContext& context, bool& relative) {
  std::string text = Expand(context, context.statement.arg2);
  relative = text.size() >= kRelative.size() &&
             AsciiUpper(text.substr(text.size() - kRelative.size())) == kRelative;
  if (relative)
    text.resize(text.size() - kRelative.size());
  return NumberArgument(context, text);
}

ObjectRecord* VideoObject(CommandContext& context) {
  ObjectRecord* object = context.object;
  return object && object->typeCode == kObjVideo ? object : nullptr;
}

CommandResult Send(CommandContext& context, VideoObjects& videos, int action, double value = 0,
                   double value2 = 0, const std::string& file = {}) {
  if (ObjectRecord* object = VideoObject(context)) {
    PageRecord* page = context.page ? context.page : PageOf(context.host.PageManager(), object);
    videos.Action(*object, page, action, value, value2, file);
  }
  return CommandResult::kContinue;
}

CommandResult Load(CommandContext& context, VideoObjects& videos) {
  if (!VideoObject(context))
    return CommandResult::kContinue;
  const std::string file =
      context.System().ExpandPathMacros(Expand(context, context.statement.arg2));
  return Send(context, videos, video_action::kLoad, 0, 0, file);
}

CommandResult Rewind(CommandContext& context, VideoObjects& videos) {
  if (!VideoObject(context))
    return CommandResult::kContinue;
  bool relative = false;
  const double position = std::trunc(RelativeArgument(context, relative));
  return Send(context, videos, relative ? video_action::kSeekRelative : video_action::kSeek,
              position);
}

CommandResult Speed(CommandContext& context, VideoObjects& videos) {
  if (!VideoObject(context))
    return CommandResult::kContinue;
  bool relative = false;
  const double rate = RelativeArgument(context, relative) * 0.001;
  return Send(context, videos, relative ? video_action::kChangeRate : video_action::kSetRate, rate);
}

CommandResult Scale(CommandContext& context, VideoObjects& videos) {
  if (!VideoObject(context))
    return CommandResult::kContinue;
  const std::string text = Expand(context, context.statement.arg2);
  const size_t comma = text.find(',');
  if (comma == std::string::npos)
    return CommandResult::kContinue;
  const double width = std::trunc(NumberArgument(context, std::string_view(text).substr(0, comma)));
  const double height =
      std::trunc(NumberArgument(context, std::string_view(text).substr(comma + 1)));
  return Send(context, videos, video_action::kResize, width, height);
}

CommandResult Param(CommandContext& context, VideoObjects& videos) {
  if (!VideoObject(context))
    return CommandResult::kContinue;
  std::string text(Trim(Expand(context, context.statement.arg2)));
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (text == "time")
    return Send(context, videos, video_action::kTimeFormat, 0);
  if (text == "frame")
    return Send(context, videos, video_action::kTimeFormat, 1);
  const size_t equals = text.find('=');
  if (equals == std::string::npos)
    return CommandResult::kContinue;
  const std::string name(Trim(std::string_view(text).substr(0, equals)));
  const double on = Trim(std::string_view(text).substr(equals + 1)) == "on" ? 1 : 0;
  if (name == "fullscreen")
    return Send(context, videos, video_action::kFullScreen, on);
  if (name == "loop")
    return Send(context, videos, video_action::kLoop, on);
  if (name == "mute")
    return Send(context, videos, video_action::kMute, on);
  return CommandResult::kContinue;
}

}  // namespace

void RegisterVideoCommands(ScriptRunner& runner, VideoObjects& videos) {
  VideoObjects* v = &videos;
  auto bind = [v](CommandResult (*handler)(CommandContext&, VideoObjects&)) {
    return [v, handler](CommandContext& context) { return handler(context, *v); };
  };
  // Play reopens the object's file when the player has none.
  auto action = [v](int code) {
    return [v, code](CommandContext& context) {
      const std::string file = code == video_action::kPlay && context.object
                                   ? context.System().ExpandPathMacros(context.object->text)
                                   : std::string();
      return Send(context, *v, code, 0, 0, file);
    };
  };
  runner.SetHandler(CommandCode::kVideoLoad, bind(Load));
  runner.SetHandler(CommandCode::kVideoPlay, action(video_action::kPlay));
  runner.SetHandler(CommandCode::kVideoPause, action(video_action::kPause));
  runner.SetHandler(CommandCode::kVideoStop, action(video_action::kStop));
  runner.SetHandler(CommandCode::kVideoClose, action(video_action::kClose));
  runner.SetHandler(CommandCode::kVideoRewind, bind(Rewind));
  runner.SetHandler(CommandCode::kVideoSpeed, bind(Speed));
  runner.SetHandler(CommandCode::kVideoScale, bind(Scale));
  runner.SetHandler(CommandCode::kVideoParam, bind(Param));
}

}  // namespace qlm
