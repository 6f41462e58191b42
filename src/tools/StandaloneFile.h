#pragma once

#include <filesystem>
#include <span>
#include <string_view>

#include "document/StandaloneContainer.h"

namespace qlm {

// ReadStandaloneContainer and IsStandaloneFile for a file named by a host path.
StandaloneReadResult ReadStandaloneContainer(const std::filesystem::path& path);
bool IsStandaloneFile(const std::filesystem::path& path);

// Copies the player program at `playerPath` to `outputPath` and appends the document and the
// trailer. The output is written to a temporary file beside the target and renamed into place,
// so a failure leaves no half-written file. Throws std::invalid_argument (see
// StandaloneAppendix) or std::runtime_error with a message naming the file that failed.
void WriteStandalone(const std::filesystem::path& playerPath, std::span<const uint8_t> document,
                     bool oneInstance, std::string_view identifier,
                     const std::filesystem::path& outputPath);

}  // namespace qlm
