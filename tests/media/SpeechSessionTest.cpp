#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "document/ObjectFields.h"
#include "media/SpeechSession.h"

namespace qlm {
namespace {

// Script settings and the synthesizer values they give: the normal voice at 0, the ends at -10
// and 10, fractions rounded, everything beyond the range clamped.
TEST(SpeechSession, SettingsMapOntoTheSynthesizersRanges) {
  struct Case {
    double setting;
    int pitch;
    int wordsPerMinute;
  };
  const Case cases[] = {
      {0, 50, 175},   {-10, 0, 80},         {10, 100, 450},     {-5, 25, 128}, {5, 75, 313},
      {1, 55, 203},   {-1, 45, 166},        {2.5, 63, 244},     {-25, 0, 80},  {1e9, 100, 450},
      {NAN, 50, 175}, {INFINITY, 100, 450}, {-INFINITY, 0, 80},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setting);
    EXPECT_EQ(SpeechSession::PitchOf(c.setting), c.pitch);
    EXPECT_EQ(SpeechSession::WordsPerMinuteOf(c.setting), c.wordsPerMinute);
  }
}

class RecordingOutput : public SpeechOutput {
 public:
  void Prepare() override { calls.push_back("prepare"); }
  void Speak(const std::string& utf8, const SpeechVoice& voice) override {
    calls.push_back("speak " + utf8 + " " + std::to_string(voice.pitch) + " " +
                    std::to_string(voice.wordsPerMinute));
  }
  void Stop() override { calls.push_back("stop"); }
  void Pause() override { calls.push_back("pause"); }
  void Resume() override { calls.push_back("resume"); }
  std::vector<std::string> calls;
};

// The output hears UTF-8 in the voice set before the utterance; the announcement keeps the
// presentation's bytes; blank text says nothing; InitTTS brings back the normal voice.
TEST(SpeechSession, UtterancesCarryTheVoiceAndReachOutputAndAnnouncement) {
  RecordingOutput output;
  const CodePage codePage("WINDOWS-1252");
  std::vector<std::string> announced;
  SpeechSession speech(&output, codePage, [&](const std::string& text, const SpeechVoice& voice) {
    announced.push_back(text + " " + std::to_string(voice.pitch));
  });
  speech.SetPitch(10);
  speech.SetSpeed(-10);
  speech.Say("Caf\xE9");
  speech.Say(" \t\r\n");
  speech.Pause();
  speech.Resume();
  speech.Init();
  speech.Say("again");
  speech.Stop();
  const std::vector<std::string> expected = {
      "speak Caf\xC3\xA9 100 80", "pause", "resume", "stop", "prepare",
      "speak again 50 175",       "stop"};
  EXPECT_EQ(output.calls, expected);
  EXPECT_EQ(announced, (std::vector<std::string>{"Caf\xE9 100", "again 50"}));
}

// SpeakText reads the text of text objects, paragraphs and input fields, never a password
// field's and nothing of other kinds.
TEST(SpeechSession, OnlyReadableKindsGiveTheirText) {
  struct Case {
    int32_t kind;
    bool password;
    bool readable;
  };
  const Case cases[] = {
      {kObjText, false, true},       {kObjParagraph, false, true},   {kObjInputField, false, true},
      {kObjInputField, true, false}, {kObjTextButton, false, false}, {kObjVideo, false, false},
      {kObjListBox, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    ObjectRecord o;
    o.typeCode = c.kind;
    o.text = "words";
    SetPasswordField(o, c.password);
    const std::string* text = ReadableText(o);
    EXPECT_EQ(text != nullptr, c.readable);
    if (text) {
      EXPECT_EQ(*text, "words");
    }
  }
}

// A very long text is cut at the last space before 4,000 characters, for the output and the
// announcement alike; one without spaces at 4,000 exactly.
TEST(SpeechSession, VeryLongTextsAreCutAtAWordBoundary) {
  std::string words;
  while (words.size() < 10000)
    words += "word ";
  const std::string unbroken(10000, 'a');
  struct Case {
    const std::string* text;
    size_t spoken;
  };
  for (const Case& c : {Case{&words, 3999}, Case{&unbroken, 4000}}) {
    std::vector<std::string> announced;
    SpeechSession speech(
        nullptr, CodePage("WINDOWS-1252"),
        [&](const std::string& text, const SpeechVoice&) { announced.push_back(text); });
    speech.Say(*c.text);
    ASSERT_EQ(announced.size(), 1u);
    EXPECT_EQ(announced[0].size(), c.spoken);
    EXPECT_TRUE(announced[0] == c.text->substr(0, c.spoken));
  }
}

}  // namespace
}  // namespace qlm
