// Pictures come by presentation time, whatever the order positions are asked in, on clips
// written by the test.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "mediamodule/FfmpegVideoDecoders.h"
#include "video/TestClip.h"

namespace qlm::test {
namespace {

namespace fs = std::filesystem;

fs::path Folder() {
  const fs::path folder = fs::path(QLM_BINARY_DIR) / "video-test" / "decoder";
  fs::create_directories(folder);
  return folder;
}

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

// The frame a picture shows, read from its stripes.
int FrameShown(const VideoPicture& picture) {
  Surface surface(picture.width, picture.height);
  for (int y = 0; y < picture.height; ++y)
    std::copy_n(picture.Pixels() + static_cast<size_t>(y) * picture.width, picture.width,
                surface.Row(y));
  return ReadClipFrame(surface, {0, 0, picture.width, picture.height});
}

TEST(VideoDecoder, PicturesFollowTheirTimesForwardBackwardAndBeyondTheEnd) {
  struct Clip {
    const char* name;
    ClipSpec spec;
  };
  const Clip clips[] = {
      {"raw.avi", {64, 48, 10, 25, ClipCodec::kRaw}},
      {"mjpeg.avi", {64, 48, 10, 25, ClipCodec::kMjpeg}},
      // Key frames every 12 frames: positions between them decode from the key before.
      {"mpeg1.mpg", {160, 120, 30, 25, ClipCodec::kMpeg1}},
      {"mpeg1.avi", {160, 120, 30, 25, ClipCodec::kMpeg1Avi}},
      // Pictures large enough to span several packets: a seek to the start time itself lands
      // on a later frame.
      {"mpeg1-textured.mpg", {320, 240, 30, 25, ClipCodec::kMpeg1, true}},
  };
  for (const Clip& clip : clips) {
    SCOPED_TRACE(clip.name);
    const fs::path file = Folder() / clip.name;
    std::string error;
    ASSERT_TRUE(WriteTestClip(file, clip.spec, error)) << error;
    FfmpegVideoDecoders decoders({});
    RefusedReferences refused;
    std::unique_ptr<VideoStream> stream = decoders.Open(file, error, refused);
    ASSERT_TRUE(stream) << error;
    const VideoStream::Info& info = stream->Describe();
    EXPECT_EQ(info.width, clip.spec.width);
    EXPECT_EQ(info.height, clip.spec.height);
    EXPECT_DOUBLE_EQ(info.frameMs, 40.0);
    EXPECT_EQ(info.frameCount, clip.spec.frames);
    EXPECT_NEAR(info.lengthMs, clip.spec.frames * 40.0, 40.0);
    EXPECT_FALSE(info.hasSound);
    const int last = clip.spec.frames - 1;
    // Position (ms) -> frame, in this order: forward, back, a jump, the end and past it.
    const std::pair<double, int> steps[] = {
        {0, 0},   {39.9, 0},    {40, 1},
        {100, 2}, {360, 9},     {120, 3},
        {0, 0},   {5000, last}, {40.0 * last + 39, last},
        {200, 5}, {280, 7},
    };
    for (const auto& [position, expected] : steps) {
      const VideoPicture* picture = stream->PictureAt(position, 64, 48);
      ASSERT_TRUE(picture) << position;
      EXPECT_EQ(picture->frame, expected) << position;
      EXPECT_EQ(FrameShown(*picture), expected) << position;
    }
    // Scaled to what is asked, as the page needs it.
    const VideoPicture* big = stream->PictureAt(200, 128, 96);
    ASSERT_TRUE(big);
    EXPECT_EQ(big->width, 128);
    EXPECT_EQ(FrameShown(*big), 5);
    // Converted into a page's rows, at any place in them, before its own pixels are made and
    // after: the same pixels.
    for (const int size : {64, 128}) {
      const VideoPicture* picture = stream->PictureAt(240, size, size * 3 / 4);
      ASSERT_TRUE(picture);
      const int stride = size + 7;
      std::vector<uint32_t> before(static_cast<size_t>(stride) * picture->height + 3);
      picture->ConvertInto(before.data() + 3, stride);
      const uint32_t* own = picture->Pixels();
      std::vector<uint32_t> after(before.size());
      picture->ConvertInto(after.data() + 3, stride);
      for (int y = 0; y < picture->height; ++y) {
        for (int x = 0; x < picture->width; ++x) {
          const uint32_t pixel = own[y * picture->width + x] & 0xFFFFFF;
          const size_t at = 3 + static_cast<size_t>(y) * stride + x;
          ASSERT_EQ(before[at] & 0xFFFFFF, pixel) << size << ": " << x << "," << y;
          ASSERT_EQ(after[at] & 0xFFFFFF, pixel) << size << ": " << x << "," << y;
        }
      }
    }
  }
}

TEST(VideoDecoder, FilesThatAreNoVideoSayWhy) {
  const fs::path folder = Folder();
  struct Case {
    const char* name;
    std::string bytes;
    const char* reason;
  };
  const Case cases[] = {
      {"text.avi", "this is not a video at all, only some text", "not a media file"},
      {"empty.avi", "", "not a media file"},
      // A real header whose data is cut off after a few bytes.
      {"cut.avi", "", nullptr},
  };
  std::string error;
  ASSERT_TRUE(WriteTestClip(folder / "whole.avi", {64, 48, 10, 25, ClipCodec::kRaw}, error));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path file = folder / c.name;
    if (std::string(c.name) == "cut.avi") {
      std::string whole = ReadBytes(folder / "whole.avi");
      whole.resize(300);
      WriteBytes(file, whole);
    } else {
      WriteBytes(file, c.bytes);
    }
    FfmpegVideoDecoders decoders({});
    error.clear();
    RefusedReferences refused;
    EXPECT_FALSE(decoders.Open(file, error, refused));
    EXPECT_TRUE(refused.empty());
    EXPECT_FALSE(error.empty());
    if (c.reason) {
      EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
  }
}

}  // namespace
}  // namespace qlm::test
