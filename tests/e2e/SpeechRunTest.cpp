// Speech played by the real qlmplayer binary headless with --speech-wav, which loads the speech
// module on the first utterance: each utterance becomes a WAV file that holds audible speech,
// whose length follows the speed, and that is the same on every run.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "e2e/E2eSupport.h"

namespace qlm::test {
namespace {

namespace fs = std::filesystem;

uint32_t U32(const std::string& b, size_t at) {
  return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8 |
         static_cast<uint8_t>(b[at + 2]) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}

uint16_t U16(const std::string& b, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}

struct Wav {
  size_t samples = 0;
  int peak = 0;
};

// The samples of a 16-bit mono PCM WAV file; fails the test when the header is not that.
Wav ReadWav(const fs::path& path) {
  const std::string b = ReadText(path);
  Wav wav;
  EXPECT_GE(b.size(), 44u) << path;
  if (b.size() < 44)
    return wav;
  EXPECT_EQ(b.substr(0, 4), "RIFF");
  EXPECT_EQ(U32(b, 4), b.size() - 8);
  EXPECT_EQ(b.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(U16(b, 20), 1);  // PCM
  EXPECT_EQ(U16(b, 22), 1);  // mono
  EXPECT_EQ(U32(b, 24), 22050u);
  EXPECT_EQ(U16(b, 34), 16);
  EXPECT_EQ(b.substr(36, 4), "data");
  EXPECT_EQ(U32(b, 40), b.size() - 44);
  wav.samples = (b.size() - 44) / 2;
  for (size_t i = 44; i + 1 < b.size(); i += 2)
    wav.peak = std::max(wav.peak, std::abs(static_cast<int16_t>(U16(b, i))));
  return wav;
}

TEST(SpeechRunTest, EachUtteranceIsAnAudibleWavWhoseLengthFollowsTheSpeed) {
  Sandbox box("speech-wav");
  const fs::path events = box.root / "events.txt";
  WriteText(events,
            "script Say(\"The quick brown fox jumps over the lazy dog\")\n"
            "script SpeedTTS(\"10\")\n"
            "script Say(\"The quick brown fox jumps over the lazy dog\")\n"
            "script SpeedTTS(\"-10\")\n"
            "script PauseTTS()\n"
            "script Say(\"The quick brown fox jumps over the lazy dog\")\n"
            "script StopTTS()\n");
  const fs::path wavs = box.root / "said";
  std::string first;
  for (int run = 0; run < 2; ++run) {
    fs::remove_all(wavs);
    ASSERT_EQ(box.Run({"--speech-wav", wavs.string(), "--events", events.string(), "--blank"}), 0)
        << ReadText(box.root / "out.err");
    EXPECT_EQ(ReadText(box.root / "out.err"), "");
    const Wav normal = ReadWav(wavs / "speech-001.wav");
    const Wav fast = ReadWav(wavs / "speech-002.wav");
    const Wav slow = ReadWav(wavs / "speech-003.wav");
    EXPECT_FALSE(fs::exists(wavs / "speech-004.wav"));
    for (const Wav* wav : {&normal, &fast, &slow})
      EXPECT_GT(wav->peak, 2000) << "silent";
    // 450 and 80 words a minute against 175: well apart in both directions.
    EXPECT_LT(fast.samples * 3, normal.samples * 2) << fast.samples << " vs " << normal.samples;
    EXPECT_GT(slow.samples * 2, normal.samples * 3) << slow.samples << " vs " << normal.samples;
    const std::string bytes = ReadText(wavs / "speech-001.wav");
    if (run == 0)
      first = bytes;
    else
      EXPECT_EQ(bytes, first) << "the second run said it differently";
  }
}

}  // namespace
}  // namespace qlm::test
