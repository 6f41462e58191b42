// Video files that name other files: the decoders read the file they are given and nothing the
// file names, outside the presentation or on the network, unless everything is trusted; what a
// list named is reported as a refused read. A video object plays the very file the door checked.

#include <gtest/gtest.h>

#include <fstream>

#include "document/ObjectFields.h"
#include "media/VideoObjects.h"
#include "mediamodule/FfmpegVideoDecoders.h"
#include "platform/headless/VirtualEventLoop.h"
#include "support/NoVideoHost.h"
#include "support/RecordingDialogs.h"
#include "support/ReferenceTraps.h"
#include "video/TestClip.h"

namespace qlm::test {
namespace {

namespace fs = std::filesystem;

fs::path SceneFolder() {
  return FolderForCurrentTest(fs::path(QLM_BINARY_DIR) / "video-test");
}

TEST(VideoReferences, ListsOpenNothingTheyNameAndConnectNowhere) {
  ReferenceScene scene(SceneFolder());
  std::string error;
  ASSERT_TRUE(WriteTestClip(scene.outside / "clip.avi", {64, 48, 10, 25, ClipCodec::kRaw}, error))
      << error;
  ASSERT_TRUE(scene.watch.Ready() && scene.trap.Ready());
  scene.watch.Opened();  // the writing of the clip

  for (const auto& [name, text] : ListsNaming(scene.outside / "clip.avi", scene.trap)) {
    SCOPED_TRACE(name);
    FfmpegVideoDecoders decoders({});
    RefusedReferences refused;
    std::unique_ptr<VideoStream> stream = decoders.Open(scene.Write(name, text), error, refused);
    if (stream)
      stream->PictureAt(500, 64, 48);
    EXPECT_FALSE(stream) << "a list played";
    EXPECT_FALSE(scene.watch.Opened());
    EXPECT_FALSE(scene.trap.Connected());
    EXPECT_TRUE(RefusesWhatAListNames(refused, scene.outside / "clip.avi", scene.trap));
  }

  // Trusted, the stream list is followed: the traps do see it, and nothing is refused.
  FfmpegVideoDecoders trusted({.followReferences = true});
  RefusedReferences refused;
  trusted.Open(scene.show / "stream.m3u8", error, refused);
  EXPECT_TRUE(scene.watch.Opened());
  EXPECT_TRUE(refused.empty());
}

// The video objects of a presentation in the scene's folder, and one video object.
struct VideoScene {
  explicit VideoScene(ReferenceScene& scene)
      : decoders({}), videos(loop, &decoders, &scene.files, dialogs, window) {
    object.typeCode = kObjVideo;
    object.name = "Clip";
    object.rect = {0, 0, 64, 48};
  }
  // The frames of the file a load of `file` opened; -1 when none opened.
  int64_t Load(const std::string& file) {
    videos.Action(object, nullptr, video_action::kLoad, 0, 0, file);
    const VideoPlayer* player = videos.Find(object);
    const int64_t frames = player && player->Info() ? player->Info()->frameCount : -1;
    videos.Action(object, nullptr, video_action::kClose);
    return frames;
  }

  VirtualEventLoop loop;
  FfmpegVideoDecoders decoders;
  RecordingDialogs dialogs;
  NoVideoHost window;
  VideoObjects videos;
  ObjectRecord object;
};

// Through the video objects and the presentation's door: each list leaves the object without
// media and every file or address it names is reported once as a refused read.
TEST(VideoReferences, WhatAListNamesIsReportedAsABlockedRead) {
  ReferenceScene scene(SceneFolder());
  std::string error;
  ASSERT_TRUE(WriteTestClip(scene.outside / "clip.avi", {64, 48, 10, 25, ClipCodec::kRaw}, error))
      << error;
  ASSERT_TRUE(scene.trap.Ready());
  VideoScene videos(scene);
  for (const ReportedList& list : kReportedLists) {
    SCOPED_TRACE(list.list);
    WriteReportedList(scene, list, scene.outside / "clip.avi");
    EXPECT_EQ(videos.Load(list.list), -1);
    EXPECT_FALSE(scene.trap.Connected());
    EXPECT_EQ(SortedReports(scene), ReportsOf(scene, list, scene.outside / "clip.avi"));
  }
}

// A second thread swaps the checked clip for a link to a longer clip outside the presentation
// while the video object loads it: what plays is always the clip that was checked.
TEST(VideoObjectsOpen, PlaysTheCheckedFileWhileALinkIsSwappedIn) {
  ReferenceScene scene(SceneFolder());
  std::string error;
  ASSERT_TRUE(WriteTestClip(scene.show / "race.avi", {64, 48, 5, 25, ClipCodec::kRaw}, error));
  ASSERT_TRUE(WriteTestClip(scene.outside / "long.avi", {64, 48, 9, 25, ClipCodec::kRaw}, error));
  fs::create_symlink(scene.outside / "long.avi", scene.show / "race-link");
  VideoScene videos(scene);

  int inside = 0, outside = 0;
  Swapper swapper(scene.show / "race.avi", scene.show / "race-link");
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (std::chrono::steady_clock::now() < end) {
    const int64_t frames = videos.Load("race.avi");
    inside += frames == 5;
    outside += frames == 9;
  }
  EXPECT_EQ(outside, 0);
  EXPECT_GT(inside, 0);
  EXPECT_GT(swapper.Swaps(), 100);
}

// The decoders read the opened file by a name without an extension: a clip without one, or
// with a misleading one, plays as it does under its proper name.
TEST(VideoObjectsOpen, FilesPlayWhateverTheirNamesSay) {
  ReferenceScene scene(SceneFolder());
  VideoScene videos(scene);
  const struct {
    ClipCodec codec;
    const char* proper;
    std::vector<const char*> others;
  } kCases[] = {{ClipCodec::kRaw, "clip.avi", {"clip", "clip.mpg"}},
                {ClipCodec::kMpeg1, "movie.mpg", {"MOVIE", "movie.avi", "movie.wav"}}};
  for (const auto& c : kCases) {
    std::string error;
    ASSERT_TRUE(WriteTestClip(scene.show / c.proper, {64, 48, 30, 25, c.codec}, error)) << error;
    const int64_t frames = videos.Load(c.proper);
    EXPECT_GT(frames, 0) << c.proper;
    for (const char* name : c.others) {
      fs::copy_file(scene.show / c.proper, scene.show / name);
      EXPECT_EQ(videos.Load(name), frames) << name;
    }
  }
  EXPECT_TRUE(scene.files.blocked.empty());
}

}  // namespace
}  // namespace qlm::test
