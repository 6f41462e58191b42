#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace qlm {

class Dialogs;
class ProfileStore;

// Consent for what a presentation starts or loads on the host: programs and documents it
// launches, native plug-ins from its own folder. Flags of the command line allow a kind at once;
// a grant remembered for this presentation (by its identity) allows one thing again; otherwise
// the user is asked in a modal box, or, where nobody is asked (headless without --ask), the
// thing is denied and reported.
class TrustGate {
 public:
  struct Settings {
    bool trustAll = false;
    bool allowLaunch = false;
    bool allowPlugins = false;
    bool ask = true;  // a box asks; otherwise what is not allowed is denied
  };
  // Receives what was denied: `what` is "launch", "browse" or "plugin".
  using BlockedSink = std::function<void(std::string_view what, const std::string& path)>;

  // The consent box's buttons ("Deny", "Allow once", "Always allow") and what each returns;
  // headless runs answer them with these numbers.
  static constexpr int kDeny = 3;
  static constexpr int kAllowOnce = 4;
  static constexpr int kAlways = 5;

  // How a question ended. A user who denied in the box has seen enough: no message follows.
  enum class Consent { kAllowed, kDenied, kDeniedInBox };

  // `grants`: the trust store, never the profile store scripts write.
  TrustGate(Settings settings, ProfileStore& grants, std::string identity);

  void SetDialogs(Dialogs* dialogs) { dialogs_ = dialogs; }
  void SetBlockedSink(BlockedSink blocked) { blocked_ = std::move(blocked); }

  // May `program` (as the script named it) start? `grant` names what a remembered "Always
  // allow" covers (the program, its parameters and its content); `question` is the box's text.
  Consent PermitLaunch(const std::string& program, const std::string& grant,
                       const std::string& question);
  // May a browser object open `url`, an address outside the presentation's reach?
  bool PermitBrowse(const std::string& url);
  // --trust: the presentation may reach everything without asking.
  bool TrustsAll() const { return settings_.trustAll; }
  // May the native library `name` from the presentation's folder load? `sha256` in hex.
  bool PermitPlugin(const std::string& name, const std::string& sha256);

  const std::string& Identity() const { return identity_; }

  // Reports something refused without asking (a launch outside the presentation's reach).
  void ReportBlocked(std::string_view what, const std::string& path) const {
    if (blocked_)
      blocked_(what, path);
  }

 private:
  Consent Permit(std::string_view what, const std::string& reported, const std::string& key,
                 const std::string& question);

  Settings settings_;
  ProfileStore& grants_;
  std::string identity_;
  Dialogs* dialogs_ = nullptr;
  BlockedSink blocked_;
};

}  // namespace qlm
