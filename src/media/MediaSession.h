#pragma once

#include <cstdint>

#include "media/MciDevices.h"
#include "media/MciObjects.h"
#include "media/SongList.h"

namespace qlm {

class BoundTextObjectFinder;
class ScriptRunner;

// The media state of one player window: the media-control devices, the MCI objects opened on
// its pages and the song list, with what the media commands need to publish and to name the
// window.
class MediaSession {
 public:
  MediaSession(EventLoop& loop, MediaBackend* backend, const FileSystem* files)
      : devices(loop, backend, files),
        objects([this](std::string_view command) { return devices.Send(command); }) {}
  MediaSession(const MediaSession&) = delete;
  MediaSession& operator=(const MediaSession&) = delete;

  MciDevices devices;
  MciObjects objects;
  SongList songs;
  // Objects named after the song-list variables show their values (null: none).
  BoundTextObjectFinder* boundObjects = nullptr;
  // The window handle "<This>" and child devices name, as decimal text.
  int64_t windowHandle = 0;

  // Closes every device and forgets the open MCI objects.
  void CloseAll() {
    devices.CloseAll();
    objects.ForgetAll();
  }
};

// The media commands: MCIObject, MCICommand and the song-list commands SongListReset,
// SongListAdd, SongListDel, SongListLoad, SongListSave, SongListRND and SongListEdit. The
// audio-engine rows of the command table keep no handler and do nothing.
void RegisterMediaCommands(ScriptRunner& runner, MediaSession& media);

}  // namespace qlm
