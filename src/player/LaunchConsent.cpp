#include "player/LaunchConsent.h"

#include "platform/ConsentText.h"
#include "platform/TrustGate.h"
#include "platform/TrustPolicy.h"
#include "player/PlayerContext.h"

namespace qlm {

LaunchVerdict JudgeLaunch(const PlayerContext& ctx, const std::string& program,
                          const LaunchPlan& plan, const std::string& parameters) {
  if (ctx.trust == nullptr || plan.resolved.empty())
    return {plan.failure};
  const bool inReach =
      ctx.trustPolicy == nullptr ||
      ctx.trustPolicy->Decide(FileAccess::kRead, plan.resolved, plan.resolved).direct.has_value();
  if (!inReach) {
    ctx.trust->ReportBlocked("launch", program);
    return {launch_result::kFileNotFound};
  }
  if (plan.failure != launch_result::kStarted || plan.presentation)
    return {plan.failure};
  const std::string question =
      LaunchQuestion(ctx.codePage.FromUtf8(plan.resolved.string()), plan.arguments, plan.runner);
  switch (
      ctx.trust->PermitLaunch(program, program + " " + parameters + " " + plan.sha256, question)) {
    case TrustGate::Consent::kAllowed:
      return {launch_result::kStarted};
    case TrustGate::Consent::kDeniedInBox:
      return {launch_result::kAccessDenied, true};
    case TrustGate::Consent::kDenied:
      break;
  }
  return {launch_result::kAccessDenied};
}

}  // namespace qlm
