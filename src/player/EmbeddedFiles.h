#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "document/Project.h"

namespace qlm {

class CodePage;
class Dialogs;

// The embedded files of a project (sound entries of kind 10 or more) written into the player's
// temporary folder under their own names, so that scripts reach them as "<Embedded>\name".
class EmbeddedFiles {
 public:
  // True when `name` can be a file name inside the folder: not empty, no folder separators, no
  // drive, not "." or "..". Names that would climb out of the folder are refused.
  static bool IsSafeName(const std::string& name);

  // Writes every file entry of `project` into `folder` (created when missing), names converted
  // from the presentation's code page. An entry that
  // cannot be written gives "The temporary space is full.\nCannot write file:\n" and the path;
  // an unsafe name gives a message naming it. Returns the paths written.
  static std::vector<std::filesystem::path> Write(const Project& project,
                                                  const std::filesystem::path& folder,
                                                  const CodePage& codePage, Dialogs& dialogs);

  // Deletes files written before (when the player ends or another project replaces them).
  static void Remove(const std::vector<std::filesystem::path>& files);
};

}  // namespace qlm
