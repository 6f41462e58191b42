// Video objects in a player window over the virtual clock, on clips written by the test: the
// picture shown at given times, objects above covering it, the commands' effects on the
// variables and the rectangle, closing, page changes and files that do not decode.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "InputFixture.h"
#include "mediamodule/FfmpegVideoDecoders.h"
#include "script/WindowTimers.h"
#include "video/TestClip.h"

namespace qlm::test {
namespace {

namespace fs = std::filesystem;

const IntRect kVideoRect{20, 20, 84, 68};      // 64 x 48, the clip's own size
constexpr uint32_t kStillColour = 0x00FF00FF;  // 0x00BBGGRR: magenta

// A still image of one colour, as the document stores state images.
void SetStill(ObjectRecord& o, uint32_t colour) {
  Image24 image;
  image.width = 8;
  image.height = 8;
  image.pixels.resize(8 * 8 * 3);
  for (size_t i = 0; i < image.pixels.size(); i += 3) {
    image.pixels[i] = static_cast<uint8_t>(colour >> 16);
    image.pixels[i + 1] = static_cast<uint8_t>(colour >> 8);
    image.pixels[i + 2] = static_cast<uint8_t>(colour);
  }
  o.stateImages[1].present = true;
  o.stateImages[1].stored.data.image = std::move(image);
}

// Two pages: "One" with the video object "Clip" (its file named by `file`), text objects
// bound to the video variables, and "Two".
Project VideoProject(const std::string& file, uint32_t mode = 0,
                     const std::string& endScript = {}) {
  Project p = Pages({"One", "Two"});
  ObjectRecord video = Object(kObjVideo, "Clip", kVideoRect);
  video.text = file;
  video.values[1] = mode;
  SetStill(video, kStillColour);
  if (!endScript.empty())
    video.scripts[static_cast<size_t>(ScriptSlot::kNotifyA)] = CompileScript(endScript);
  p.pages[0].objects.push_back(std::move(video));
  for (const char* name : {"CBK_VTotal", "CBK_VTime", "CBK_VFrame", "CBK_VTotalSec"}) {
    ObjectRecord bound = Object(kObjText, name, {100, 100, 190, 110});
    p.pages[0].objects.push_back(std::move(bound));
  }
  return p;
}

// The player's root folder (C:\ of its file system), which the fixture makes afresh.
fs::path RootOf(const std::string& name = "input") {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return fs::path(QLM_BINARY_DIR) / "input-test" / info->test_suite_name() / info->name() / name;
}

struct VideoPlayerFixture {
  explicit VideoPlayerFixture(Project project, ClipSpec spec = {64, 48, 25, 25, ClipCodec::kRaw})
      : player(std::move(project)), decoders({}) {
    std::string error;
    EXPECT_TRUE(WriteTestClip(RootOf() / "clip.avi", spec, error)) << error;
    std::ofstream(RootOf() / "bad.avi") << "RIFF but nothing a decoder could use";
    player.window->Videos().SetDecoders(&decoders);
  }

  void Script(const std::string& line) { player.window->RunScriptText(line); }
  int FrameShown(const IntRect& rect = kVideoRect) {
    return ReadClipFrame(player.window->Frame(), rect);
  }
  std::string Text(const std::string& name) {
    std::string text;
    player.window->Variables().GetText(name, text);
    return text;
  }
  ObjectRecord& Clip() { return player.Find("One::Clip"); }

  InputPlayer player;
  FfmpegVideoDecoders decoders;
};

TEST(VideoObjects, PicturesFollowTheVirtualClockAndObjectsAboveCoverThem) {
  Project p = VideoProject("C:\\clip.avi");
  // A rectangle over the lower right quarter of the video, above it in drawing order.
  ObjectRecord cover = Object(kObjRectangle, "Cover", {52, 44, 100, 80});
  cover.colours[1] = 0x00FF0000;  // blue
  p.pages[0].objects.push_back(std::move(cover));
  VideoPlayerFixture f(std::move(p));
  // Before any play the still image shows.
  EXPECT_EQ(f.player.window->Frame().Pixel(30, 60), Surface::FromColorRef(kStillColour));

  f.Script("VideoPlay(\"Clip\")");
  struct Step {
    uint64_t waitMs;
    int frame;
  };
  // 25 frames a second: frame n is due at 40 n ms after the play.
  for (const Step& step : {Step{0, 0}, Step{39, 0}, Step{1, 1}, Step{460, 12}, Step{100, 15}}) {
    f.player.loop.Run(step.waitMs);
    EXPECT_EQ(f.FrameShown(), step.frame) << "after " << step.waitMs;
    EXPECT_EQ(f.player.window->Frame().Pixel(30, 60), ClipColour(step.frame));
    EXPECT_EQ(f.player.window->Frame().Pixel(70, 60), Surface::FromColorRef(0x00FF0000));
  }
  // Paused, the picture holds; played again, it goes on from there.
  f.Script("VideoPause(\"Clip\")");
  f.player.loop.Run(200);
  EXPECT_EQ(f.player.window->Frame().Pixel(30, 60), ClipColour(15));
  f.Script("VideoPlay(\"Clip\")");
  f.player.loop.Run(80);
  EXPECT_EQ(f.player.window->Frame().Pixel(30, 60), ClipColour(17));
}

TEST(VideoObjects, CommandsSetTheVariablesAndTheRectangle) {
  VideoPlayerFixture f(VideoProject("C:\\clip.avi"));
  struct Step {
    const char* script;
    uint64_t waitMs;
    std::vector<std::pair<const char*, double>> numbers;
    std::vector<std::pair<const char*, const char*>> texts;
  };
  const Step steps[] = {
      {"VideoLoad(\"Clip\",\"C:\\clip.avi\")",
       0,
       {{"CBK_VTotalSec", 1}, {"CBK_VTotalFrames", 25}, {"CBK_VFrame", 0}, {"CBK_VTimeSec", 0}},
       {{"CBK_VName", "clip.avi"}, {"CBK_VTotal", "00:01"}, {"CBK_VTime", "00:00"}}},
      // Media time is counted in milliseconds.
      {"VideoRewind(\"Clip\",\"400\")", 0, {{"CBK_VFrame", 10}}, {}},
      {"VideoRewind(\"Clip\",\"-120,RELATIVE\")", 0, {{"CBK_VFrame", 7}}, {}},
      {"VideoParam(\"Clip\",\"frame\")\r\nVideoRewind(\"Clip\",\"5,RELATIVE\")",
       0,
       {{"CBK_VFrame", 12}, {"vfmt", 1}},
       {}},
      {"n=20\r\nVideoRewind(\"Clip\",\"n\")", 0, {{"CBK_VFrame", 20}}, {}},
      // Half speed: 400 ms of the clock are 5 frames.
      {"VideoRewind(\"Clip\",\"0\")\r\nVideoSpeed(\"Clip\",\"500\")\r\nVideoPlay(\"Clip\")",
       400,
       {{"CBK_VFrame", 5}},
       {}},
      {"VideoSpeed(\"Clip\",\"500,RELATIVE\")", 400, {{"CBK_VFrame", 15}}, {}},
      {"VideoParam(\"Clip\",\" Loop=ON \")\r\nVideoParam(\"Clip\",\"mute=on\")",
       0,
       {{"vloop", 1}, {"vmute", 1}},
       {}},
      {"VideoParam(\"Clip\",\"loop=yes\")", 0, {{"vloop", 0}}, {}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.script);
    f.Script(std::string(step.script) +
             "\r\nvfmt=getvideoparam(Clip,frame)\r\nvloop=getvideoparam(Clip,loop)"
             "\r\nvmute=getvideoparam(Clip,mute)");
    f.player.loop.Run(step.waitMs);
    for (const auto& [name, value] : step.numbers)
      EXPECT_EQ(f.player.Number(name), value) << name;
    for (const auto& [name, text] : step.texts)
      EXPECT_EQ(f.Text(name), text) << name;
  }

  // Resizing: both sizes above 0, each a number or a numeric variable.
  const struct {
    const char* script;
    IntRect rect;
  } sizes[] = {
      {"VideoScale(\"Clip\",\"128,96\")", {20, 20, 148, 116}},
      {"VideoScale(\"Clip\",\"0,50\")", {20, 20, 148, 116}},
      {"w=32\r\nVideoScale(\"Clip\",\"w,24\")", {20, 20, 52, 44}},
      {"VideoScale(\"Clip\",\"40\")", {20, 20, 52, 44}},
  };
  for (const auto& size : sizes) {
    SCOPED_TRACE(size.script);
    f.Script(size.script);
    EXPECT_EQ(f.Clip().rect, size.rect);
  }
  // The picture follows the rectangle.
  f.Script("VideoPause(\"Clip\")");
  f.player.loop.Run(10);
  EXPECT_GE(f.FrameShown({20, 20, 52, 44}), 0);
}

TEST(VideoObjects, CloseBlanksTheBoundObjectsAndKeepsTheNumbers) {
  VideoPlayerFixture f(VideoProject("C:\\clip.avi"));
  f.Script("VideoPlay(\"Clip\")");
  f.player.loop.Run(500);
  EXPECT_TRUE(f.player.loop.HasTimer(window_timer::kVideoTime));
  EXPECT_EQ(f.player.Number("CBK_VFrame"), 12);  // timer 502 refreshed it at 500 ms
  f.Script("VideoClose(\"Clip\")");
  const std::string blanks(25, ' ');
  EXPECT_EQ(f.Text("CBK_VTotal"), blanks);
  EXPECT_EQ(f.Text("CBK_VTime"), blanks);
  for (const char* name : {"CBK_VTotal", "CBK_VTime", "CBK_VFrame", "CBK_VTotalSec"})
    EXPECT_EQ(f.player.Find(std::string("One::") + name).text, blanks) << name;
  EXPECT_EQ(f.player.Number("CBK_VFrame"), 12);
  EXPECT_EQ(f.player.Number("CBK_VTotalSec"), 1);
  EXPECT_FALSE(f.player.loop.HasTimer(window_timer::kVideoTime));
  EXPECT_FALSE(f.player.loop.HasTimer(window_timer::kVideoFrame));
  EXPECT_EQ(f.player.window->Videos().Find(f.Clip()), nullptr);
  // The still image is back.
  f.player.loop.Run(10);
  EXPECT_EQ(f.player.window->Frame().Pixel(30, 60), Surface::FromColorRef(kStillColour));
  // Played again, the player is made anew from the object's file.
  f.Script("VideoPlay(\"Clip\")");
  f.player.loop.Run(85);
  EXPECT_EQ(f.player.window->Frame().Pixel(30, 60), ClipColour(2));
}

TEST(VideoObjects, LeavingThePageClosesAPlayingVideo) {
  VideoPlayerFixture f(VideoProject("C:\\clip.avi"));
  f.Script("VideoPlay(\"Clip\")");
  f.player.loop.Run(200);
  f.Script("Page(\"Two\")");
  f.player.loop.Run(100);
  EXPECT_EQ(f.player.Page(), "Two");
  EXPECT_EQ(f.player.window->Videos().Find(f.Clip()), nullptr);
  EXPECT_EQ(f.Text("CBK_VTotal"), std::string(25, ' '));
  EXPECT_FALSE(f.player.loop.HasTimer(window_timer::kVideoTime));
  EXPECT_FALSE(f.player.loop.HasTimer(window_timer::kVideoFrame));
}

TEST(VideoObjects, TheEndStopsRunsTheEndStepInMode4OrLoops) {
  struct Case {
    uint32_t mode;
    const char* extra;
    double ended;
    bool running;
  };
  for (const Case& c : {Case{4, "", 1, false}, Case{0, "", 0, false},
                        Case{4, "VideoParam(\"Clip\",\"loop=on\")", 0, true}}) {
    SCOPED_TRACE(c.mode);
    VideoPlayerFixture f(VideoProject("C:\\clip.avi", c.mode, "ended=ended+1"));
    f.Script(std::string("VideoPlay(\"Clip\")\r\n") + c.extra);
    f.player.loop.Run(1100);
    EXPECT_EQ(f.player.Number("ended"), c.ended);
    VideoPlayer* player = f.player.window->Videos().Find(f.Clip());
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->Running(), c.running);
    // Stopped at the end, the last frame stays; looping, the clip began again at 1000 ms.
    EXPECT_EQ(f.player.window->Frame().Pixel(30, 60), ClipColour(c.running ? 2 : 24));
    EXPECT_EQ(f.player.loop.HasTimer(window_timer::kVideoFrame), c.running);
  }
}

TEST(VideoObjects, AFileThatDoesNotDecodeLeavesTheStillImage) {
  VideoPlayerFixture f(VideoProject("C:\\bad.avi"));
  f.Script("VideoPlay(\"Clip\")\r\nVideoRewind(\"Clip\",\"200\")\r\nVideoPause(\"Clip\")");
  f.player.loop.Run(200);
  VideoPlayer* player = f.player.window->Videos().Find(f.Clip());
  ASSERT_NE(player, nullptr);
  EXPECT_FALSE(player->HasMedia());
  EXPECT_EQ(f.player.window->Frame().Pixel(30, 60), Surface::FromColorRef(kStillColour));
  EXPECT_EQ(f.Text("CBK_VName"), "");
  EXPECT_FALSE(f.player.loop.HasTimer(window_timer::kVideoFrame));
  EXPECT_TRUE(f.player.dialogs.boxes.empty());
  // A missing file the same.
  f.Script("VideoLoad(\"Clip\",\"C:\\missing.avi\")\r\nVideoPlay(\"Clip\")");
  EXPECT_FALSE(player->HasMedia());
}

// Damaged pictures from frame 10 on: the playback stops on the last good picture, the script
// sees the abort in CBK_Error, and the mode-4 end step runs as for any stop.
TEST(VideoObjects, DamagedDataAbortsThePlaybackIntoCbkError) {
  VideoPlayerFixture f(VideoProject("C:\\clip.avi", 4, "ended=ended+1"),
                       {64, 48, 25, 25, ClipCodec::kMjpeg});
  {
    std::fstream file(RootOf() / "clip.avi", std::ios::in | std::ios::out | std::ios::binary);
    std::string bytes(std::istreambuf_iterator<char>(file), {});
    int picture = 0;
    const size_t index = bytes.find("idx1");
    for (size_t at = bytes.find("00dc"); at < index; at = bytes.find("00dc", at + 4)) {
      uint32_t size = 0;
      std::memcpy(&size, bytes.data() + at + 4, 4);
      if (picture++ >= 10 && at + 8 + size <= bytes.size())
        std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(at + 8), size, '\x55');
    }
    file.seekp(0);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  f.Script("VideoPlay(\"Clip\")");
  f.player.loop.Run(200);
  EXPECT_EQ(f.player.Number("CBK_Error"), 0);
  f.player.loop.Run(600);
  EXPECT_EQ(f.player.Number("CBK_Error"), 3);
  EXPECT_EQ(f.player.Number("ended"), 1);
  VideoPlayer* player = f.player.window->Videos().Find(f.Clip());
  ASSERT_NE(player, nullptr);
  EXPECT_FALSE(player->Running());
  // The last good picture: frame 9 ends where frame 10 should start, so a decoder may lose it.
  EXPECT_THAT(f.FrameShown(), ::testing::AnyOf(8, 9));
}

// A load without a file asks for one in the "Open Video" picker; cancelling loads nothing.
TEST(VideoObjects, LoadWithoutAFileAsksForOne) {
  VideoPlayerFixture f(VideoProject(""));
  f.Script("VideoLoad(\"Clip\",\"\")");
  ASSERT_EQ(f.player.dialogs.pickers.size(), 1u);
  EXPECT_EQ(f.player.dialogs.pickers[0].kind, "open");
  EXPECT_EQ(f.player.dialogs.pickers[0].title, "Open Video");
  EXPECT_EQ(f.player.window->Videos().Find(f.Clip()), nullptr);
  f.player.dialogs.choices.push_back("C:\\clip.avi");
  f.Script("VideoLoad(\"Clip\",\"\")");
  const VideoPlayer* player = f.player.window->Videos().Find(f.Clip());
  ASSERT_NE(player, nullptr);
  EXPECT_TRUE(player->HasMedia());
  // The next picker a script opens has its own title again.
  f.Script("OpenFile(\"Text|*.txt|\",\"\")");
  ASSERT_EQ(f.player.dialogs.pickers.size(), 3u);
  EXPECT_EQ(f.player.dialogs.pickers[2].title, "");
}

TEST(VideoObjects, PressTargetsPlayStopAndChangeTheRate) {
  Project p = VideoProject("C:\\clip.avi");
  ObjectRecord button = Object(kObjTextButton, "Go", {100, 20, 150, 40});
  button.strings[7] = "Clip";
  p.pages[0].objects.push_back(std::move(button));
  VideoPlayerFixture f(std::move(p));
  auto press = [&](uint32_t effect) {
    f.player.Find("One::Go").values[7] = effect;
    f.player.Click(120, 30);
  };
  press(1);  // play
  f.player.loop.Run(400);
  EXPECT_EQ(f.player.window->Frame().Pixel(30, 60), ClipColour(10));
  press(6);  // double rate
  VideoPlayer* player = f.player.window->Videos().Find(f.Clip());
  ASSERT_NE(player, nullptr);
  EXPECT_EQ(player->Rate(), 2.0);
  press(2);  // stop
  EXPECT_FALSE(player->Running());
  // The full-screen press effect counts the video; the body does not drag meanwhile.
  press(4);
  EXPECT_TRUE(player->FullScreen());
  press(5);
  EXPECT_FALSE(player->FullScreen());
}

}  // namespace
}  // namespace qlm::test
