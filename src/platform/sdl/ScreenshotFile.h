#pragma once

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "graphics/Surface.h"

namespace qlm {

// Where the screenshot key puts its pictures: <picturesDir>/qlmplayer, or the current folder
// when there is no pictures folder (empty).
std::filesystem::path ScreenshotFolder(const std::filesystem::path& picturesDir,
                                       const std::filesystem::path& currentFolder);

// "<presentation> YYYY-MM-DD HH.MM.SS.png", with characters that file names cannot hold
// replaced; "<presentation> ... (N).png" for the N-th picture of the same second.
std::string ScreenshotName(std::string_view presentation, const std::tm& time, int number = 1);

// Writes `frame` as PNG into `folder` (made when missing) under the first free name. The path
// written, or nullopt with `error` saying why.
std::optional<std::filesystem::path> SaveScreenshot(const Surface& frame,
                                                    const std::filesystem::path& folder,
                                                    std::string_view presentation,
                                                    const std::tm& time, std::string& error);

}  // namespace qlm
