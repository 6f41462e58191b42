#include "media/EmbeddedSoundFiles.h"

#include <array>
#include <string_view>

#include "platform/FileSystem.h"

namespace qlm {

namespace {

constexpr std::array<std::string_view, 8> kPrefixes = {
    "", "_qlt_wav_", "_qlt_mod_", "_qlt_mid_", "_qlt_s3m_", "_qlt_xm_", "_qlt_it_", "_qlt_rmi_"};

}  // namespace

std::optional<std::string> EmbeddedSoundFiles::TemporaryName(const EmbeddedSound& entry) {
  if (entry.kind < 1 || entry.kind >= kPrefixes.size() || !IsPlainFileName(entry.name))
    return std::nullopt;
  return std::string(kPrefixes[entry.kind]) + entry.name + ".tmp";
}

std::vector<std::string> EmbeddedSoundFiles::Remove(const std::vector<EmbeddedSound>& sounds,
                                                    const FileSystem& files,
                                                    const std::string& folder) {
  std::vector<std::string> removed;
  for (const EmbeddedSound& entry : sounds) {
    const std::optional<std::string> name = TemporaryName(entry);
    if (!name)
      continue;
    std::string path = InFolder(folder, *name);
    if (files.Remove(path))
      removed.push_back(std::move(path));
  }
  return removed;
}

}  // namespace qlm
