#pragma once

#include <optional>
#include <string>
#include <vector>

#include "document/Project.h"

namespace qlm {

class FileSystem;

// The temporary files of a project's embedded sounds in the player's temporary folder: sound
// kinds 1 to 7 live there as "<prefix><name>.tmp" ("_qlt_wav_" for kind 1 ... "_qlt_rmi_" for
// kind 7). The player removes them when it ends.
class EmbeddedSoundFiles {
 public:
  // The file name of a sound entry of kind 1 to 7; nullopt for other kinds and for names that
  // are not plain file names (they could reach outside the folder).
  static std::optional<std::string> TemporaryName(const EmbeddedSound& entry);

  // Deletes the temporary files of every sound entry of kind 1 to 7 that exist in `folder` (a
  // Windows-style path). Returns the paths removed.
  static std::vector<std::string> Remove(const std::vector<EmbeddedSound>& sounds,
                                         const FileSystem& files, const std::string& folder);
};

}  // namespace qlm
