#pragma once

#include "app/PlayerRun.h"
#include "media/MpvMediaBackend.h"
#include "platform/CodePage.h"
#include "platform/SystemFolders.h"
#include "platform/host/HostFileSystem.h"
#include "platform/host/HostInstanceLock.h"
#include "platform/host/HostLibraries.h"
#include "platform/host/HostSystemInformation.h"
#include "platform/host/IniProfileStore.h"
#include "player/CommandLine.h"
#include "player/PlayerContext.h"

namespace qlm {

// What every frontend hands a player from the host: the file system with the mounted drives,
// the file trace (--trace-files) and the presentation's folder as the current one, the profile
// store (--profile-dir), the system folders, plug-in loading, instance locks, the machine's
// figures and the media backend. A frontend adds its loop, display and dialogs and gets the player's context.
class PlayerBuilder {
 public:
  PlayerBuilder(const PlayerProcess& process, const PlayerOptions& options,
                MpvMediaBackend::Options media);

  // The context of a player on the frontend's loop, display and dialogs; `events` receives
  // pages and launches (may be null). It refers to this builder, which must outlive it.
  PlayerContext Build(EventLoop& loop, Display& display, Dialogs& dialogs, PlayerEvents* events);

  const CodePage& Encoding() const { return codePage_; }

 private:
  const PlayerOptions& options_;
  CodePage codePage_;
  HostFileSystem files_;
  IniProfileStore profile_;
  SystemFolders folders_;
  HostLibraries libraries_;
  HostInstanceLocks instanceLocks_;
  HostSystemInformation system_;
  MpvMediaBackend media_;
};

}  // namespace qlm
