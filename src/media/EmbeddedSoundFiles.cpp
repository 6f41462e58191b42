#include "media/EmbeddedSoundFiles.h"

#include <array>
#include <string_view>
#include <system_error>

#include "platform/CodePage.h"

namespace qlm {

namespace {

constexpr std::array<std::string_view, 8> kPrefixes = {
    "", "_qlt_wav_", "_qlt_mod_", "_qlt_mid_", "_qlt_s3m_", "_qlt_xm_", "_qlt_it_", "_qlt_rmi_"};

bool IsPlainName(const std::string& name) {
  if (name.empty() || name == "." || name == "..")
    return false;
  for (char c : name) {
    if (c == '/' || c == '\\' || c == ':' || c == '\0')
      return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> EmbeddedSoundFiles::TemporaryName(const EmbeddedSound& entry) {
  if (entry.kind < 1 || entry.kind >= kPrefixes.size() || !IsPlainName(entry.name))
    return std::nullopt;
  return std::string(kPrefixes[entry.kind]) + entry.name + ".tmp";
}

std::vector<std::filesystem::path> EmbeddedSoundFiles::Remove(
    const std::vector<EmbeddedSound>& sounds, const std::filesystem::path& folder,
    const CodePage& codePage) {
  std::vector<std::filesystem::path> removed;
  for (const EmbeddedSound& entry : sounds) {
    const std::optional<std::string> name = TemporaryName(entry);
    if (!name)
      continue;
    const std::filesystem::path path = folder / codePage.ToUtf8(*name);
    std::error_code ec;
    if (std::filesystem::remove(path, ec))
      removed.push_back(path);
  }
  return removed;
}

}  // namespace qlm
