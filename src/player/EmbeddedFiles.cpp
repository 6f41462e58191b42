#include "player/EmbeddedFiles.h"

#include <fstream>
#include <system_error>

#include "platform/CodePage.h"
#include "platform/Dialogs.h"

namespace qlm {

bool EmbeddedFiles::IsSafeName(const std::string& name) {
  if (name.empty() || name == "." || name == "..")
    return false;
  for (char c : name) {
    // Separators of both systems, a drive colon, and NUL (which would cut the host name short).
    if (c == '/' || c == '\\' || c == ':' || c == '\0')
      return false;
  }
  return true;
}

std::vector<std::filesystem::path> EmbeddedFiles::Write(const Project& project,
                                                        const std::filesystem::path& folder,
                                                        const CodePage& codePage,
                                                        Dialogs& dialogs) {
  std::vector<std::filesystem::path> written;
  bool folderReady = false;
  for (const EmbeddedSound& entry : project.sounds) {
    if (entry.kind < EmbeddedSound::kFirstFileKind)
      continue;
    if (!IsSafeName(entry.name)) {
      dialogs.Message("The embedded file name \"" + entry.name +
                      "\" is not a plain file name; the file was not written.");
      continue;
    }
    if (!folderReady) {
      std::error_code ec;
      std::filesystem::create_directories(folder, ec);
      folderReady = true;
    }
    const std::filesystem::path path = folder / codePage.ToUtf8(entry.name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) {
      out.write(reinterpret_cast<const char*>(entry.data.bytes.data()),
                static_cast<std::streamsize>(entry.data.bytes.size()));
      out.close();
    }
    if (!out) {
      dialogs.Message("The temporary space is full.\nCannot write file:\n" + path.string());
      continue;
    }
    written.push_back(path);
  }
  return written;
}

void EmbeddedFiles::Remove(const std::vector<std::filesystem::path>& files) {
  for (const auto& path : files) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
  }
}

}  // namespace qlm
