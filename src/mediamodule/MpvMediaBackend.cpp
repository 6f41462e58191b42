#include "mediamodule/MpvMediaBackend.h"

#include <mpv/client.h>

#include "mediamodule/FfmpegFile.h"
#include "mediamodule/ListedReferences.h"

#include <algorithm>
#include <cstdio>

namespace qlm {

namespace {

// Options every device starts with: no user configuration, no terminal, no scripts, no
// pictures, paused at the start, and held at the end so that the position stays readable.
void SetCommonOptions(mpv_handle* handle) {
  for (const auto& [name, value] : {std::pair{"config", "no"},
                                    {"terminal", "no"},
                                    {"load-scripts", "no"},
                                    {"ytdl", "no"},
                                    {"input-default-bindings", "no"},
                                    {"idle", "yes"},
                                    {"vid", "no"},
                                    {"video", "no"},
                                    {"audio-display", "no"},
                                    {"pause", "yes"},
                                    {"keep-open", "always"},
                                    {"load-unsafe-playlists", "no"}}) {
    mpv_set_option_string(handle, name, value);
  }
}

bool HasVideoTrack(mpv_handle* handle) {
  int64_t count = 0;
  if (mpv_get_property(handle, "track-list/count", MPV_FORMAT_INT64, &count) < 0)
    return false;
  for (int64_t i = 0; i < count; ++i) {
    const std::string name = "track-list/" + std::to_string(i) + "/type";
    char* type = mpv_get_property_string(handle, name.c_str());
    const bool video = type && std::string(type) == "video";
    mpv_free(type);
    if (video)
      return true;
  }
  return false;
}

}  // namespace

void MpvMediaBackend::HandleDeleter::operator()(mpv_handle* handle) const {
  mpv_terminate_destroy(handle);
}

MpvMediaBackend::MpvMediaBackend(Options options) : options_(options) {}

MpvMediaBackend::~MpvMediaBackend() = default;

mpv_handle* MpvMediaBackend::Find(const std::string& alias) const {
  const auto it = devices_.find(alias);
  if (it == devices_.end())
    return nullptr;
  // Nothing here listens to the library's events; drop them so its queue never fills.
  while (mpv_wait_event(it->second.get(), 0)->event_id != MPV_EVENT_NONE) {
  }
  return it->second.get();
}

std::optional<MediaBackend::MediaInfo> MpvMediaBackend::Open(const std::string& alias,
                                                             const MediaFile& file,
                                                             std::string& error,
                                                             RefusedReferences& refused) {
  Close(alias);
  Handle handle = Load(file, error);
  if (!handle) {
    // The library refuses a list without reading it; what it names is found here, and which
    // of that FFmpeg would have opened.
    if (!options_.followReferences) {
      AddListedReferences(file, refused);
      av_log_set_level(AV_LOG_QUIET);
      ffmpeg::OpenedStream probe;
      std::string ignored;
      ffmpeg::OpenStream(file, AVMEDIA_TYPE_AUDIO, probe, ignored, false, refused);
    }
    return std::nullopt;
  }
  MediaInfo info;
  double seconds = 0;
  if (mpv_get_property(handle.get(), "duration", MPV_FORMAT_DOUBLE, &seconds) >= 0 && seconds > 0)
    info.lengthMs = seconds * 1000.0;
  info.hasVideo = HasVideoTrack(handle.get());
  devices_[alias] = std::move(handle);
  return info;
}

MpvMediaBackend::Handle MpvMediaBackend::Load(const MediaFile& file, std::string& error) const {
  Handle handle(mpv_create());
  if (!handle) {
    error = "the media library cannot start";
    return nullptr;
  }
  SetCommonOptions(handle.get());
  if (!options_.followReferences) {
    // The file itself and nothing it names: no playlist entries, edit lists, chapters of other
    // files or references inside containers, and no protocol but files.
    for (const auto& [name, value] : {std::pair{"access-references", "no"},
                                      {"ordered-chapters", "no"},
                                      {"demuxer-lavf-o", "protocol_whitelist=file"}}) {
      mpv_set_option_string(handle.get(), name, value);
    }
  }
  if (options_.nullAudio) {
    mpv_set_option_string(handle.get(), "ao", "null");
    if (options_.untimed)
      mpv_set_option_string(handle.get(), "ao-null-untimed", "yes");
  }
  if (int rc = mpv_initialize(handle.get()); rc < 0) {
    error = mpv_error_string(rc);
    return nullptr;
  }
  // The file is read by the name of the file the player opened and checked, which the library
  // may open again (a loop, a seek) while the device lives. The library tells formats by their
  // content, so that name loses nothing but the folder a playlist's entries are relative to:
  // a presentation trusted with everything, whose playlists are followed, hands on the
  // resolved path instead. An absolute path never reads as an option or a protocol prefix.
  std::error_code ec;
  const std::string path =
      std::filesystem::absolute(options_.followReferences ? file.named : file.read, ec).string();
  const char* command[] = {"loadfile", path.c_str(), nullptr};
  if (int rc = mpv_command(handle.get(), command); rc < 0) {
    error = mpv_error_string(rc);
    return nullptr;
  }
  // Loading is asynchronous: wait for the header to be read or the load to fail.
  double waited = 0;
  const double limit = options_.openTimeoutMs / 1000.0;
  while (waited < limit) {
    const mpv_event* event = mpv_wait_event(handle.get(), 0.05);
    if (event->event_id == MPV_EVENT_NONE) {
      waited += 0.05;
    } else if (event->event_id == MPV_EVENT_FILE_LOADED) {
      return handle;
    } else if (event->event_id == MPV_EVENT_END_FILE) {
      const auto* end = static_cast<const mpv_event_end_file*>(event->data);
      error = end->reason == MPV_END_FILE_REASON_ERROR ? mpv_error_string(end->error)
                                                       : "the file holds no playable media";
      return nullptr;
    }
  }
  error = "the file did not open in time";
  return nullptr;
}

void MpvMediaBackend::Close(const std::string& alias) {
  devices_.erase(alias);
}

void MpvMediaBackend::Play(const std::string& alias) {
  if (mpv_handle* handle = Find(alias))
    mpv_set_property_string(handle, "pause", "no");
}

void MpvMediaBackend::Pause(const std::string& alias) {
  if (mpv_handle* handle = Find(alias))
    mpv_set_property_string(handle, "pause", "yes");
}

void MpvMediaBackend::Seek(const std::string& alias, double positionMs) {
  mpv_handle* handle = Find(alias);
  if (!handle)
    return;
  char seconds[64];
  std::snprintf(seconds, sizeof seconds, "%.3f", std::max(0.0, positionMs) / 1000.0);
  const char* command[] = {"seek", seconds, "absolute+exact", nullptr};
  mpv_command(handle, command);
}

void MpvMediaBackend::SetVolume(const std::string& alias, int volume) {
  mpv_handle* handle = Find(alias);
  if (!handle)
    return;
  double percent = std::clamp(volume, 0, 1000) / 10.0;
  mpv_set_property(handle, "volume", MPV_FORMAT_DOUBLE, &percent);
}

std::optional<double> MpvMediaBackend::PositionMs(const std::string& alias) {
  mpv_handle* handle = Find(alias);
  double seconds = 0;
  if (!handle || mpv_get_property(handle, "time-pos", MPV_FORMAT_DOUBLE, &seconds) < 0)
    return std::nullopt;
  return seconds * 1000.0;
}

bool MpvMediaBackend::ReachedEnd(const std::string& alias) {
  mpv_handle* handle = Find(alias);
  int flag = 0;
  return handle && mpv_get_property(handle, "eof-reached", MPV_FORMAT_FLAG, &flag) >= 0 && flag;
}

}  // namespace qlm
