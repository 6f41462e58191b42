// The speech commands. Utterances queue: Say while another is speaking is heard after it, and
// StopTTS silences everything queued.
#include <string>

#include "document/ObjectFields.h"
#include "expr/ExpressionEvaluator.h"
#include "media/SpeechSession.h"
#include "script/CommandHelpers.h"
#include "script/ScriptHost.h"

namespace qlm {

namespace {

// A pitch or speed argument: a number, a variable or an expression.
double Setting(CommandContext& context) {
  return context.host.Evaluator().ExecuteStatement(Expand(context, context.statement.arg1));
}

}  // namespace

void RegisterSpeechCommands(ScriptRunner& runner, SpeechSession& speech) {
  SpeechSession* s = &speech;
  // Speech is part of the player: there is nothing to install.
  runner.SetHandler(CommandCode::kInstallTTS,
                    [](CommandContext&) { return CommandResult::kContinue; });
  runner.SetHandler(CommandCode::kInitTTS, [s](CommandContext&) {
    s->Init();
    return CommandResult::kContinue;
  });
  runner.SetHandler(CommandCode::kSay, [s](CommandContext& context) {
    s->Say(Expand(context, context.statement.arg1));
    return CommandResult::kContinue;
  });
  runner.SetHandler(CommandCode::kSpeakText, [s](CommandContext& context) {
    if (const std::string* text = context.object ? ReadableText(*context.object) : nullptr)
      s->Say(*text);
    return CommandResult::kContinue;
  });
  runner.SetHandler(CommandCode::kStopTTS, [s](CommandContext&) {
    s->Stop();
    return CommandResult::kContinue;
  });
  runner.SetHandler(CommandCode::kPauseTTS, [s](CommandContext&) {
    s->Pause();
    return CommandResult::kContinue;
  });
  runner.SetHandler(CommandCode::kResumeTTS, [s](CommandContext&) {
    s->Resume();
    return CommandResult::kContinue;
  });
  runner.SetHandler(CommandCode::kPitchTTS, [s](CommandContext& context) {
    s->SetPitch(Setting(context));
    return CommandResult::kContinue;
  });
  runner.SetHandler(CommandCode::kSpeedTTS, [s](CommandContext& context) {
    s->SetSpeed(Setting(context));
    return CommandResult::kContinue;
  });
}

}  // namespace qlm
