#include "media/MciDevices.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/AsciiText.h"
#include "platform/EventLoop.h"
#include "platform/FileSystem.h"
#include "platform/MediaBackend.h"

namespace qlm {

namespace {

constexpr double kMsfFramesPerSecond = 75.0;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Splits a command string into words; a word in double quotes keeps its blanks.
void SplitWords(std::string_view text, std::vector<std::string>& words, std::vector<bool>& quoted) {
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsBlank(text[i]))
      ++i;
    if (i >= text.size())
      break;
    if (text[i] == '"') {
      const size_t end = text.find('"', i + 1);
      const size_t stop = end == std::string_view::npos ? text.size() : end;
      words.emplace_back(text.substr(i + 1, stop - i - 1));
      quoted.push_back(true);
      i = stop + 1;
    } else {
      const size_t start = i;
      while (i < text.size() && !IsBlank(text[i]))
        ++i;
      words.emplace_back(text.substr(start, i - start));
      quoted.push_back(false);
    }
  }
}

// A plain decimal integer; false for anything else.
bool ParseWhole(std::string_view text, int64_t& value) {
  if (text.empty() || text.size() > 12)
    return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9')
      return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

bool IsOpenKeyword(const std::string& word) {
  const std::string w = AsciiLower(word);
  return w == "type" || w == "alias" || w == "style" || w == "parent" || w == "shareable" ||
         w == "wait" || w == "notify" || w == "buffer";
}

}  // namespace

int32_t MciAnswerValue(std::string_view answer) {
  if (answer == "playing")
    return -2;
  if (answer == "stopped")
    return -1;
  auto leadingInteger = [](std::string_view text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
      negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
      value = std::min<int64_t>(value * 10 + (text[i] - '0'), INT32_MAX);
    return static_cast<int32_t>(negative ? -value : value);
  };
  if (answer.size() > 1) {
    const size_t colon = answer.find(':', 1);
    if (colon != std::string_view::npos) {
      const int64_t minutes = leadingInteger(answer.substr(0, colon));
      const int64_t seconds = leadingInteger(answer.substr(colon + 1, 2));
      return static_cast<int32_t>(
          std::clamp<int64_t>(minutes * 60 + seconds, INT32_MIN, INT32_MAX));
    }
  }
  return leadingInteger(answer);
}

MciDevices::MciDevices(EventLoop& loop, MediaBackend* backend, const FileSystem* files)
    : loop_(loop), backend_(backend), files_(files) {}

MciDevices::~MciDevices() {
  CloseAll();
}

bool MciDevices::IsOpen(std::string_view alias) const {
  return devices_.find(AsciiLower(alias)) != devices_.end();
}

void MciDevices::CloseAll() {
  if (backend_) {
    for (const auto& entry : devices_)
      backend_->Close(entry.first);
  }
  devices_.clear();
  loop_.KillTimer(kEndTimer);
}

double MciDevices::Position(const Device& device) const {
  if (device.mode != Mode::kPlaying)
    return device.anchorMs;
  const uint64_t now = loop_.TickCount();
  const double elapsed = now > device.anchorTick ? static_cast<double>(now - device.anchorTick) : 0;
  return std::min(device.anchorMs + elapsed, device.endMs);
}

void MciDevices::Anchor(Device& device, Mode mode, double positionMs) {
  device.mode = mode;
  device.anchorMs = std::clamp(positionMs, 0.0, device.lengthMs);
  device.anchorTick = loop_.TickCount();
}

void MciDevices::SettleEnded() {
  for (auto& [alias, device] : devices_) {
    if (device.mode != Mode::kPlaying || Position(device) < device.endMs)
      continue;
    Anchor(device, Mode::kStopped, device.endMs);
    if (backend_)
      backend_->Pause(alias);
    loop_.PostMessage(WindowMessage{media_message::kEnded, 0, 0, {alias}});
  }
}

void MciDevices::ArmEndTimer() {
  double next = -1;
  for (const auto& entry : devices_) {
    const Device& device = entry.second;
    if (device.mode != Mode::kPlaying)
      continue;
    const double left = std::max(0.0, device.endMs - Position(device));
    if (next < 0 || left < next)
      next = left;
  }
  if (next < 0)
    loop_.KillTimer(kEndTimer);
  else
    loop_.SetTimer(kEndTimer, static_cast<uint32_t>(std::min(std::ceil(next), 2.0e9)));
}

bool MciDevices::OnTimer(uint32_t id) {
  if (id != kEndTimer)
    return false;
  SettleEnded();
  ArmEndTimer();
  return true;
}

std::string MciDevices::FormatTime(const Device& device, double ms) const {
  const int64_t whole = static_cast<int64_t>(std::llround(std::max(0.0, ms)));
  if (device.format == TimeFormat::kMilliseconds)
    return std::to_string(whole);
  char text[48];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(whole / 60000),
                static_cast<long long>(whole / 1000 % 60),
                static_cast<long long>(whole % 1000 * 75 / 1000));
  return text;
}

bool MciDevices::ParseTime(const Device& device, const std::string& text, double& ms) const {
  if (device.format == TimeFormat::kMilliseconds) {
    int64_t value = 0;
    if (!ParseWhole(text, value))
      return false;
    ms = static_cast<double>(value);
    return true;
  }
  // "m", "m:s" or "m:s:f".
  int64_t parts[3] = {0, 0, 0};
  size_t count = 0, start = 0;
  while (count < 3) {
    const size_t colon = text.find(':', start);
    const std::string piece =
        text.substr(start, colon == std::string::npos ? colon : colon - start);
    if (!ParseWhole(piece, parts[count++]))
      return false;
    if (colon == std::string::npos)
      break;
    start = colon + 1;
    if (count == 3)
      return false;
  }
  ms = parts[0] * 60000.0 + parts[1] * 1000.0 + parts[2] * 1000.0 / kMsfFramesPerSecond;
  return true;
}

MciReply MciDevices::Send(std::string_view command) {
  std::vector<std::string> words;
  std::vector<bool> quoted;
  SplitWords(command, words, quoted);
  if (words.empty())
    return {mci_error::kMissingCommandString, {}};
  SettleEnded();
  const std::string verb = AsciiLower(words[0]);
  if (verb == "open") {
    MciReply reply = Open(words, quoted);
    ArmEndTimer();
    return reply;
  }
  if (words.size() < 2)
    return {mci_error::kMissingDeviceName, {}};
  const std::string alias = AsciiLower(words[1]);
  if (verb == "close") {
    MciReply reply = Close(alias);
    ArmEndTimer();
    return reply;
  }
  static constexpr std::string_view kVerbs[] = {"play",   "pause", "resume",   "stop", "seek",
                                                "status", "set",   "setaudio", "put",  "window"};
  if (std::find(std::begin(kVerbs), std::end(kVerbs), verb) == std::end(kVerbs))
    return {mci_error::kUnrecognizedCommand, {}};
  const auto it = devices_.find(alias);
  if (it == devices_.end())
    return {mci_error::kInvalidDeviceName, {}};
  Device& device = it->second;
  const std::vector<std::string> rest(words.begin() + 2, words.end());

  MciReply reply;
  if (verb == "play") {
    reply = Play(alias, device, rest);
  } else if (verb == "pause" || verb == "stop") {
    if (device.mode == Mode::kPlaying || verb == "stop")
      Anchor(device, verb == "pause" ? Mode::kPaused : Mode::kStopped, Position(device));
    if (backend_)
      backend_->Pause(alias);
  } else if (verb == "resume") {
    if (device.mode == Mode::kPaused) {
      Anchor(device, Mode::kPlaying, device.anchorMs);
      if (backend_)
        backend_->Play(alias);
    }
  } else if (verb == "seek") {
    reply = Seek(alias, device, rest);
  } else if (verb == "status") {
    reply = Status(device, rest);
  } else if (verb == "set") {
    reply = Set(alias, device, rest);
  } else if (verb == "setaudio") {
    reply = SetAudio(alias, device, rest);
  } else if (verb == "put") {
    // "put A window|destination [at x y w h]": there is no device window to place.
    if (rest.empty())
      return {mci_error::kMissingParameter, {}};
    const std::string what = AsciiLower(rest[0]);
    if (what != "window" && what != "destination" && what != "source")
      return {mci_error::kUnrecognizedKeyword, {}};
    if (rest.size() > 1) {
      if (AsciiLower(rest[1]) != "at")
        return {mci_error::kUnrecognizedKeyword, {}};
      if (rest.size() != 6)
        return {mci_error::kMissingParameter, {}};
      for (size_t i = 2; i < 6; ++i) {
        const std::string& n = rest[i];
        int64_t value = 0;
        if (!ParseWhole(n[0] == '-' ? n.substr(1) : n, value))
          return {mci_error::kBadInteger, {}};
      }
    }
  } else if (verb == "window") {
    // "window A state hide|show ...", "window A handle N", "window A text T": accepted.
    if (rest.empty())
      return {mci_error::kMissingParameter, {}};
  }
  ArmEndTimer();
  return reply;
}

MciReply MciDevices::Open(const std::vector<std::string>& words, const std::vector<bool>& quoted) {
  // The element: a quoted word, or the words up to the first keyword (paths may hold blanks).
  size_t i = 1;
  std::string element;
  if (i < words.size() && quoted[i]) {
    element = words[i++];
  } else {
    while (i < words.size() && !IsOpenKeyword(words[i])) {
      if (!element.empty())
        element += ' ';
      element += words[i++];
    }
  }
  if (element.empty())
    return {mci_error::kMissingDeviceName, {}};
  std::string alias = AsciiLower(element);
  for (; i < words.size(); ++i) {
    const std::string keyword = AsciiLower(words[i]);
    if (keyword == "shareable" || keyword == "wait" || keyword == "notify")
      continue;
    if (!IsOpenKeyword(keyword))
      return {mci_error::kUnrecognizedKeyword, {}};
    if (i + 1 >= words.size())
      return {mci_error::kMissingParameter, {}};
    const std::string& value = words[++i];
    if (keyword == "alias") {
      alias = AsciiLower(value);
    } else if (keyword == "parent") {
      int64_t handle = 0;
      if (!ParseWhole(value, handle))
        return {mci_error::kBadInteger, {}};
    }
  }
  if (devices_.contains(alias))
    return {mci_error::kDuplicateAlias, {}};
  FileSystem::Opened opened = files_ ? files_->OpenForLibrary(element) : FileSystem::Opened{};
  if (!opened.file)
    return {mci_error::kFileNotFound, {}};
  if (!backend_)
    return {mci_error::kCannotLoadDriver, {}};
  std::string why;
  RefusedReferences refused;
  const auto info =
      backend_->Open(alias, MediaFile(opened.hostPath, opened.resolved), why, refused);
  for (const std::string& name : refused)
    files_->ReportRefusedRead(name);
  if (!info) {
    files_->TraceNote("media \"" + element + "\" does not open: " + why);
    return {mci_error::kInvalidFile, {}};
  }
  Device device;
  device.source = std::move(opened.file);
  device.id = nextId_++;
  device.lengthMs = std::floor(info->lengthMs);
  Anchor(device, Mode::kStopped, 0);
  device.endMs = device.lengthMs;
  const uint32_t id = device.id;
  devices_.emplace(alias, std::move(device));
  return {mci_error::kNone, std::to_string(id)};
}

MciReply MciDevices::Close(const std::string& alias) {
  if (alias == "all") {
    CloseAll();
    return {};
  }
  const auto it = devices_.find(alias);
  if (it == devices_.end())
    return {mci_error::kInvalidDeviceName, {}};
  if (backend_)
    backend_->Close(alias);
  devices_.erase(it);
  return {};
}

MciReply MciDevices::Play(const std::string& alias, Device& device,
                          const std::vector<std::string>& words) {
  double from = Position(device);
  double to = device.lengthMs;
  bool hasFrom = false;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string keyword = AsciiLower(words[i]);
    if (keyword == "wait" || keyword == "notify" || keyword == "repeat")
      continue;  // a play never blocks the player; ends are posted instead
    if (keyword != "from" && keyword != "to")
      return {mci_error::kUnrecognizedKeyword, {}};
    if (i + 1 >= words.size())
      return {mci_error::kMissingParameter, {}};
    double value = 0;
    if (!ParseTime(device, words[++i], value))
      return {mci_error::kBadInteger, {}};
    if (value > device.lengthMs)
      return {mci_error::kOutOfRange, {}};
    if (keyword == "from") {
      from = value;
      hasFrom = true;
    } else {
      to = value;
    }
  }
  if (to < from)
    return {mci_error::kOutOfRange, {}};
  if (backend_ && (hasFrom || device.mode == Mode::kStopped))
    backend_->Seek(alias, from);
  device.endMs = to;
  Anchor(device, Mode::kPlaying, from);
  if (backend_)
    backend_->Play(alias);
  return {};
}

MciReply MciDevices::Seek(const std::string& alias, Device& device,
                          const std::vector<std::string>& words) {
  if (words.empty())
    return {mci_error::kMissingParameter, {}};
  const std::string keyword = AsciiLower(words[0]);
  double target = 0;
  if (keyword == "to" && words.size() >= 2) {
    const std::string where = AsciiLower(words[1]);
    if (where == "start") {
      target = 0;
    } else if (where == "end") {
      target = device.lengthMs;
    } else if (!ParseTime(device, words[1], target)) {
      return {mci_error::kBadInteger, {}};
    } else if (target > device.lengthMs) {
      return {mci_error::kOutOfRange, {}};
    }
  } else if (keyword == "to") {
    return {mci_error::kMissingParameter, {}};
  } else {
    return {mci_error::kUnrecognizedKeyword, {}};
  }
  // A seek stops the device where it lands.
  Anchor(device, Mode::kStopped, target);
  device.endMs = device.lengthMs;
  if (backend_) {
    backend_->Pause(alias);
    backend_->Seek(alias, target);
  }
  return {};
}

MciReply MciDevices::Status(Device& device, const std::vector<std::string>& words) {
  if (words.empty())
    return {mci_error::kMissingParameter, {}};
  std::string item = AsciiLower(words[0]);
  if (words.size() > 1)
    item += " " + AsciiLower(words[1]);
  if (item == "mode") {
    static constexpr const char* kNames[] = {"stopped", "playing", "paused"};
    return {mci_error::kNone, kNames[static_cast<int>(device.mode)]};
  }
  if (item == "position")
    return {mci_error::kNone, FormatTime(device, Position(device))};
  if (item == "length")
    return {mci_error::kNone, FormatTime(device, device.lengthMs)};
  if (item == "ready" || item == "media present")
    return {mci_error::kNone, "true"};
  if (item == "volume")
    return {mci_error::kNone, std::to_string(device.volume)};
  if (item == "time format")
    return {mci_error::kNone, device.format == TimeFormat::kMilliseconds ? "milliseconds" : "msf"};
  return {mci_error::kUnrecognizedKeyword, {}};
}

MciReply MciDevices::Set(const std::string& alias, Device& device,
                         const std::vector<std::string>& words) {
  std::vector<std::string> lower;
  for (const std::string& w : words)
    lower.push_back(AsciiLower(w));
  if (lower.size() == 3 && lower[0] == "time" && lower[1] == "format") {
    if (lower[2] == "milliseconds" || lower[2] == "ms")
      device.format = TimeFormat::kMilliseconds;
    else if (lower[2] == "msf")
      device.format = TimeFormat::kMsf;
    else
      return {mci_error::kUnrecognizedKeyword, {}};
    return {};
  }
  if (lower.size() == 3 && lower[0] == "audio" && lower[1] == "all" &&
      (lower[2] == "on" || lower[2] == "off")) {
    device.muted = lower[2] == "off";
    if (backend_)
      backend_->SetVolume(alias, device.muted ? 0 : device.volume);
    return {};
  }
  if (lower.size() < 2)
    return {mci_error::kMissingParameter, {}};
  return {mci_error::kUnrecognizedKeyword, {}};
}

MciReply MciDevices::SetAudio(const std::string& alias, Device& device,
                              const std::vector<std::string>& words) {
  if (words.size() < 3 || AsciiLower(words[0]) != "volume" || AsciiLower(words[1]) != "to")
    return {words.empty() ? mci_error::kMissingParameter : mci_error::kUnrecognizedKeyword, {}};
  int64_t volume = 0;
  if (!ParseWhole(words[2], volume))
    return {mci_error::kBadInteger, {}};
  if (volume > 1000)
    return {mci_error::kOutOfRange, {}};
  device.volume = static_cast<int>(volume);
  if (backend_ && !device.muted)
    backend_->SetVolume(alias, device.volume);
  return {};
}

}  // namespace qlm
