#pragma once

#include <chrono>
#include <filesystem>
#include <string>

namespace qlm {

// Removes the temporary files an interrupted atomic save of `fileName` left in `dir`
// ("fileName.XXXXXX" and ".fileName.XXXXXXXX") once they are older than `age`. Runs only when
// the folder's lock is free, so no save in progress loses its temporary file. Returns how many
// were removed.
int RemoveStaleTempFiles(const std::filesystem::path& dir, const std::string& fileName,
                         std::chrono::seconds age);

}  // namespace qlm
