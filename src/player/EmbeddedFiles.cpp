#include "player/EmbeddedFiles.h"

#include <span>
#include <string_view>

#include "platform/Dialogs.h"
#include "platform/FileSystem.h"

namespace qlm {

std::vector<std::string> EmbeddedFiles::Write(const Project& project, const FileSystem& files,
                                              const std::string& folder, Dialogs& dialogs) {
  std::vector<std::string> written;
  bool folderReady = false;
  for (const EmbeddedSound& entry : project.sounds) {
    if (entry.kind < EmbeddedSound::kFirstFileKind)
      continue;
    if (!IsPlainFileName(entry.name)) {
      dialogs.Message("The embedded file name \"" + entry.name +
                      "\" is not a plain file name; the file was not written.");
      continue;
    }
    if (!folderReady) {
      files.CreateFolder(folder);
      folderReady = true;
    }
    const std::string path = InFolder(folder, entry.name);
    const std::span<const uint8_t> bytes = entry.data.bytes;
    if (!files.WriteFile(
            path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()))) {
      dialogs.Message("The temporary space is full.\nCannot write file:\n" +
                      files.ToHost(path).string());
      continue;
    }
    written.push_back(path);
  }
  return written;
}

void EmbeddedFiles::Remove(const FileSystem& files, const std::vector<std::string>& written) {
  for (const std::string& path : written)
    files.Remove(path);
}

}  // namespace qlm
