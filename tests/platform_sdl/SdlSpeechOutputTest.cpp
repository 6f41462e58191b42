// Speech queued on a real SDL audio device of the dummy driver, which plays in real time into
// nothing.

#include <gtest/gtest.h>

#include <SDL.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <mutex>
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

// Waits up to five seconds for `done`.
bool WaitFor(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!done() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return done();
}

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
  ASSERT_TRUE(WaitFor([&] { return speech.QueuedBytes() == 2 * ToneSynthesizer::kBytes; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(speech.QueuedBytes(), 2 * ToneSynthesizer::kBytes) << "paused speech is heard";
  speech.Resume();
  EXPECT_TRUE(WaitFor([&] { return speech.QueuedBytes() < 2 * ToneSynthesizer::kBytes; }))
      << "resumed speech is not heard";
  speech.Stop();
  EXPECT_EQ(speech.QueuedBytes(), 0u);
  EXPECT_TRUE(failures.empty());
}

// A tone synthesizer that holds each text until the test lets it go.
class HeldSynthesizer : public ToneSynthesizer {
 public:
  std::optional<SpokenAudio> Synthesize(const std::string& text, const SpeechVoice& voice,
                                        std::string& error) override {
    std::unique_lock lock(mutex);
    started = true;
    changed.notify_all();
    changed.wait(lock, [this] { return released; });
    return ToneSynthesizer::Synthesize(text, voice, error);
  }
  void Release() {
    const std::lock_guard lock(mutex);
    released = true;
    changed.notify_all();
  }
  bool Started() {
    const std::lock_guard lock(mutex);
    return started;
  }
  std::mutex mutex;
  std::condition_variable changed;
  bool started = false;
  bool released = false;
};

// Saying a text returns while it is still being synthesized (a long text does not hold up the
// player), and a stop meanwhile drops it: what was said before the stop is never heard after.
TEST_F(SdlSpeechOutputTest, SpeakReturnsBeforeTheSoundIsMadeAndStopDropsIt) {
  HeldSynthesizer synthesizer;
  SdlSpeechOutput speech(synthesizer, nullptr);
  speech.Pause();
  speech.Speak("long", {});
  ASSERT_TRUE(WaitFor([&] { return synthesizer.Started(); }));
  speech.Speak("queued", {});
  speech.Stop();
  synthesizer.Release();
  speech.Speak("after", {});
  ASSERT_TRUE(WaitFor([&] { return speech.QueuedBytes() > 0; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(speech.QueuedBytes(), ToneSynthesizer::kBytes);
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
