#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "document/PageRecord.h"
#include "media/VideoPlayer.h"

namespace qlm {

class BoundTextObjectFinder;
class Dialogs;
class EventLoop;
class FileSystem;
class ScriptRunner;
class VariableStore;

// The actions of video objects, as scripts, press targets and object moves send them.
namespace video_action {
inline constexpr int kLoad = 0;
inline constexpr int kPlay = 1;
inline constexpr int kPause = 2;
inline constexpr int kStop = 3;
inline constexpr int kClose = 4;
inline constexpr int kSeek = 5;
inline constexpr int kSeekRelative = 6;
inline constexpr int kSetRate = 7;
inline constexpr int kChangeRate = 8;
inline constexpr int kGetPosition = 9;
inline constexpr int kResize = 10;
inline constexpr int kWindowSize = 11;
inline constexpr int kFullScreen = 12;
inline constexpr int kLoop = 13;
inline constexpr int kMute = 14;
inline constexpr int kTimeFormat = 15;
// Press effects 4 and 5 switch full screen on and off.
inline constexpr int kPressFullScreen = 16;
inline constexpr int kFollowObject = 17;
inline constexpr int kGetRate = 9000;  // the playback rate, read by press effects 6 and 7
}  // namespace video_action

// What the video objects need from the window that shows them.
class VideoHost {
 public:
  virtual ~VideoHost() = default;
  virtual void RepaintVideoRect(const IntRect& rect) = 0;
  // A video object took another size.
  virtual void VideoResized(ObjectRecord& /*object*/) {}
  // Paints the whole window now (a video closed).
  virtual void RepaintWindowNow() = 0;
  // The video object of that name on the shown layers; null when it is gone.
  virtual ObjectRecord* FindVideoObject(const std::string& name) = 0;
  // A player in mode 4 stopped: the object's end step.
  virtual void RunVideoEndStep(ObjectRecord& object) = 0;
  // The number of videos in full-screen mode changed.
  virtual void FullScreenVideosChanged(int count) = 0;
};

// The players of the video objects (kind 12), each created by the first load or play of its
// object and owned here until it closes; the video whose time variables timer 502 refreshes;
// the frame timer that repaints playing videos when their next picture is due.
class VideoObjects {
 public:
  static constexpr const char* kCannotGrab = "Couldn't grab still image for this video format!";
  static constexpr const char* kOpenTitle = "Open Video";
  static constexpr const char* kOpenFilter =
      "Video Files (*.avi; *.qt; *.mov; *.mpg; *.mpeg; *.m1v; *.asf; *.wmv)|*.avi; *.qt; *.mov; "
      "*.mpg; *.mpeg; *.m1v; *.asf; *.mvm|AVI Files (*.avi)|*.avi|Windows Media (*.asf; "
      "*.wmv)|*.asf; *.mvm|MPEG Files (*.mpg; *.mpeg; *.m1v)| *.mpg; *.mpeg; *.m1v|QuickTime "
      "Files (*.qt; *.mov)|*.qt; *.mov|All Files (*.*)|*.*||";
  // Refresh period of timer 502.
  static constexpr uint32_t kTimePeriodMs = 100;

  VideoObjects(EventLoop& loop, VideoDecoders* decoders, const FileSystem* files, Dialogs& dialogs,
               VideoHost& host);
  ~VideoObjects();
  VideoObjects(const VideoObjects&) = delete;
  VideoObjects& operator=(const VideoObjects&) = delete;

  // The decoders files are opened with from now on (null: none open).
  void SetDecoders(VideoDecoders* decoders) { decoders_ = decoders; }
  // Where the video variables go; both may be null.
  void SetPublishing(VariableStore* variables, BoundTextObjectFinder* bound) {
    variables_ = variables;
    bound_ = bound;
  }

  // Carries out `action` on the video object `object` of `page` (nothing for other kinds).
  // `value` and `value2` are the action's numbers, `file` the file of a load, or of a play
  // that opens the object's file (path macros expanded). Returns what the action reads: the
  // position, the rate, or 0.
  double Action(ObjectRecord& object, const PageRecord* page, int action, double value = 0,
                double value2 = 0, const std::string& file = {});

  // The player of an object, or null.
  VideoPlayer* Find(const ObjectRecord& object) const;
  // The picture of a video object for the paint, at width x height; null when its still image
  // shows.
  const VideoPicture* PictureOf(const ObjectRecord& object, int width, int height);
  // The picture of a playing video in full-screen mode, at width x height; null when none.
  const VideoPicture* FullScreenPicture(int width, int height);

  // Timer 502 and the frame timer; false for other timers.
  bool OnTimer(uint32_t id);

  // The page's leave step and the player's end: close the videos of `page`, or all.
  void ClosePage(const PageRecord& page);
  void CloseAll();

 private:
  // CBK_Error after a playback that damaged data aborted: the media event the script sees for it.
  static constexpr int kErrorAbort = 3;

  struct Entry {
    std::unique_ptr<VideoPlayer> player;
    const PageRecord* page = nullptr;
    std::string name;
    int64_t paintedFrame = -1;  // the frame last asked to be painted
  };

  uint64_t Now() const;
  VideoPlayer& Create(ObjectRecord& object, const PageRecord* page);
  void Open(VideoPlayer& player, const std::string& file);
  void Close(const ObjectRecord* key);
  // A pause or stop shows the frame where the video is; a format that yields none says so.
  void GrabStill(VideoPlayer& player);
  void EndStep(const Entry& entry);
  void PublishOpened(VideoPlayer& player);
  void PublishTime(VideoPlayer& player);
  void PublishClosed();
  void Publish(const std::string& name, double number, const std::string& bound);
  void Publish(const std::string& name, const std::string& text, const std::string& bound);
  // Arms the frame timer for the next picture of the running videos and timer 502 while one
  // plays; counts the full-screen videos.
  void Schedule();
  void FrameDue();

  EventLoop& loop_;
  VideoDecoders* decoders_;
  const FileSystem* files_;
  Dialogs& dialogs_;
  VideoHost& host_;
  VariableStore* variables_ = nullptr;
  BoundTextObjectFinder* bound_ = nullptr;
  std::map<const ObjectRecord*, Entry> players_;
  // The video whose variables timer 502 refreshes.
  const ObjectRecord* timed_ = nullptr;
  int fullScreen_ = 0;
};

// The video commands VideoLoad, VideoPlay, VideoPause, VideoStop, VideoClose, VideoRewind,
// VideoSpeed, VideoScale and VideoParam.
void RegisterVideoCommands(ScriptRunner& runner, VideoObjects& videos);

// Position text of the video variables: "%02d:%02d" below an hour, else "%d:%02d:%02d".
std::string VideoTimeText(double seconds);

}  // namespace qlm
