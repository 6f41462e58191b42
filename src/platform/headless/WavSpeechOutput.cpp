#include "platform/headless/WavSpeechOutput.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string_view>

namespace qlm {

namespace fs = std::filesystem;

namespace {

void PutU32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void PutU16(std::string& out, uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}

}  // namespace

bool WriteWavFile(const fs::path& path, const SpokenAudio& audio) {
  const auto dataBytes = static_cast<uint32_t>(audio.samples.size() * 2);
  std::string bytes;
  bytes.reserve(44 + dataBytes);
  bytes += "RIFF";
  PutU32(bytes, 36 + dataBytes);
  bytes += "WAVEfmt ";
  PutU32(bytes, 16);
  PutU16(bytes, 1);  // PCM
  PutU16(bytes, 1);  // mono
  PutU32(bytes, static_cast<uint32_t>(audio.sampleRate));
  PutU32(bytes, static_cast<uint32_t>(audio.sampleRate) * 2);  // bytes a second
  PutU16(bytes, 2);                                            // bytes a frame
  PutU16(bytes, 16);                                           // bits a sample
  bytes += "data";
  PutU32(bytes, dataBytes);
  for (const int16_t sample : audio.samples)
    PutU16(bytes, static_cast<uint16_t>(sample));  // little-endian
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

WavSpeechOutput::WavSpeechOutput(SpeechSynthesizer& synthesizer, fs::path folder,
                                 std::function<void(const std::string&)> failed)
    : synthesizer_(synthesizer), folder_(std::move(folder)), failed_(std::move(failed)) {}

fs::path WavSpeechOutput::FileOf(int number) const {
  std::array<char, 32> name{};
  std::snprintf(name.data(), name.size(), "speech-%03d.wav", number);
  return folder_ / name.data();
}

void WavSpeechOutput::Speak(const std::string& utf8, const SpeechVoice& voice) {
  const fs::path file = FileOf(++count_);
  std::string error;
  const std::optional<SpokenAudio> audio = synthesizer_.Synthesize(utf8, voice, error);
  if (!audio) {
    if (failed_)
      failed_(error);
    return;
  }
  std::error_code ec;
  fs::create_directories(folder_, ec);
  if (!WriteWavFile(file, *audio) && failed_)
    failed_("cannot write " + file.string());
}

}  // namespace qlm
