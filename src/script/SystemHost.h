#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/ReadableFile.h"

namespace qlm {

class FileSystem;
class ProfileStore;

// What the system and file commands reach through the window: paths and files, the profile,
// launching, the clipboard and fonts.
class SystemHost {
 public:
  virtual ~SystemHost() = default;

  // Path macros ("<SrcDir>", "<Temp>" ...) applied to a file argument.
  virtual std::string ExpandPathMacros(const std::string& text) { return text; }
  // The bytes of a file named as scripts name files, or nullopt when it cannot be read.
  virtual std::optional<std::string> ReadFile(const std::string& /*windowsPath*/) {
    return std::nullopt;
  }
  // The files scripts name, or null when the host reaches none.
  virtual FileSystem* Files() { return nullptr; }
  // The per-user profile (null when there is none) and the project's section in it.
  virtual ProfileStore* Profile() { return nullptr; }
  virtual std::string ProfileSection() const { return "QLM"; }
  // The text the Page command uses for the page name "<File>"; a file dialog that chose a
  // path makes it stand for that path from then on.
  virtual std::string FileText() const { return {}; }
  virtual void SetFileText(const std::string& /*path*/) {}

  // Starts a program or document as Run does: applies the path macros, starts it (or records
  // what it would start), publishes CBK_ReturnVal and repaints.
  virtual void Launch(const std::string& /*program*/, const std::string& /*options*/) {}
  // The clipboard's text; nullopt when it holds none.
  virtual void SetClipboardText(const std::string& /*text*/) {}
  virtual std::optional<std::string> ClipboardText() { return std::nullopt; }
  // Adds the opened font file `file`, which the font library reads by `name` (a name of that
  // open file), to the fonts the player draws with; the host keeps it open while the fonts are
  // used. False on failure.
  virtual bool InstallFont(std::unique_ptr<ReadableFile> /*file*/,
                           const std::filesystem::path& /*name*/) {
    return false;
  }
};

}  // namespace qlm
