#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qlm {

// A drive letter mapped to a host folder (--mount D=PATH[:cdrom][:rw]).
struct DriveMount {
  char letter = 'C';      // 'A' to 'Z'
  std::string hostPath;   // as given
  bool cdrom = false;     // the drive counts as a CD drive ("<CD>" names the first one)
  bool writable = false;  // ":rw": the presentation may write to it
  bool operator==(const DriveMount&) const = default;
};

// Reads "D=PATH" followed by option words, each ":word" at the end ("D=/media/disc:cdrom"); a
// ':' that is followed by no known word belongs to the path. The letter may be lower case.
// nullopt when the letter, the '=' or the folder is missing.
std::optional<DriveMount> ParseDriveMount(std::string_view text);

}  // namespace qlm
