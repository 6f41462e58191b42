#include "media/SpeechSession.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace qlm {

namespace {

constexpr SpeechVoice kNormal{};
constexpr int kLowestPitch = 0;
constexpr int kHighestPitch = 100;
constexpr int kSlowestRate = 80;
constexpr int kFastestRate = 450;

// Synthesis runs whole on the user-interface thread and its sound is held until played, so a
// longer text is cut at the last space before this many characters: a script cannot stall the
// player for minutes or fill memory with hours of sound. 4,000 characters speak for about four
// minutes at the normal speed.
constexpr size_t kMaxSpoken = 4000;

std::string Spoken(const std::string& text) {
  if (text.size() <= kMaxSpoken)
    return text;
  const size_t space = text.find_last_of(" \t\r\n", kMaxSpoken);
  return text.substr(0, space == std::string::npos || space == 0 ? kMaxSpoken : space);
}

// The setting clamped to -10..10 as a fraction of the way from 0 to either end.
double Fraction(double setting) {
  if (std::isnan(setting))
    return 0;
  return std::clamp(setting, SpeechSession::kLowest, SpeechSession::kHighest) /
         SpeechSession::kHighest;
}

// `normal` at 0, moving linearly to `low` at -1 and to `high` at 1.
int Between(double fraction, int low, int normal, int high) {
  const double end = fraction < 0 ? low : high;
  return static_cast<int>(std::lround(normal + std::abs(fraction) * (end - normal)));
}

}  // namespace

SpeechSession::SpeechSession(SpeechOutput* output, const CodePage& codePage, Announce announce)
    : output_(output), codePage_(codePage), announce_(std::move(announce)) {}

int SpeechSession::PitchOf(double setting) {
  return Between(Fraction(setting), kLowestPitch, kNormal.pitch, kHighestPitch);
}

int SpeechSession::WordsPerMinuteOf(double setting) {
  return Between(Fraction(setting), kSlowestRate, kNormal.wordsPerMinute, kFastestRate);
}

void SpeechSession::Init() {
  voice_ = kNormal;
  if (output_) {
    output_->Stop();
    output_->Prepare();
  }
}

void SpeechSession::Say(const std::string& whole) {
  if (whole.find_first_not_of(" \t\r\n") == std::string::npos)
    return;
  const std::string text = Spoken(whole);
  if (announce_)
    announce_(text, voice_);
  if (output_)
    output_->Speak(codePage_.ToUtf8(text), voice_);
}

void SpeechSession::Stop() {
  if (output_)
    output_->Stop();
}

void SpeechSession::Pause() {
  if (output_)
    output_->Pause();
}

void SpeechSession::Resume() {
  if (output_)
    output_->Resume();
}

void SpeechSession::SetPitch(double setting) {
  voice_.pitch = PitchOf(setting);
}

void SpeechSession::SetSpeed(double setting) {
  voice_.wordsPerMinute = WordsPerMinuteOf(setting);
}

}  // namespace qlm
