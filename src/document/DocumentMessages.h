#pragma once

#include <string>
#include <string_view>

namespace qlm::msg {

// Texts the project reader shows, byte for byte.
inline constexpr std::string_view kNotQmd = "The file %s is not a QMD file!";
inline constexpr std::string_view kVersionZero =
    "This file is corrupted or it was created for new version of QLM player.";
inline constexpr std::string_view kSecureLayerFailed = "Uncompression failed (Secure layer)";
inline constexpr std::string_view kCorrupted = "This file is corrupted";
inline constexpr std::string_view kCannotLoad = "ERROR 0: This file cannot be loaded!";
inline constexpr std::string_view kUncompressFailed = "Uncompress failed";
inline constexpr std::string_view kPageDataFailed = "Uncompression failed (2)";
inline constexpr std::string_view kSoundFailed = "Uncompression failed (Embedded Sound)";
inline constexpr std::string_view kUnknownImageMethod = "Error 1001: Corrupted file";
inline constexpr std::string_view kCannotFind = "Cannot find the file\n";
inline constexpr std::string_view kOutOfMemory = "Out of memory.";
// Our own texts for streams that cannot be followed to their end.
inline constexpr std::string_view kEndsEarly = "The file %s is damaged: it ends too early.";
inline constexpr std::string_view kDamaged = "The file %s is damaged and cannot be loaded.";

// The text with its first "%s" replaced by arg.
inline std::string Format(std::string_view text, std::string_view arg) {
  std::string out(text);
  if (const size_t at = out.find("%s"); at != std::string::npos)
    out.replace(at, 2, arg);
  return out;
}

}  // namespace qlm::msg
