#include "platform/DriveMount.h"

namespace qlm {

std::optional<DriveMount> ParseDriveMount(std::string_view text) {
  if (text.size() < 3 || text[1] != '=')
    return std::nullopt;
  char letter = text[0];
  if (letter >= 'a' && letter <= 'z')
    letter = static_cast<char>(letter - 'a' + 'A');
  if (letter < 'A' || letter > 'Z')
    return std::nullopt;
  DriveMount mount;
  mount.letter = letter;
  std::string_view path = text.substr(2);
  // The option words, each with the flag it sets.
  const struct {
    std::string_view word;
    bool DriveMount::*flag;
  } kWords[] = {{":cdrom", &DriveMount::cdrom}, {":rw", &DriveMount::writable}};
  for (bool found = true; found;) {
    found = false;
    for (const auto& w : kWords) {
      if (path.ends_with(w.word)) {
        mount.*w.flag = true;
        path.remove_suffix(w.word.size());
        found = true;
      }
    }
  }
  if (path.empty())
    return std::nullopt;
  mount.hostPath = path;
  return mount;
}

}  // namespace qlm
