#pragma once

#include <filesystem>

namespace qlm {

// Copies a regular file over `to`, replacing a file there. The bytes go to a temporary file
// beside `to` first and take its name only when complete, so a failed copy leaves `to` as it
// was. False when `from` is not a regular file, `to` names a folder or the copy fails.
bool CopyRegularFile(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace qlm
