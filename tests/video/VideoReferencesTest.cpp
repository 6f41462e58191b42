// Video files that name other files: the decoders read the file they are given and nothing the
// file names, outside the presentation or on the network, unless everything is trusted.

#include <gtest/gtest.h>

#include <fstream>

#include "mediamodule/FfmpegVideoDecoders.h"
#include "support/ReferenceTraps.h"
#include "video/TestClip.h"

namespace qlm::test {
namespace {

namespace fs = std::filesystem;

TEST(VideoReferences, ListsOpenNothingTheyNameAndConnectNowhere) {
  ReferenceScene scene(fs::path(QLM_BINARY_DIR) / "video-test" / "references");
  std::string error;
  ASSERT_TRUE(WriteTestClip(scene.outside / "clip.avi", {64, 48, 10, 25, ClipCodec::kRaw}, error))
      << error;
  ASSERT_TRUE(scene.watch.Ready() && scene.trap.Ready());
  scene.watch.Opened();  // the writing of the clip

  for (const auto& [name, text] : ListsNaming(scene.outside / "clip.avi", scene.trap)) {
    SCOPED_TRACE(name);
    FfmpegVideoDecoders decoders({});
    std::unique_ptr<VideoStream> stream = decoders.Open(scene.Write(name, text), error);
    if (stream)
      stream->PictureAt(500, 64, 48);
    EXPECT_FALSE(stream) << "a list played";
    EXPECT_FALSE(scene.watch.Opened());
    EXPECT_FALSE(scene.trap.Connected());
  }

  // Trusted, the stream list is followed: the traps do see it.
  FfmpegVideoDecoders trusted({.followReferences = true});
  trusted.Open(scene.show / "stream.m3u8", error);
  EXPECT_TRUE(scene.watch.Opened());
}

}  // namespace
}  // namespace qlm::test
