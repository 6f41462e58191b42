#include "platform/TrustGate.h"

#include "platform/Dialogs.h"
#include "platform/ProfileStore.h"

namespace qlm {

TrustGate::TrustGate(Settings settings, ProfileStore& grants, std::string identity)
    : settings_(settings), grants_(grants), identity_(std::move(identity)) {}

bool TrustGate::PermitLaunch(const std::string& program, const std::string& parameters,
                             const std::string& shown) {
  if (settings_.trustAll || settings_.allowLaunch)
    return true;
  return Permit("launch", program, "launch " + program + " " + parameters,
                "This presentation wants to start:\n" + shown);
}

bool TrustGate::PermitBrowse(const std::string& url) {
  if (settings_.trustAll)
    return true;
  return Permit("browse", url, "browse " + url,
                "This presentation wants to open in its browser object:\n" + url);
}

bool TrustGate::PermitPlugin(const std::string& name, const std::string& sha256) {
  if (settings_.trustAll || settings_.allowPlugins)
    return true;
  return Permit("plugin", name, "plugin " + sha256,
                "This presentation wants to load the native plug-in:\n" + name +
                    "\nSHA-256: " + sha256 + "\nA plug-in can do anything your account can do.");
}

bool TrustGate::Permit(std::string_view what, const std::string& reported, const std::string& key,
                       const std::string& question) {
  if (grants_.GetInt(identity_, key, 0) == 1)
    return true;
  int answer = kDeny;
  if (settings_.ask && dialogs_ != nullptr) {
    // Deny is the first button: what Enter, Escape and unattended runs answer. The caption is
    // the player's own: the player asks, not the presentation.
    answer = dialogs_->MessageBox(question +
                                      "\n\nAbort: deny. Retry: allow once. Ignore: always allow "
                                      "for this presentation.",
                                  dialogs_->Caption(), mb::kAbortRetryIgnore | mb::kIconWarning);
  }
  if (answer == kAlways) {
    grants_.WriteInt(identity_, key, 1);
    return true;
  }
  if (answer == kAllowOnce)
    return true;
  if (blocked_)
    blocked_(what, reported);
  return false;
}

}  // namespace qlm
