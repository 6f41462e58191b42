#include "graphics/GifAnimation.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "support/GifFile.h"

namespace qlm {
namespace {

using test::EncodeGif;
using test::GifFrameSpec;
using test::SolidGifFrame;

constexpr uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kWhite = 0xFFFFFF;
const std::vector<uint32_t> kPalette = {kRed, kGreen, kBlue, kWhite};
constexpr int kClear = -1;  // an expected pixel that shows what lies beneath

// The colour (0x00BBGGRR) of a screen pixel, or kClear where the mask lets the page through.
int64_t PixelAt(const GifCanvas& canvas, uint32_t x, uint32_t y) {
  const size_t at = (size_t{y} * canvas.Colours().width + x) * 3;
  if (canvas.Mask().pixels[at] == 0xFF)
    return kClear;
  const uint8_t* p = &canvas.Colours().pixels[at];
  return (int64_t{p[0]} << 16) | (int64_t{p[1]} << 8) | p[2];
}

std::vector<uint8_t> ThreeFrames(std::optional<uint16_t> loop = std::nullopt) {
  return EncodeGif(6, 4, kPalette,
                   {SolidGifFrame(0, 0, 6, 4, 0, 10), SolidGifFrame(0, 0, 6, 4, 1, 25),
                    SolidGifFrame(0, 0, 6, 4, 2, 50)},
                   loop);
}

TEST(GifAnimation, ReadsFramesDelaysAndLoopCount) {
  const std::vector<uint8_t> file = ThreeFrames(3);
  ASSERT_FALSE(file.empty());
  const std::optional<GifAnimation> gif = GifAnimation::Decode(file);
  ASSERT_TRUE(gif);
  EXPECT_EQ(gif->Width(), 6u);
  EXPECT_EQ(gif->Height(), 4u);
  ASSERT_EQ(gif->Frames().size(), 3u);
  EXPECT_EQ(gif->Frames()[0].delayMs, 100u);
  EXPECT_EQ(gif->Frames()[1].delayMs, 250u);
  EXPECT_EQ(gif->Frames()[2].delayMs, 500u);
  EXPECT_EQ(gif->LoopCount(), 3u);
  EXPECT_EQ(GifAnimation::Decode(ThreeFrames(0))->LoopCount(), 0u);
  EXPECT_EQ(GifAnimation::Decode(ThreeFrames())->LoopCount(), std::nullopt);

  // Delays of 0 and 1 hundredths are shown as 10; 2 stays.
  const std::vector<uint8_t> fast =
      EncodeGif(2, 2, kPalette,
                {SolidGifFrame(0, 0, 2, 2, 0, 0), SolidGifFrame(0, 0, 2, 2, 1, 1),
                 SolidGifFrame(0, 0, 2, 2, 2, 2)});
  const std::optional<GifAnimation> quick = GifAnimation::Decode(fast);
  ASSERT_TRUE(quick);
  EXPECT_EQ(quick->Frames()[0].delayMs, 100u);
  EXPECT_EQ(quick->Frames()[1].delayMs, 100u);
  EXPECT_EQ(quick->Frames()[2].delayMs, 20u);
}

TEST(GifAnimation, CanvasStepsThroughFramesAndStartsOverAfterTheLast) {
  const std::vector<uint8_t> file = ThreeFrames();
  const std::optional<GifAnimation> gif = GifAnimation::Decode(file);
  ASSERT_TRUE(gif);
  GifCanvas canvas(*gif);
  const int64_t expected[] = {kRed, kGreen, kBlue, kRed, kGreen};
  for (size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(canvas.FrameIndex(), i % 3);
    EXPECT_EQ(PixelAt(canvas, 5, 3), expected[i]);
    canvas.Advance();
  }
  canvas.Reset();
  EXPECT_EQ(canvas.FrameIndex(), 0u);
  EXPECT_EQ(PixelAt(canvas, 0, 0), kRed);
}

// Frames on a 2 x 1 screen; the pixels after the last frame is drawn.
struct ComposeCase {
  std::string name;
  std::vector<GifFrameSpec> frames;
  int64_t left, right;
};

GifFrameSpec Frame(uint32_t left, std::vector<uint8_t> indices, GifDisposal disposal = {},
                   int transparent = -1) {
  GifFrameSpec f;
  f.left = left;
  f.width = static_cast<uint32_t>(indices.size());
  f.height = 1;
  f.indices = std::move(indices);
  f.disposal = disposal;
  f.transparentIndex = transparent;
  f.delayCs = 10;
  return f;
}

class GifCompose : public testing::TestWithParam<ComposeCase> {};

TEST_P(GifCompose, DisposesAndKeepsTransparentPixelsClear) {
  const ComposeCase& c = GetParam();
  const std::vector<uint8_t> file = EncodeGif(2, 1, kPalette, c.frames);
  ASSERT_FALSE(file.empty());
  const std::optional<GifAnimation> gif = GifAnimation::Decode(file);
  ASSERT_TRUE(gif);
  ASSERT_EQ(gif->Frames().size(), c.frames.size());
  GifCanvas canvas(*gif);
  for (size_t i = 1; i < c.frames.size(); ++i)
    canvas.Advance();
  EXPECT_EQ(PixelAt(canvas, 0, 0), c.left);
  EXPECT_EQ(PixelAt(canvas, 1, 0), c.right);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GifCompose,
    testing::Values(ComposeCase{"KeptFrameStaysUnderTheNext",
                                {Frame(0, {0, 0}, GifDisposal::kKeep), Frame(1, {1})},
                                kRed,
                                kGreen},
                    ComposeCase{"BackgroundDisposalClearsTheFrame",
                                {Frame(0, {0, 0}, GifDisposal::kBackground), Frame(1, {1})},
                                kClear,
                                kGreen},
                    ComposeCase{
                        "PreviousDisposalRestoresTheScreenBeforeIt",
                        {Frame(0, {0, 0}), Frame(0, {1}, GifDisposal::kPrevious), Frame(1, {2})},
                        kRed,
                        kBlue},
                    ComposeCase{"PreviousDisposalOfTheFirstFrameLeavesAClearScreen",
                                {Frame(0, {0, 0}, GifDisposal::kPrevious), Frame(1, {1})},
                                kClear,
                                kGreen},
                    ComposeCase{"TransparentIndexShowsTheFrameBeneath",
                                {Frame(0, {0, 0}), Frame(0, {3, 2}, GifDisposal::kKeep, 3)},
                                kRed,
                                kBlue},
                    ComposeCase{"TransparentIndexOnAnEmptyScreenIsClear",
                                {Frame(0, {3, 1}, GifDisposal::kKeep, 3)},
                                kClear,
                                kGreen},
                    ComposeCase{"FrameReachingPastTheScreenIsCut",
                                {Frame(0, {0, 0}), Frame(1, {2, 2, 2, 2})},
                                kRed,
                                kBlue}),
    [](const testing::TestParamInfo<ComposeCase>& param) { return param.param.name; });

TEST(GifAnimation, ReadsInterlacedRowsAndLocalPalettes) {
  GifFrameSpec f;
  f.width = 1;
  f.height = 9;
  f.interlaced = true;
  f.palette = {kBlue, kGreen};
  for (uint8_t y = 0; y < 9; ++y)
    f.indices.push_back(y % 2);
  const std::vector<uint8_t> file = EncodeGif(1, 9, kPalette, {f});
  const std::optional<GifAnimation> gif = GifAnimation::Decode(file);
  ASSERT_TRUE(gif);
  GifCanvas canvas(*gif);
  for (uint32_t y = 0; y < 9; ++y)
    EXPECT_EQ(PixelAt(canvas, 0, y), y % 2 ? kGreen : kBlue) << y;
}

TEST(GifAnimation, DamagedFilesKeepTheWholeFramesOrGiveNothing) {
  const std::vector<uint8_t> file = ThreeFrames(0);
  // Every cut: nothing crashes, and a cut never yields more frames than were whole before it.
  size_t lastFrames = 0;
  for (size_t cut = 0; cut < file.size(); ++cut) {
    const std::optional<GifAnimation> gif = GifAnimation::Decode(std::span(file).first(cut));
    const size_t frames = gif ? gif->Frames().size() : 0;
    EXPECT_GE(frames, lastFrames) << cut;
    EXPECT_LE(frames, 3u);
    lastFrames = frames;
    if (gif)
      GifCanvas(*gif).Advance();
  }
  EXPECT_FALSE(GifAnimation::Decode(std::span(file).first(13)));

  // Random bytes after a valid header, and flipped bytes anywhere.
  std::mt19937 random(12);
  for (int round = 0; round < 300; ++round) {
    std::vector<uint8_t> bad = file;
    for (int k = 0; k < 4; ++k)
      bad[random() % bad.size()] = static_cast<uint8_t>(random());
    if (const std::optional<GifAnimation> gif = GifAnimation::Decode(bad)) {
      GifCanvas canvas(*gif);
      for (size_t i = 0; i < gif->Frames().size() + 1; ++i)
        canvas.Advance();
    }
  }
  EXPECT_FALSE(GifAnimation::Decode(std::vector<uint8_t>{'G', 'I', 'F', '8', '9', 'a'}));

  // A screen of 65535 x 65535 is refused before anything is reserved for it.
  std::vector<uint8_t> huge = EncodeGif(2, 2, kPalette, {SolidGifFrame(0, 0, 2, 2, 0)});
  huge[6] = huge[7] = huge[8] = huge[9] = 0xFF;
  EXPECT_FALSE(GifAnimation::Decode(huge));
}

}  // namespace
}  // namespace qlm
