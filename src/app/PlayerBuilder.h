#pragma once

#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <utility>

#include "app/GatedLibraries.h"
#include "app/PlayerRun.h"
#include "platform/CodePage.h"
#include "platform/SystemFolders.h"
#include "platform/TrustGate.h"
#include "platform/TrustPolicy.h"
#include "platform/host/HostFileSystem.h"
#include "platform/host/HostInstanceLock.h"
#include "platform/host/HostLibraries.h"
#include "platform/host/HostSystemInformation.h"
#include "platform/host/IniProfileStore.h"
#include "platform/host/MediaModuleLoader.h"
#include "platform/host/ModuleBrowserEngine.h"
#include "platform/host/ModuleMetafileRenderer.h"
#include "platform/host/SpeechModuleLoader.h"
#include "player/CommandLine.h"
#include "player/PlayerContext.h"

namespace qlm {

// The file of remembered consent: trust.ini in the configuration folder, apart from the
// profile store that scripts write.
IniProfileStore TrustStoreOf(const HostEnvironment& env);

// What every frontend hands a player from the host: the file system with the mounted drives,
// the file trace (--trace-files) and the presentation's folder as the current one, the trust
// policy on every file access, launch and plug-in (--trust, --allow-launch, --allow-plugins),
// the profile store (--profile-dir), the system folders, plug-in loading, instance locks, the
// machine's figures, the media back end with the video decoders and the speech synthesizer. A
// frontend adds its loop, display and dialogs and gets the player's context.
class PlayerBuilder {
 public:
  PlayerBuilder(const PlayerProcess& process, const PlayerOptions& options,
                MediaModuleOptions media);

  // The context of a player on the frontend's loop, display and dialogs; `events` receives
  // pages, launches and what the policy refused (may be null). It refers to this builder, which
  // must outlive it.
  PlayerContext Build(EventLoop& loop, Display& display, Dialogs& dialogs, PlayerEvents* events);

  const CodePage& Encoding() const { return codePage_; }
  // The presentation's file system, which every access of the player passes.
  const HostFileSystem& Files() const { return files_; }
  // The speech synthesizer, loaded on first use; a frontend gives it the output it speaks into.
  SpeechSynthesizer& Synthesizer() { return speech_; }

 private:
  void SetUpPolicy(const PlayerProcess& process);
  // Reports a refusal once per kind and path: a JSON line where there are events, a line on
  // stderr in a window and in the file trace.
  void Blocked(std::string_view what, const std::string& path);

  const PlayerOptions& options_;
  std::ostream& err_;
  CodePage codePage_;
  HostFileSystem files_;
  IniProfileStore profile_;
  IniProfileStore trustStore_;
  SystemFolders folders_;
  TrustPolicy policy_;
  std::unique_ptr<TrustGate> gate_;
  HostLibraries hostLibraries_;
  std::unique_ptr<GatedLibraries> libraries_;
  HostInstanceLocks instanceLocks_;
  HostSystemInformation system_;
  // Media devices and video decoders, loaded on first use.
  MediaModuleLoader media_;
  SpeechModuleLoader speech_;
  std::unique_ptr<ModuleMetafileRenderer> metafiles_;
  // The web engine of browser objects, loaded on first use; windows only (headless, browser
  // objects show their address).
  std::unique_ptr<ModuleBrowserEngine> browsers_;
  PlayerEvents* events_ = nullptr;
  std::set<std::pair<std::string, std::string>> reported_;
};

}  // namespace qlm
