#include "media/VideoObjects.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "document/ObjectFields.h"
#include "expr/SystemVariables.h"
#include "expr/VariableStore.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/FileSystem.h"
#include "script/WindowTimers.h"

namespace qlm {

namespace {

// What bound objects of closed video variables show.
const std::string kBlanks(25, ' ');

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string WholeText(double value) {
  return std::to_string(static_cast<int64_t>(value));
}

}  // namespace

std::string VideoTimeText(double seconds) {
  const auto total = static_cast<long long>(std::max(0.0, std::floor(seconds)));
  char text[48];
  if (total < 3600)
    std::snprintf(text, sizeof text, "%02lld:%02lld", total / 60, total % 60);
  else
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60,
                  total % 60);
  return text;
}

VideoObjects::VideoObjects(EventLoop& loop, VideoDecoders* decoders, const FileSystem* files,
                           Dialogs& dialogs, VideoHost& host)
    : loop_(loop), decoders_(decoders), files_(files), dialogs_(dialogs), host_(host) {}

VideoObjects::~VideoObjects() {
  loop_.KillTimer(window_timer::kVideoFrame);
  loop_.KillTimer(window_timer::kVideoTime);
}

uint64_t VideoObjects::Now() const {
  return loop_.TickCount();
}

VideoPlayer* VideoObjects::Find(const ObjectRecord& object) const {
  const auto it = players_.find(&object);
  return it == players_.end() ? nullptr : it->second.player.get();
}

VideoPlayer& VideoObjects::Create(ObjectRecord& object, const PageRecord* page) {
  Entry& entry = players_[&object];
  if (!entry.player) {
    entry.player = std::make_unique<VideoPlayer>(VideoPlayMode(object), VideoLoops(object),
                                                 VideoStartMs(object) * 1.0, object.rect);
    entry.page = page;
    entry.name = object.name;
  }
  return *entry.player;
}

void VideoObjects::Open(VideoPlayer& player, const std::string& file) {
  std::unique_ptr<VideoStream> stream;
  FileSystem::Opened opened = files_ ? files_->OpenForLibrary(file) : FileSystem::Opened{};
  if (opened.file) {
    std::string why = "no video decoders";
    RefusedReferences refused;
    if (decoders_)
      stream = decoders_->Open(MediaFile(opened.hostPath, opened.resolved), why, refused);
    for (const std::string& name : refused)
      files_->ReportRefusedRead(name);
    if (!stream)
      files_->TraceNote("video \"" + file + "\" does not open: " + why);
  }
  std::unique_ptr<ReadableFile> source = stream ? std::move(opened.file) : nullptr;
  player.SetMedia(std::move(stream), file, Now(), std::move(source));
  if (player.HasMedia())
    PublishOpened(player);
}

double VideoObjects::Action(ObjectRecord& object, const PageRecord* page, int action, double value,
                            double value2, const std::string& file) {
  using namespace video_action;
  if (object.typeCode != kObjVideo)
    return 0;
  VideoPlayer* player = Find(object);
  const uint64_t now = Now();
  switch (action) {
    case kLoad: {
      std::string path = file;
      if (path.empty()) {
        dialogs_.SetNextFileTitle(std::string(kOpenTitle));
        std::optional<std::string> chosen =
            dialogs_.ChooseFile(FileDialogMode::kOpen, kOpenFilter, {});
        if (!chosen)
          return 0;
        path = *chosen;
      }
      VideoPlayer& p = Create(object, page);
      const IntRect old = p.Rect();
      const bool wasRunning = p.Running();
      p.SetRect(object.rect);
      Open(p, path);
      if (p.HasMedia() && wasRunning)
        Action(object, page, kPlay);
      host_.RepaintVideoRect(old.Union(p.Rect()));
      break;
    }
    case kPlay: {
      if (player && (player->GetState() == VideoPlayer::State::kClosed || player->Running()))
        return 0;
      VideoPlayer& p = player ? *player : Create(object, page);
      if (!p.HasMedia())
        Open(p, p.File().empty() ? file : p.File());
      timed_ = &object;
      if (!p.FullScreen())
        p.SetFullScreen(VideoFullScreen(object));
      p.Play(now);
      p.SetEnded(false);
      PublishTime(p);
      host_.RepaintVideoRect(p.Rect());
      break;
    }
    case kPause:
      if (player && player->GetState() != VideoPlayer::State::kClosed) {
        player->Pause(now);
        GrabStill(*player);
        host_.RepaintVideoRect(player->Rect());
      }
      break;
    case kStop:
      if (player && player->GetState() != VideoPlayer::State::kClosed &&
          player->GetState() != VideoPlayer::State::kStopped) {
        player->Stop(now);
        GrabStill(*player);
        host_.RepaintVideoRect(player->Rect());
        if (player->Mode() >= 4)
          EndStep(players_.at(&object));
      }
      break;
    case kClose:
      if (player)
        Close(&object);
      break;
    case kSeek:
    case kSeekRelative:
      if (player && player->HasMedia()) {
        const double base = action == kSeekRelative ? player->PositionMs(now) : 0.0;
        player->SeekMs(base + player->FromUnits(value), now);
        PublishTime(*player);
        host_.RepaintVideoRect(player->Rect());
      }
      break;
    case kSetRate:
    case kChangeRate:
      if (player)
        player->SetRate(action == kChangeRate ? player->Rate() + value : value, now);
      break;
    case kGetRate:
      return player ? player->Rate() : 0;
    case kGetPosition:
      return player && player->HasMedia() ? player->ToUnits(player->PositionMs(now)) : 0;
    case kResize: {
      if (!(value > 0) || !(value2 > 0))
        return 0;
      const IntRect old = object.rect;
      object.rect.right = static_cast<int32_t>(
          std::min<int64_t>(INT32_MAX, int64_t{object.rect.left} + static_cast<int64_t>(value)));
      object.rect.bottom = static_cast<int32_t>(
          std::min<int64_t>(INT32_MAX, int64_t{object.rect.top} + static_cast<int64_t>(value2)));
      if (player)
        player->SetRect(object.rect);
      host_.VideoResized(object);
      host_.RepaintVideoRect(old.Union(object.rect));
      break;
    }
    case kWindowSize:
      return 0;
    case kFullScreen:
    case kPressFullScreen:
      if (player && player->GetState() != VideoPlayer::State::kClosed) {
        player->SetFullScreen(value != 0);
        host_.RepaintWindowNow();
      }
      break;
    case kLoop:
      if (player)
        player->SetLoop(value != 0);
      break;
    case kMute:
      if (player)
        player->SetMuted(value != 0);
      break;
    case kTimeFormat:
      if (player)
        player->SetFrameFormat(value != 0);
      break;
    case kFollowObject:
      if (player) {
        host_.RepaintVideoRect(player->Rect());
        player->SetRect(object.rect);
      }
      break;
    default:
      break;
  }
  Schedule();
  return 0;
}

void VideoObjects::GrabStill(VideoPlayer& player) {
  if (!player.HasMedia())
    return;
  const IntRect& r = player.Rect();
  if (!player.Picture(Now(), std::max(1, r.Width()), std::max(1, r.Height())))
    dialogs_.Message(kCannotGrab);
}

void VideoObjects::EndStep(const Entry& entry) {
  if (ObjectRecord* object = host_.FindVideoObject(entry.name))
    host_.RunVideoEndStep(*object);
}

void VideoObjects::Close(const ObjectRecord* key) {
  auto it = players_.find(key);
  if (it == players_.end())
    return;
  VideoPlayer& player = *it->second.player;
  player.MarkClosed();
  player.Stop(Now());
  host_.RepaintVideoRect(player.Rect());
  host_.RepaintWindowNow();
  PublishClosed();
  timed_ = nullptr;
  loop_.KillTimer(window_timer::kVideoTime);
  players_.erase(it);
  Schedule();
}

void VideoObjects::ClosePage(const PageRecord& page) {
  std::vector<const ObjectRecord*> keys;
  for (const auto& [key, entry] : players_) {
    if (entry.page == &page)
      keys.push_back(key);
  }
  for (const ObjectRecord* key : keys)
    Close(key);
}

void VideoObjects::CloseAll() {
  while (!players_.empty())
    Close(players_.begin()->first);
}

const VideoPicture* VideoObjects::PictureOf(const ObjectRecord& object, int width, int height) {
  VideoPlayer* player = Find(object);
  if (!player || width <= 0 || height <= 0)
    return nullptr;
  return player->Picture(Now(), width, height);
}

const VideoPicture* VideoObjects::FullScreenPicture(int width, int height) {
  for (auto& [key, entry] : players_) {
    if (entry.player->FullScreen() && entry.player->Running())
      return entry.player->Picture(Now(), width, height);
  }
  return nullptr;
}

bool VideoObjects::OnTimer(uint32_t id) {
  if (id == window_timer::kVideoFrame) {
    FrameDue();
    return true;
  }
  if (id == window_timer::kVideoTime) {
    VideoPlayer* player = timed_ ? Find(*timed_) : nullptr;
    if (player)
      PublishTime(*player);
    if (!player || !player->Running())
      loop_.KillTimer(window_timer::kVideoTime);
    return true;
  }
  return false;
}

void VideoObjects::FrameDue() {
  const uint64_t now = Now();
  std::vector<const ObjectRecord*> ended;
  for (auto& [key, entry] : players_) {
    VideoPlayer& player = *entry.player;
    if (!player.Running())
      continue;
    if (player.Failed()) {
      // The playback aborts on the last good picture and the failure becomes CBK_Error.
      player.Stop(now);
      Publish("CBK_Error", kErrorAbort, std::to_string(kErrorAbort));
      ended.push_back(key);
    } else if (player.Advance(now)) {
      ended.push_back(key);
    }
    // The object may have moved since the player took its rectangle.
    if (const ObjectRecord* object = host_.FindVideoObject(entry.name))
      player.SetRect(object->rect);
    host_.RepaintVideoRect(player.Rect());
    entry.paintedFrame = player.FrameNumber(now);
    if (player.FullScreen())
      host_.RepaintWindowNow();
  }
  for (const ObjectRecord* key : ended) {
    auto it = players_.find(key);
    if (it == players_.end())
      continue;
    PublishTime(*it->second.player);
    if (it->second.player->Mode() >= 4)
      EndStep(it->second);
  }
  Schedule();
}

void VideoObjects::Schedule() {
  const uint64_t now = Now();
  std::optional<uint32_t> next;
  int fullScreen = 0;
  bool timedRuns = false;
  for (auto& [key, entry] : players_) {
    if (entry.player->FullScreen())
      ++fullScreen;
    // A picture that fell due while the frame timer was re-armed is painted now.
    if (entry.player->Running() && entry.player->FrameNumber(now) != entry.paintedFrame) {
      entry.paintedFrame = entry.player->FrameNumber(now);
      host_.RepaintVideoRect(entry.player->Rect());
    }
    if (const std::optional<uint32_t> in = entry.player->NextPictureIn(now))
      next = next ? std::min(*next, *in) : *in;
    if (key == timed_ && entry.player->Running())
      timedRuns = true;
  }
  if (next)
    loop_.SetTimer(window_timer::kVideoFrame, *next);
  else
    loop_.KillTimer(window_timer::kVideoFrame);
  if (timedRuns && !loop_.HasTimer(window_timer::kVideoTime))
    loop_.SetTimer(window_timer::kVideoTime, kTimePeriodMs);
  else if (!timedRuns)
    loop_.KillTimer(window_timer::kVideoTime);
  if (fullScreen != fullScreen_) {
    fullScreen_ = fullScreen;
    host_.FullScreenVideosChanged(fullScreen);
  }
}

void VideoObjects::Publish(const std::string& name, double number, const std::string& bound) {
  if (variables_)
    PublishSystemVariable(*variables_, bound_, name, number, bound);
}

void VideoObjects::Publish(const std::string& name, const std::string& text,
                           const std::string& bound) {
  if (variables_)
    PublishSystemVariable(*variables_, bound_, name, text, bound);
}

void VideoObjects::PublishOpened(VideoPlayer& player) {
  const VideoStream::Info* info = player.Info();
  if (!info)
    return;
  const std::string name = FileNameOf(player.File());
  Publish("CBK_VName", name, name);
  const double seconds = std::floor(info->lengthMs / 1000.0);
  Publish("CBK_VTotal", VideoTimeText(seconds), VideoTimeText(seconds));
  Publish("CBK_VTotalSec", seconds, WholeText(seconds));
  Publish("CBK_VTotalFrames", static_cast<double>(info->frameCount),
          WholeText(static_cast<double>(info->frameCount)));
  PublishTime(player);
}

void VideoObjects::PublishTime(VideoPlayer& player) {
  if (!player.HasMedia())
    return;
  const uint64_t now = Now();
  const double seconds = std::floor(player.PositionMs(now) / 1000.0);
  const auto frame = static_cast<double>(player.FrameNumber(now));
  Publish("CBK_VTime", VideoTimeText(seconds), VideoTimeText(seconds));
  Publish("CBK_VTimeSec", seconds, WholeText(seconds));
  Publish("CBK_VFrame", frame, WholeText(frame));
}

void VideoObjects::PublishClosed() {
  if (!variables_)
    return;
  Publish("CBK_VName", std::string(), std::string());
  Publish("CBK_VTotal", kBlanks, kBlanks);
  Publish("CBK_VTime", kBlanks, kBlanks);
  // The numbers stay as they were; only what their objects show is blanked.
  for (const char* name : {"CBK_VTotalSec", "CBK_VTotalFrames", "CBK_VTimeSec", "CBK_VFrame"}) {
    double number = 0;
    variables_->GetNumber(name, number);
    Publish(name, number, kBlanks);
  }
}

}  // namespace qlm
