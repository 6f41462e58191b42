#pragma once

// Per-user settings kept in one INI file.
//
// Location: $XDG_CONFIG_HOME/qlmplayer/profile.ini, or ~/.config/qlmplayer/profile.ini when
// XDG_CONFIG_HOME is unset; --profile-dir DIR uses DIR/profile.ini instead (portable use).
//
// Layout (UTF-8 is not required; values are the presentation's bytes):
//
//   ; comment lines start with ';' or '#'
//   [QLM]
//   X=120
//   Score=-2
//   Name$=first line\nsecond line
//
// - "[section]" starts a section, "entry=value" lines follow it; the first '=' separates. Blanks
//   around names and values are not part of them.
// - Names of sections and entries compare without regard to ASCII case, as Windows compares them;
//   the spelling of the first write is kept.
// - Escapes in names and values: "\\" a backslash, "\n" LF, "\r" CR, "\xHH" any byte (used for
//   other control bytes, for a blank at either end, for '=' in entry names and ']' in section
//   names). A backslash before any other character stands for itself, so hand-written Windows
//   paths read back as written.
// - Integers are written in decimal. Reading an integer takes optional blanks, a sign and the
//   leading digits; a value without digits gives the caller's default.
// - Lines the store does not understand are kept as they are when the file is rewritten.
//
// Every write re-reads the file under an exclusive lock on its folder, changes one entry and
// replaces the whole file atomically (temporary file in the same folder, fsync, rename, fsync
// of the folder), so two players sharing the profile do not lose each other's entries, and a
// crash or a full disk in the middle of a save leaves the previous file intact.
// Temporary files such a crash leaves behind are removed when a store opens the folder, once
// they are older than a minute and no save holds the folder's lock.

#include <sys/types.h>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/ProfileStore.h"
#include "platform/host/HostEnvironment.h"

namespace qlm {

class IniProfileStore : public ProfileStore {
 public:
  static constexpr const char* kFileName = "profile.ini";

  // The profile file in dir; dir is created on the first write.
  explicit IniProfileStore(std::filesystem::path dir, const char* fileName = kFileName);
  // The profile file in the environment's configuration folder.
  static IniProfileStore ForUser(const HostEnvironment& env);

  int GetInt(const std::string& section, const std::string& entry, int fallback) const override;
  std::string GetString(const std::string& section, const std::string& entry,
                        const std::string& fallback) const override;
  bool WriteInt(const std::string& section, const std::string& entry, int value) override;
  bool WriteString(const std::string& section, const std::string& entry,
                   const std::string& value) override;

  const std::filesystem::path& File() const { return file_; }
  // Why the last write failed, for a message to the user; empty after a successful write.
  const std::string& LastError() const { return lastError_; }

 private:
  struct Line {
    enum class Kind { kOther, kSection, kEntry } kind = Kind::kOther;
    std::string raw;    // as read, without the line break
    std::string name;   // section or entry name, unescaped
    std::string value;  // entry value, unescaped
  };
  struct Identity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modified = 0;
    long long changed = 0;
    bool operator==(const Identity&) const = default;
  };

  static std::vector<Line> Parse(const std::string& content);
  static std::string Serialize(const std::vector<Line>& lines);
  static const Line* Find(const std::vector<Line>& lines, const std::string& section,
                          const std::string& entry);
  static void Set(std::vector<Line>& lines, const std::string& section, const std::string& entry,
                  const std::string& value);

  // Brings the cached lines up to date with the file when it changed since the last look.
  const std::vector<Line>& Current() const;
  bool Write(const std::string& section, const std::string& entry, const std::string& value);

  std::filesystem::path dir_;
  std::filesystem::path file_;
  mutable std::vector<Line> lines_;
  mutable Identity seen_;
  mutable bool loaded_ = false;
  std::string lastError_;
};

}  // namespace qlm
