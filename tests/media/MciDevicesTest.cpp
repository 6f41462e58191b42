#include "media/MciDevices.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "media/MediaFixture.h"
#include "mediamodule/MpvMediaBackend.h"
#include "platform/headless/VirtualEventLoop.h"

namespace qlm {
namespace {

using test::FolderFileSystem;
using test::TempFolder;

TEST(MciAnswerValue, ReadsNumbersStatusWordsAndMinutes) {
  const struct {
    const char* answer;
    int32_t value;
  } cases[] = {
      {"1:05", 65},  {"12:34", 754}, {"00:01:00", 1}, {"stopped", -1}, {"playing", -2},
      {"paused", 0}, {"1234", 1234}, {"42abc", 42},   {"", 0},         {"true", 0},
      {":30", 0},    {"-7", -7},     {"Playing", 0},  {"3:7", 187},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MciAnswerValue(c.answer), c.value) << c.answer;
}

// Real devices on generated wave files, timed by the virtual clock.
class MciDevicesTest : public ::testing::Test {
 protected:
  MciDevicesTest()
      : folder_("mci"),
        files_(folder_.Path()),
        backend_(MpvMediaBackend::Options{.nullAudio = true}),
        devices_(loop_, &backend_, &files_) {
    test::WriteWave(folder_.Path() / "tone.wav", 1000);
    std::ofstream(folder_.Path() / "notes.txt") << "not a sound at all\n";
  }

  struct Step {
    uint64_t waitMs;  // virtual time that passes before the command
    const char* command;
    uint32_t error;
    const char* answer;
  };

  void RunSteps(std::initializer_list<Step> steps) {
    for (const Step& step : steps) {
      if (step.waitMs)
        loop_.Advance(step.waitMs);
      const MciReply reply = devices_.Send(step.command);
      EXPECT_EQ(reply.error, step.error) << step.command;
      EXPECT_EQ(reply.answer, step.answer) << step.command;
    }
  }

  // Records the ends the table posts.
  struct EndRecorder : EventHandler {
    std::vector<std::string> ended;
    std::vector<uint64_t> at;
    VirtualEventLoop* loop = nullptr;
    MciDevices* devices = nullptr;
    void OnTimer(uint32_t id) override { devices->OnTimer(id); }
    void OnMessage(const WindowMessage& message) override {
      if (message.id == media_message::kEnded) {
        ended.push_back(message.texts.at(0));
        at.push_back(loop->TickCount());
      }
    }
  };

  TempFolder folder_;
  FolderFileSystem files_;
  VirtualEventLoop loop_;
  MpvMediaBackend backend_;
  MciDevices devices_;
};

TEST_F(MciDevicesTest, PlaysPausesSeeksAndStopsAgainstTheClock) {
  RunSteps({
      {0, "open C:\\tone.wav alias Snd", 0, "1"},
      {0, "status snd length", 0, "1000"},
      {0, "status SND mode", 0, "stopped"},
      {0, "play snd", 0, ""},
      {400, "status snd position", 0, "400"},
      {0, "status snd mode", 0, "playing"},
      {0, "pause snd", 0, ""},
      {500, "status snd position", 0, "400"},
      {0, "status snd mode", 0, "paused"},
      {0, "resume snd", 0, ""},
      {100, "status snd position", 0, "500"},
      {0, "stop snd", 0, ""},
      {0, "status snd mode", 0, "stopped"},
      {0, "seek snd to 250", 0, ""},
      {0, "status snd position", 0, "250"},
      {0, "seek snd to end", 0, ""},
      {0, "status snd position", 0, "1000"},
      {0, "play snd from 100 to 300", 0, ""},
      {250, "status snd position", 0, "300"},
      {0, "status snd mode", 0, "stopped"},
      {0, "set snd time format msf", 0, ""},
      {0, "status snd length", 0, "00:01:00"},
      {0, "status snd time format", 0, "msf"},
      {0, "setaudio snd volume to 500", 0, ""},
      {0, "status snd volume", 0, "500"},
      {0, "put snd window at 1 2 30 40", 0, ""},
      {0, "window snd state hide", 0, ""},
      {0, "close snd", 0, ""},
      {0, "status snd mode", mci_error::kInvalidDeviceName, ""},
  });
  EXPECT_EQ(devices_.OpenCount(), 0u);
}

TEST_F(MciDevicesTest, RefusesBadCommandsWithTheirErrorNumbers) {
  RunSteps({
      {0, "", mci_error::kMissingCommandString, ""},
      {0, "open", mci_error::kMissingDeviceName, ""},
      {0, "open C:\\missing.wav alias m", mci_error::kFileNotFound, ""},
      {0, "open C:\\notes.txt alias t", mci_error::kInvalidFile, ""},
      {0, "open C:\\tone.wav alias a bogus", mci_error::kUnrecognizedKeyword, ""},
      {0, "open C:\\tone.wav alias", mci_error::kMissingParameter, ""},
      {0, "open C:\\tone.wav parent x alias a", mci_error::kBadInteger, ""},
      {0, "open \"C:\\tone.wav\" type waveaudio alias a", 0, "1"},
      {0, "open C:\\tone.wav alias A", mci_error::kDuplicateAlias, ""},
      {0, "frobnicate a", mci_error::kUnrecognizedCommand, ""},
      {0, "play", mci_error::kMissingDeviceName, ""},
      {0, "play nosuch", mci_error::kInvalidDeviceName, ""},
      {0, "play a from 5000", mci_error::kOutOfRange, ""},
      {0, "play a from 600 to 200", mci_error::kOutOfRange, ""},
      {0, "play a from x", mci_error::kBadInteger, ""},
      {0, "play a sideways", mci_error::kUnrecognizedKeyword, ""},
      {0, "seek a to abc", mci_error::kBadInteger, ""},
      {0, "seek a", mci_error::kMissingParameter, ""},
      {0, "status a", mci_error::kMissingParameter, ""},
      {0, "status a bogus", mci_error::kUnrecognizedKeyword, ""},
      {0, "set a time format frames", mci_error::kUnrecognizedKeyword, ""},
      {0, "setaudio a volume to 2000", mci_error::kOutOfRange, ""},
      {0, "put a window at 1 2 3", mci_error::kMissingParameter, ""},
      {0, "close nosuch", mci_error::kInvalidDeviceName, ""},
      {0, "status a mode", 0, "stopped"},
      {0, "close all", 0, ""},
  });
  EXPECT_EQ(devices_.OpenCount(), 0u);
}

TEST_F(MciDevicesTest, PathsWithBlanksOpenWithoutQuotes) {
  std::filesystem::create_directories(folder_.Path() / "My Music");
  test::WriteWave(folder_.Path() / "My Music" / "a b.wav", 200);
  RunSteps({{0, "open C:\\My Music\\a b.wav alias x", 0, "1"}, {0, "status x length", 0, "200"}});
}

TEST_F(MciDevicesTest, EndIsPostedWhenTheVirtualClockPassesTheLength) {
  EndRecorder recorder;
  recorder.loop = &loop_;
  recorder.devices = &devices_;
  loop_.SetHandler(&recorder);
  const uint64_t start = loop_.TickCount();
  RunSteps({{0, "open C:\\tone.wav alias snd", 0, "1"}, {0, "play snd", 0, ""}});
  loop_.Advance(999);
  EXPECT_TRUE(recorder.ended.empty());
  loop_.Advance(20);
  ASSERT_EQ(recorder.ended, std::vector<std::string>{"snd"});
  EXPECT_LE(recorder.at[0] - start, 1010u);
  RunSteps({{0, "status snd mode", 0, "stopped"}, {0, "status snd position", 0, "1000"}});
  // A paused device never ends; closing one that plays cancels its end.
  RunSteps({{0, "play snd from 0", 0, ""}, {100, "pause snd", 0, ""}});
  loop_.Advance(2000);
  RunSteps({{0, "play snd", 0, ""}, {0, "close snd", 0, ""}});
  loop_.Advance(2000);
  EXPECT_EQ(recorder.ended.size(), 1u);
  EXPECT_FALSE(loop_.HasTimer(MciDevices::kEndTimer));
}

TEST(MciDevicesWithoutBackend, OpenFailsAsADriverThatCannotLoad) {
  TempFolder folder("mci-none");
  test::WriteWave(folder.Path() / "tone.wav", 100);
  FolderFileSystem files(folder.Path());
  VirtualEventLoop loop;
  MciDevices devices(loop, nullptr, &files);
  EXPECT_EQ(devices.Send("open C:\\tone.wav alias s").error, mci_error::kCannotLoadDriver);
}

// Real playback through the library: decoding runs on its own thread without the virtual
// clock, so this one test waits (bounded) in real time for the library to report the end.
TEST(MpvMediaBackend, PlaysAGeneratedWaveToItsEnd) {
  TempFolder folder("mpv");
  test::WriteWave(folder.Path() / "tone.wav", 300);
  MpvMediaBackend backend(MpvMediaBackend::Options{.nullAudio = true, .untimed = true});
  std::string error;
  RefusedReferences refused;
  const auto info = backend.Open("t", folder.Path() / "tone.wav", error, refused);
  ASSERT_TRUE(info) << error;
  EXPECT_NEAR(info->lengthMs, 300, 1);
  EXPECT_FALSE(info->hasVideo);
  EXPECT_FALSE(backend.ReachedEnd("t"));
  backend.Play("t");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!backend.ReachedEnd("t") && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(backend.ReachedEnd("t"));
  EXPECT_NEAR(backend.PositionMs("t").value_or(0), 300, 50);
  backend.Seek("t", 100);
  EXPECT_FALSE(backend.Open("u", folder.Path() / "missing.wav", error, refused));
  EXPECT_TRUE(refused.empty());
  backend.Close("t");
  EXPECT_FALSE(backend.PositionMs("t"));
}

}  // namespace
}  // namespace qlm
