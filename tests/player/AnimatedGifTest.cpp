#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "InputFixture.h"
#include "support/GifFile.h"

namespace qlm {
namespace {

// Frame colours as the window's frame holds them (0x00RRGGBB) and as GIF palettes store them
// (0x00BBGGRR).
constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kPage = 0xFFFFFF;
const std::vector<uint32_t> kPalette = {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF};

// Red for 100 ms, green for 250 ms, blue for 500 ms.
std::vector<uint8_t> ThreeFrames(std::optional<uint16_t> loop = std::nullopt) {
  return test::EncodeGif(
      6, 4, kPalette,
      {test::SolidGifFrame(0, 0, 6, 4, 0, 10), test::SolidGifFrame(0, 0, 6, 4, 1, 25),
       test::SolidGifFrame(0, 0, 6, 4, 2, 50)},
      loop);
}

ObjectRecord Gif(const std::string& name, std::vector<uint8_t> bytes, uint32_t timerId = 12,
                 IntRect rect = {10, 10, 40, 30}) {
  ObjectRecord o = test::Object(kObjAnimatedGif, name, rect);
  o.gifTimerId = timerId;
  o.gifData = std::move(bytes);
  return o;
}

struct GifPlayer {
  explicit GifPlayer(std::vector<ObjectRecord> objects, ObjectRecord master = {})
      : player(Make(std::move(objects), std::move(master))),
        start(player.loop.TickCount() - kStartRun) {}
  // The player ran this long after its first page was shown.
  static constexpr uint64_t kStartRun = 20;

  static Project Make(std::vector<ObjectRecord> objects, ObjectRecord master) {
    Project p = test::Pages({"One", "Two"});
    p.pages[0].objects = std::move(objects);
    if (!master.name.empty())
      p.masterLayer.objects.push_back(std::move(master));
    return p;
  }
  // Runs the loop until `ms` after the page was shown and paints.
  uint32_t ColourAt(uint64_t ms, int x = 20, int y = 20) {
    const uint64_t now = player.loop.TickCount();
    if (start + ms > now)
      player.loop.Run(start + ms - now);
    player.window->Paint();
    return player.window->Frame().Pixel(x, y) & 0xFFFFFF;
  }
  void Script(const std::string& line) { player.window->RunScriptText(line); }

  test::InputPlayer player;
  uint64_t start;
};

// The page is shown at the start; the frames change at 100 and 350 ms and the animation starts
// over at 850 ms (a GIF without a loop count plays forever).
TEST(AnimatedGif, FramesFollowTheirDelaysOnTheVirtualClock) {
  GifPlayer p({Gif("Anim", ThreeFrames())});
  const std::pair<uint64_t, uint32_t> expected[] = {
      {20, kRed},   {99, kRed},   {101, kGreen}, {349, kGreen}, {351, kBlue},
      {849, kBlue}, {851, kRed},  {951, kGreen}, {1201, kBlue}, {1699, kBlue},
      {1701, kRed}, {9449, kRed}, {9451, kGreen}};
  for (const auto& [ms, colour] : expected)
    EXPECT_EQ(p.ColourAt(ms), colour) << "at " << ms << " ms";
  // The GIF is stretched to the object's rectangle and nothing is drawn outside it.
  EXPECT_EQ(p.ColourAt(9451, 10, 10), kGreen);
  EXPECT_EQ(p.ColourAt(9451, 39, 29), kGreen);
  EXPECT_EQ(p.ColourAt(9451, 40, 30), kPage);
}

// A loop count of 1 plays twice and stops on the last frame, then runs the end script; Play
// plays the loops again.
TEST(AnimatedGif, LoopCountEndsOnTheLastFrameAndRunsTheEndScript) {
  ObjectRecord gif = Gif("Anim", ThreeFrames(1));
  gif.scripts[4] = test::CompileScript("ended=ended+1");
  GifPlayer p({std::move(gif)});
  EXPECT_EQ(p.ColourAt(851), kRed);  // the second pass
  EXPECT_EQ(p.ColourAt(1699), kBlue);
  EXPECT_EQ(p.ColourAt(1701), kBlue);
  EXPECT_EQ(p.ColourAt(5000), kBlue);
  double ended = 0;
  p.player.window->Variables().GetNumber("ended", ended);
  EXPECT_EQ(ended, 1);
  EXPECT_FALSE(p.player.loop.HasTimer(12));

  p.Script("AGifPlay(\"Anim\")");
  EXPECT_EQ(p.ColourAt(5499), kBlue);
  EXPECT_EQ(p.ColourAt(5501), kRed);
  EXPECT_EQ(p.ColourAt(7199), kBlue);
  EXPECT_EQ(p.ColourAt(9000), kBlue);
  p.player.window->Variables().GetNumber("ended", ended);
  EXPECT_EQ(ended, 2);
}

TEST(AnimatedGif, StopPlayAndResetCommands) {
  GifPlayer p({Gif("Anim", ThreeFrames())});
  EXPECT_EQ(p.ColourAt(150), kGreen);
  // Stop holds the frame shown.
  p.Script("AGifStop(\"Anim\")");
  EXPECT_EQ(p.ColourAt(2000), kGreen);
  // Play goes on from it with its whole delay.
  p.Script("AGifPlay(\"Anim\")");
  EXPECT_EQ(p.ColourAt(2249), kGreen);
  EXPECT_EQ(p.ColourAt(2251), kBlue);
  // Reset while playing: frame 1 at once, and it plays on.
  p.Script("AGifReset(\"Anim\")");
  EXPECT_EQ(p.ColourAt(2251), kRed);
  EXPECT_EQ(p.ColourAt(2352), kGreen);
  // Reset while stopped: frame 1, still stopped.
  p.Script("AGifStop(\"Anim\")");
  p.Script("AGifReset(\"Anim\")");
  EXPECT_EQ(p.ColourAt(4000), kRed);
  // A second Play does not restart the frame's delay.
  p.Script("AGifPlay(\"Anim\")");
  EXPECT_EQ(p.ColourAt(4050), kRed);
  p.Script("AGifPlay(\"Anim\")");
  EXPECT_EQ(p.ColourAt(4101), kGreen);
  // The commands leave other objects and unknown names alone.
  p.Script("AGifStop(\"Nothing\")");
  p.Script("AGifReset(\"Nothing\")");
  EXPECT_EQ(p.ColourAt(4352), kBlue);
}

// Two GIFs stored with the same timer id both play; the Master Layer's GIF plays on across a
// page change while the page's GIF stops with its page and starts over when it comes back.
TEST(AnimatedGif, SharedTimerIdsAndPageChanges) {
  const std::vector<uint8_t> slow = test::EncodeGif(
      2, 2, kPalette,
      {test::SolidGifFrame(0, 0, 2, 2, 3, 100), test::SolidGifFrame(0, 0, 2, 2, 2, 100)});
  GifPlayer p({Gif("Anim", ThreeFrames())}, Gif("Master", slow, 12, {100, 100, 120, 120}));
  EXPECT_EQ(p.ColourAt(101), kGreen);
  EXPECT_EQ(p.ColourAt(101, 110, 110), kPage);
  EXPECT_EQ(p.ColourAt(1001, 110, 110), kBlue);
  p.Script("NextPage()");
  EXPECT_EQ(p.ColourAt(1100, 20, 20), kPage);
  EXPECT_EQ(p.ColourAt(2001, 110, 110), kPage);
  EXPECT_EQ(p.ColourAt(3001, 110, 110), kBlue);
  p.Script("PrevPage()");
  const uint64_t back = p.player.loop.TickCount() - p.start;
  EXPECT_EQ(p.ColourAt(back + 50), kRed);
  EXPECT_EQ(p.ColourAt(back + 101), kGreen);
}

// A record that holds only its GIF bytes draws the GIF; a transparent pixel shows the page;
// damaged bytes draw nothing (also not state image A) and never arm a timer.
TEST(AnimatedGif, TransparencyAndDamagedBytes) {
  test::GifFrameSpec holes = test::SolidGifFrame(0, 0, 2, 1, 0);
  holes.indices = {3, 1};
  holes.transparentIndex = 3;
  std::vector<uint8_t> damaged = ThreeFrames();
  damaged.resize(20);
  ObjectRecord broken = Gif("Broken", damaged, 13, {50, 10, 80, 30});
  broken.stateImages[1].present = true;
  broken.stateImages[1].stored.data.image = Image24{1, 1, {0, 0, 0}};
  GifPlayer p({Gif("Holes", test::EncodeGif(2, 1, kPalette, {holes}), 12), std::move(broken)});
  EXPECT_EQ(p.ColourAt(20, 15, 20), kPage);
  EXPECT_EQ(p.ColourAt(20, 35, 20), kGreen);
  EXPECT_EQ(p.ColourAt(20, 60, 20), kPage);
  EXPECT_FALSE(p.player.loop.HasTimer(12));
  EXPECT_FALSE(p.player.loop.HasTimer(13));
  p.Script("AGifPlay(\"Broken\")");
  p.Script("AGifReset(\"Broken\")");
  EXPECT_EQ(p.ColourAt(500, 60, 20), kPage);
}

}  // namespace
}  // namespace qlm
