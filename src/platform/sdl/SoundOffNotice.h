#pragma once

#include <ostream>
#include <string>

namespace qlm {

// What the desktop says when there is no sound device. ALSA writes a dozen lines of its own to
// stderr when it finds no card ("ALSA lib confmisc.c:855:(parse_card) cannot find card '0'"
// ...), from whichever library opened it (SDL's audio, the media library's). A handler
// installed in the process's ALSA keeps the first of them instead; once ALSA has complained,
// the player checks whether SDL finds a device to play on, and when it does not, says in one
// line that sound is off, with ALSA's first complaint as the reason.
class SoundOffNotice {
 public:
  explicit SoundOffNotice(std::ostream& err) : err_(err) {}

  // Installs the handler in the process's ALSA: once per process, nothing without the library.
  static void SilenceAlsa();
  // The first line ALSA reported since SilenceAlsa (empty: none).
  static std::string FirstAlsaError();

  // After ALSA has complained: whether sound can play is checked once, and the line written
  // when it cannot. Cheap until ALSA complains.
  void Check();
  // Sound cannot play, for `reason`: the line, once.
  void SayOff(const std::string& reason);
  bool Said() const { return said_; }

 private:
  std::ostream& err_;
  bool checked_ = false;
  bool said_ = false;
};

}  // namespace qlm
