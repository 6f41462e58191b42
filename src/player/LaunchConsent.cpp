#include "player/LaunchConsent.h"

#include "platform/AsciiText.h"
#include "platform/TrustGate.h"
#include "platform/TrustPolicy.h"
#include "player/PlayerContext.h"

namespace qlm {

bool PermitLaunch(const PlayerContext& ctx, const std::string& program,
                  const std::filesystem::path& target, const std::string& parameters) {
  if (ctx.trust == nullptr)
    return true;
  const std::string extension = target.extension().string();
  if (ctx.trustPolicy != nullptr && EqualsIgnoreAsciiCase(extension, ".qmd") &&
      ctx.trustPolicy->Decide(FileAccess::kRead, target.lexically_normal(), target).direct) {
    return true;
  }
  std::string shown = "Program: " + ctx.codePage.FromUtf8(target.string());
  if (!parameters.empty())
    shown += "\nParameters: " + parameters;
  return ctx.trust->PermitLaunch(program, parameters, shown);
}

}  // namespace qlm
