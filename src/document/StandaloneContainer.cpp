#include "document/StandaloneContainer.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "platform/ReadableFile.h"

namespace qlm {

namespace {

constexpr std::string_view kCannotOpen = "Cannot Open ";
constexpr std::string_view kCorrupted1 = "Corrupted stand-alone file (1)";
constexpr std::string_view kCorrupted2 = "Corrupted stand-alone file (2)";
// Our own texts for files the trailer cannot describe.
constexpr std::string_view kTooShort = "The file %s is too short to be a stand-alone file.";
constexpr std::string_view kLengthTooLarge =
    "The file %s is damaged: its stand-alone block is longer than the file.";

std::string WithPath(std::string_view text, const std::string& path) {
  std::string out(text);
  if (const size_t at = out.find("%s"); at != std::string::npos) {
    out.replace(at, 2, path);
  }
  return out;
}

uint32_t LoadU32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

bool Equals(std::span<const uint8_t> bytes, std::string_view text) {
  return bytes.size() == text.size() &&
         std::equal(text.begin(), text.end(), bytes.begin(),
                    [](char c, uint8_t b) { return static_cast<uint8_t>(c) == b; });
}

struct TrailerInfo {
  StandaloneStatus status = StandaloneStatus::kOk;
  uint64_t blockOffset = 0;
  uint32_t length = 0;
};

// Checks the trailer and the magic word at the start of the block.
TrailerInfo CheckTrailer(ReadableFile& file) {
  TrailerInfo info;
  const uint64_t end = file.Size();
  if (end < StandaloneContainer::kTrailerSize) {
    info.status = StandaloneStatus::kTooShort;
    return info;
  }
  uint8_t trailer[StandaloneContainer::kTrailerSize];
  if (!file.ReadAt(end - StandaloneContainer::kTrailerSize, trailer)) {
    info.status = StandaloneStatus::kCannotOpen;
    return info;
  }
  if (!Equals(std::span(trailer, 10), StandaloneContainer::kTrailerWord)) {
    info.status = StandaloneStatus::kNoTrailer;
    return info;
  }
  info.length = LoadU32(trailer + 10);
  if (info.length > end - StandaloneContainer::kTrailerSize) {
    info.status = StandaloneStatus::kLengthTooLarge;
    return info;
  }
  info.blockOffset = end - StandaloneContainer::kTrailerSize - info.length;
  // The magic word follows the one-byte length prefix of the magic string. A block too short to
  // hold it cannot start with it (the bytes would run into the trailer).
  uint8_t magic[9];
  if (uint64_t{info.length} < 1 + sizeof magic || !file.ReadAt(info.blockOffset + 1, magic) ||
      !Equals(magic, StandaloneContainer::kMagicWord)) {
    info.status = StandaloneStatus::kNoMagicWord;
  }
  return info;
}

void AppendText(std::vector<uint8_t>& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
}

}  // namespace

SharedBytes StandaloneContainer::Project() const {
  if (oneInstance && block.size() >= kOneInstanceExtra) {
    return block.Piece(0, block.size() - kOneInstanceExtra);
  }
  return block;
}

StandaloneReadResult ReadStandaloneContainer(ReadableFile* file, const std::string& shownPath,
                                             const std::string& openError) {
  StandaloneReadResult result;
  std::string cause = openError.empty() ? "the file cannot be opened" : openError;
  auto fail = [&](StandaloneStatus status) {
    result.status = status;
    switch (status) {
      case StandaloneStatus::kCannotOpen:
        result.message = std::string(kCannotOpen) + shownPath + "\n" + cause;
        break;
      case StandaloneStatus::kTooShort:
        result.message = WithPath(kTooShort, shownPath);
        break;
      case StandaloneStatus::kNoTrailer:
        result.message = std::string(kCorrupted1);
        break;
      case StandaloneStatus::kLengthTooLarge:
        result.message = WithPath(kLengthTooLarge, shownPath);
        break;
      case StandaloneStatus::kNoMagicWord:
        result.message = std::string(kCorrupted2);
        break;
      case StandaloneStatus::kOk:
        break;
    }
    return result;
  };
  if (!file) {
    return fail(StandaloneStatus::kCannotOpen);
  }
  cause = "read error";
  const TrailerInfo trailer = CheckTrailer(*file);
  if (trailer.status != StandaloneStatus::kOk) {
    return fail(trailer.status);
  }

  StandaloneContainer container;
  const uint64_t end = file->Size();
  // Marker and identifier are read wherever the file is long enough to hold them; in files
  // without the marker they are project bytes.
  if (end >= StandaloneContainer::kMarkerOffset) {
    uint8_t marker[11];
    if (!file->ReadAt(end - StandaloneContainer::kMarkerOffset, marker)) {
      return fail(StandaloneStatus::kCannotOpen);
    }
    container.oneInstance = Equals(marker, StandaloneContainer::kOneInstanceMarker);
  }
  if (end >= StandaloneContainer::kIdentifierOffset) {
    uint8_t identifier[StandaloneContainer::kIdentifierSize];
    if (!file->ReadAt(end - StandaloneContainer::kIdentifierOffset, identifier)) {
      return fail(StandaloneStatus::kCannotOpen);
    }
    const uint8_t* stop = std::find(std::begin(identifier), std::end(identifier), uint8_t{0});
    container.identifier.assign(reinterpret_cast<const char*>(identifier),
                                static_cast<size_t>(stop - identifier));
  }
  // L has been checked against the file size, so the block lies inside the file.
  const std::optional<SharedBytes> whole = file->ViewWhole();
  if (!whole || whole->size() != end) {
    return fail(StandaloneStatus::kCannotOpen);
  }
  container.block = whole->Piece(static_cast<size_t>(trailer.blockOffset), trailer.length);
  result.container = std::move(container);
  return result;
}

bool IsStandaloneFile(ReadableFile& file) {
  return CheckTrailer(file).status == StandaloneStatus::kOk;
}

bool IsPresentationFile(ReadableFile& file) {
  std::array<uint8_t, 10> head{};
  if (file.Size() >= head.size() && file.ReadAt(0, head) && head[0] == 0x0B &&
      Equals(std::span<const uint8_t>(head).subspan(1), StandaloneContainer::kMagicWord)) {
    return true;
  }
  return IsStandaloneFile(file);
}

std::vector<uint8_t> StandaloneAppendix(std::span<const uint8_t> document, bool oneInstance,
                                        std::string_view identifier) {
  if (document.size() < 10 || !Equals(document.subspan(1, 9), StandaloneContainer::kMagicWord)) {
    throw std::invalid_argument("the document does not start with the QMD magic string");
  }
  const uint64_t length =
      uint64_t{document.size()} + (oneInstance ? StandaloneContainer::kOneInstanceExtra : 0);
  if (length > 0xFFFFFFFFu) {
    throw std::invalid_argument("the document is too large for a stand-alone file (4 GB)");
  }
  if (oneInstance && identifier.size() != StandaloneContainer::kIdentifierSize) {
    throw std::invalid_argument("a one-instance identifier must be 38 characters long");
  }
  std::vector<uint8_t> out;
  out.reserve(length + StandaloneContainer::kTrailerSize);
  out.insert(out.end(), document.begin(), document.end());
  if (oneInstance) {
    AppendText(out, StandaloneContainer::kOneInstanceMarker);
    AppendText(out, identifier);
  }
  AppendText(out, StandaloneContainer::kTrailerWord);
  for (int shift = 0; shift < 32; shift += 8) {
    out.push_back(static_cast<uint8_t>(length >> shift));
  }
  return out;
}

std::vector<uint8_t> BuildStandalone(std::span<const uint8_t> player,
                                     std::span<const uint8_t> document, bool oneInstance,
                                     std::string_view identifier) {
  std::vector<uint8_t> appendix = StandaloneAppendix(document, oneInstance, identifier);
  std::vector<uint8_t> out;
  out.reserve(player.size() + appendix.size());
  out.insert(out.end(), player.begin(), player.end());
  out.insert(out.end(), appendix.begin(), appendix.end());
  return out;
}

}  // namespace qlm
