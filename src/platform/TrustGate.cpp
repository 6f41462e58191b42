#include "platform/TrustGate.h"

#include "platform/ConsentText.h"
#include "platform/Dialogs.h"
#include "platform/ProfileStore.h"

namespace qlm {

TrustGate::TrustGate(Settings settings, ProfileStore& grants, std::string identity)
    : settings_(settings), grants_(grants), identity_(std::move(identity)) {}

TrustGate::Consent TrustGate::PermitLaunch(const std::string& program, const std::string& grant,
                                           const std::string& question) {
  if (settings_.trustAll || settings_.allowLaunch)
    return Consent::kAllowed;
  return Permit("launch", program, "launch " + grant, question);
}

bool TrustGate::PermitBrowse(const std::string& url) {
  if (settings_.trustAll)
    return true;
  return Permit("browse", url, "browse " + url,
                "This presentation wants to open in its browser object:\n" +
                    QuotedData(url, 120)) == Consent::kAllowed;
}

bool TrustGate::PermitPlugin(const std::string& name, const std::string& sha256) {
  if (settings_.trustAll || settings_.allowPlugins)
    return true;
  return Permit("plugin", name, "plugin " + sha256,
                "This presentation wants to load the native plug-in:\n" +
                    QuotedData(name, 96, true) + "\nSHA-256: " + sha256 +
                    "\nA plug-in can do anything your account can do.") == Consent::kAllowed;
}

TrustGate::Consent TrustGate::Permit(std::string_view what, const std::string& reported,
                                     const std::string& key, const std::string& question) {
  if (grants_.GetInt(identity_, key, 0) == 1)
    return Consent::kAllowed;
  const bool asked = settings_.ask && dialogs_ != nullptr;
  const int answer = asked ? dialogs_->AskConsent(question) : kDeny;
  if (answer == kAlways) {
    grants_.WriteInt(identity_, key, 1);
    return Consent::kAllowed;
  }
  if (answer == kAllowOnce)
    return Consent::kAllowed;
  ReportBlocked(what, reported);
  return asked ? Consent::kDeniedInBox : Consent::kDenied;
}

}  // namespace qlm
