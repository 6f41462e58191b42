// Speech queued on a real SDL audio device of the dummy driver, which plays in real time into
// nothing.

#include <gtest/gtest.h>

#include <SDL.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/sdl/SdlSpeechOutput.h"

namespace qlm {
namespace {

// Half a second of a constant tone for every text; fails every text once told to.
class ToneSynthesizer : public SpeechSynthesizer {
 public:
  bool Ready(std::string& error) override {
    if (broken)
      error = "no voice";
    return !broken;
  }
  std::optional<SpokenAudio> Synthesize(const std::string&, const SpeechVoice&,
                                        std::string& error) override {
    if (!Ready(error))
      return std::nullopt;
    return SpokenAudio{kRate, std::vector<int16_t>(kRate / 2, 1000)};
  }
  static constexpr int kRate = 22050;
  static constexpr uint32_t kBytes = kRate / 2 * 2;
  bool broken = false;
};

class SdlSpeechOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
      GTEST_SKIP() << "SDL's dummy audio driver is not available: " << SDL_GetError();
  }
  void TearDown() override { SDL_QuitSubSystem(SDL_INIT_AUDIO); }
};

// Utterances said while paused wait behind each other, resuming plays them and stopping
// forgets what is left.
TEST_F(SdlSpeechOutputTest, UtterancesQueueWhilePausedPlayOnResumeAndStopClears) {
  ToneSynthesizer synthesizer;
  std::vector<std::string> failures;
  SdlSpeechOutput speech(synthesizer, [&](const std::string& why) { failures.push_back(why); });
  speech.Pause();
  speech.Speak("one", {});
  speech.Speak("two", {});
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(speech.QueuedBytes(), 2 * ToneSynthesizer::kBytes);
  speech.Resume();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (speech.QueuedBytes() == 2 * ToneSynthesizer::kBytes &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_LT(speech.QueuedBytes(), 2 * ToneSynthesizer::kBytes) << "resumed speech is not heard";
  speech.Stop();
  EXPECT_EQ(speech.QueuedBytes(), 0u);
  EXPECT_TRUE(failures.empty());
}

// A synthesizer that cannot speak is reported once, however often the script tries.
TEST_F(SdlSpeechOutputTest, AMissingVoiceIsReportedOnce) {
  ToneSynthesizer synthesizer;
  synthesizer.broken = true;
  std::vector<std::string> failures;
  SdlSpeechOutput speech(synthesizer, [&](const std::string& why) { failures.push_back(why); });
  speech.Prepare();
  speech.Speak("one", {});
  speech.Speak("two", {});
  EXPECT_EQ(failures, std::vector<std::string>{"no voice"});
  EXPECT_EQ(speech.QueuedBytes(), 0u);
}

}  // namespace
}  // namespace qlm
