#pragma once

#include <string>
#include <vector>

#include "document/Project.h"

namespace qlm {

class Dialogs;
class FileSystem;

// The embedded files of a project (sound entries of kind 10 or more) written into the player's
// temporary folder under their own names, so that scripts reach them as "<Embedded>\name".
class EmbeddedFiles {
 public:
  // Writes every file entry of `project` into `folder` (a Windows-style path, created when
  // missing). An entry that cannot be written gives "The temporary space is full.\nCannot write
  // file:\n" and the path; a name that is not a plain file name (it could reach outside the
  // folder) gives a message naming it. Returns the paths written.
  static std::vector<std::string> Write(const Project& project, const FileSystem& files,
                                        const std::string& folder, Dialogs& dialogs);

  // Deletes files written before (when the player ends or another project replaces them).
  static void Remove(const FileSystem& files, const std::vector<std::string>& written);
};

}  // namespace qlm
