// What the system and file commands of scripts ask of the player window: launching, the
// clipboard and fonts.
#include <algorithm>
#include <string>
#include <tuple>

#include "expr/SystemVariables.h"
#include "platform/Dialogs.h"
#include "platform/Display.h"
#include "platform/FileSystem.h"
#include "platform/Processes.h"
#include "player/LaunchConsent.h"
#include "player/PlayerWindow.h"

namespace qlm {

void PlayerWindow::Launch(const std::string& program, const std::string& options) {
  const std::string expandedOptions = macros_.Expand(options);
  const uint32_t result = LaunchThroughPolicy(
      macros_.Expand(program), expandedOptions, ParseLaunchOptions(expandedOptions),
      [this](const LaunchPlan& plan, const LaunchOptions& launchOptions) {
        // A launch that waits keeps the window painted and nothing else.
        return ctx_.processes->Launch(plan, launchOptions, [this] {
          if (invalid_)
            Paint();
        });
      });
  PublishSystemVariable(Variables(), this, "CBK_ReturnVal", static_cast<double>(result),
                        std::to_string(result));
  InvalidateAll(true);
}

uint32_t PlayerWindow::LaunchThroughPolicy(
    const std::string& program, const std::string& optionsText, const LaunchOptions& options,
    const std::function<uint32_t(const LaunchPlan&, const LaunchOptions&)>& start) {
  const std::filesystem::path target = ctx_.files.ToHost(program);
  LaunchPlan plan;
  plan.resolved = target;
  if (ctx_.processes)
    plan = ctx_.processes->Plan(target, options);
  // A missing file fails here as the launcher fails; what would start needs the trust policy's
  // consent, and refused it fails as access denied.
  const LaunchVerdict verdict = JudgeLaunch(ctx_, program, plan, options.parameters);
  uint32_t result = verdict.result;
  if (result == launch_result::kStarted) {
    // Only what would start is reported.
    if (ctx_.events)
      ctx_.events->OnLaunch(program, optionsText);
    if (ctx_.processes)
      result = start(plan, options);
  }
  const std::string_view error = LaunchErrorText(result);
  if (!error.empty() && !verdict.deniedInBox)
    ctx_.dialogs.MessageBox(std::string(error), "Error", mb::kOk | mb::kIconError);
  return result;
}

void PlayerWindow::SetClipboardText(const std::string& text) {
  ctx_.display.SetClipboardText(text);
}

std::optional<std::string> PlayerWindow::ClipboardText() {
  std::string text = ctx_.display.ClipboardText();
  if (text.empty())
    return std::nullopt;
  return text;
}

bool PlayerWindow::InstallFont(std::unique_ptr<ReadableFile> file,
                               const std::filesystem::path& name) {
  if (!composer_.Fonts().AddFontFile(name.string()))
    return false;
  // The font library opens the file by that name again for each face it makes.
  addedFonts_.push_back(std::move(file));
  return true;
}

}  // namespace qlm
