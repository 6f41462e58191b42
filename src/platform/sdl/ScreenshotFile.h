#pragma once

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "graphics/Surface.h"

namespace qlm {

// The user's pictures folder as the desktop's own tools find it: XDG_PICTURES_DIR of
// `userDirs` (the text of user-dirs.dirs, "$HOME/" standing for `home`), else `environment`
// (the variable of that name), else ~/Pictures. A setting that names the home folder itself
// turns the folder off, and ~/Pictures is taken then too.
std::filesystem::path PicturesFolder(std::string_view userDirs, std::string_view environment,
                                     const std::filesystem::path& home);

// Where the screenshot key puts its pictures: the qlmplayer folder in the pictures folder.
std::filesystem::path ScreenshotFolder(const std::filesystem::path& picturesDir);

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
