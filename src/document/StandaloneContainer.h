#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SharedBytes.h"

namespace qlm {

class ReadableFile;

// The end of a stand-alone executable: the player program, the embedded block (the project,
// followed in one-instance files by "ONEINSTANCE" and the identifier) and a 14-byte trailer,
// "STANDALONE" and the block length L as u32 little-endian. Offsets count back from the
// file's end E:
//   E - 14 - L  embedded block (starts with the magic string: 0x0B "Quillmark29")
//   E - 63      "ONEINSTANCE" (one-instance files only)
//   E - 52      the 38-character identifier, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
//   E - 14      "STANDALONE"
//   E - 4       L
struct StandaloneContainer {
  static constexpr std::string_view kTrailerWord = "STANDALONE";
  static constexpr std::string_view kMagicWord = "Quillmark";
  static constexpr std::string_view kOneInstanceMarker = "ONEINSTANCE";
  static constexpr size_t kTrailerSize = 14;       // "STANDALONE" + u32
  static constexpr size_t kIdentifierSize = 38;    // braced GUID
  static constexpr size_t kOneInstanceExtra = 49;  // marker + identifier inside the block
  static constexpr size_t kMarkerOffset = 63;      // from the end of the file
  static constexpr size_t kIdentifierOffset = 52;  // from the end of the file

  // The embedded block, L bytes, a view into the file. In one-instance files its last 49 bytes
  // are the marker and the identifier; the project reader stops before them.
  SharedBytes block;
  // "ONEINSTANCE" stood at E - 63.
  bool oneInstance = false;
  // The 38 bytes at E - 52 up to the first zero byte. Without the marker these are the last
  // bytes of the project and mean nothing, but they still name the instance lock.
  std::string identifier;

  // The project part of the block (without marker and identifier in one-instance files).
  SharedBytes Project() const;
};

enum class StandaloneStatus {
  kOk,
  kCannotOpen,      // the file cannot be opened or read
  kTooShort,        // fewer bytes than the trailer
  kNoTrailer,       // no "STANDALONE" at E - 14: a bare player or some other file
  kLengthTooLarge,  // L reaches before the start of the file
  kNoMagicWord,     // L does not lead to "Quillmark"
};

struct StandaloneReadResult {
  StandaloneStatus status = StandaloneStatus::kOk;
  std::string message;  // the text for the user when status is not kOk
  std::optional<StandaloneContainer> container;
};

// Reads the trailer and the embedded block of an open file (the player's own executable or a
// stand-alone file named on the command line); `shownPath` names it in messages. A null file
// could not be opened, `openError` saying why. The block is a view of the file (mapped where
// the host can), L checked against the file size first. Never throws.
StandaloneReadResult ReadStandaloneContainer(ReadableFile* file, const std::string& shownPath,
                                             const std::string& openError = {});

// True when the file ends in a trailer whose length leads to the magic word.
bool IsStandaloneFile(ReadableFile& file);

// True when the file is a presentation: it starts with the magic string of a project document,
// or it is a stand-alone file.
bool IsPresentationFile(ReadableFile& file);

// The bytes to append to a player program: the document, in one-instance mode the marker and
// the identifier, then the trailer. Throws std::invalid_argument when the document does not
// start with the magic string (the reader would not find it), is too large for the u32 length,
// or a one-instance identifier is not 38 bytes.
std::vector<uint8_t> StandaloneAppendix(std::span<const uint8_t> document, bool oneInstance,
                                        std::string_view identifier);

// Player bytes followed by the appendix.
std::vector<uint8_t> BuildStandalone(std::span<const uint8_t> player,
                                     std::span<const uint8_t> document, bool oneInstance,
                                     std::string_view identifier);

}  // namespace qlm
