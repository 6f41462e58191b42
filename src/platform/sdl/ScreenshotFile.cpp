#include "platform/sdl/ScreenshotFile.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "platform/host/SurfacePng.h"

namespace qlm {

namespace {

// A path of user-dirs.dirs or of the environment: "$HOME" at its start is the home folder; only
// absolute paths count.
std::optional<std::filesystem::path> UserPath(std::string_view value,
                                              const std::filesystem::path& home) {
  std::filesystem::path path;
  if (value == "$HOME" || value.starts_with("$HOME/")) {
    path = home / std::string(value.substr(std::min<size_t>(value.size(), 6)));
  } else {
    path = std::string(value);
  }
  if (!path.is_absolute())
    return std::nullopt;
  return path.lexically_normal();
}

}  // namespace

std::filesystem::path PicturesFolder(std::string_view userDirs, std::string_view environment,
                                     const std::filesystem::path& home) {
  std::optional<std::string> fromFile;
  // Lines such as XDG_PICTURES_DIR="$HOME/Pictures"; the last one counts, as when the file is
  // read by a shell.
  while (!userDirs.empty()) {
    const size_t end = userDirs.find('\n');
    std::string_view line = userDirs.substr(0, end);
    userDirs = end == std::string_view::npos ? std::string_view() : userDirs.substr(end + 1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
      line.remove_prefix(1);
    constexpr std::string_view kKey = "XDG_PICTURES_DIR=";
    if (!line.starts_with(kKey))
      continue;
    std::string_view value = line.substr(kKey.size());
    while (!value.empty() && (value.back() == '\r' || value.back() == ' '))
      value.remove_suffix(1);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    fromFile = std::string(value);
  }
  const std::filesystem::path homeFolder = home.lexically_normal();
  std::optional<std::filesystem::path> chosen;
  if (fromFile)
    chosen = UserPath(*fromFile, home);
  else if (!environment.empty())
    chosen = UserPath(environment, home);
  if (!chosen || *chosen == homeFolder || chosen->lexically_relative(homeFolder) == ".")
    return home / "Pictures";
  return *chosen;
}

std::filesystem::path ScreenshotFolder(const std::filesystem::path& picturesDir) {
  return picturesDir / "qlmplayer";
}

std::string ScreenshotName(std::string_view presentation, const std::tm& time, int number) {
  std::string name;
  for (char c : presentation) {
    const auto u = static_cast<unsigned char>(c);
    name +=
        u < 0x20 || u == 0x7F || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos
            ? '_'
            : c;
  }
  while (!name.empty() && (name.front() == ' ' || name.front() == '.'))
    name.erase(0, 1);
  while (!name.empty() && name.back() == ' ')
    name.pop_back();
  if (name.empty())
    name = "qlmplayer";
  char stamp[96];
  std::snprintf(stamp, sizeof stamp, " %04d-%02d-%02d %02d.%02d.%02d", time.tm_year + 1900,
                time.tm_mon + 1, time.tm_mday, time.tm_hour, time.tm_min, time.tm_sec);
  name += stamp;
  if (number > 1)
    name += " (" + std::to_string(number) + ")";
  return name + ".png";
}

std::optional<std::filesystem::path> SaveScreenshot(const Surface& frame,
                                                    const std::filesystem::path& folder,
                                                    std::string_view presentation,
                                                    const std::tm& time, std::string& error) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    error = "cannot make the folder " + folder.string() + ": " + ec.message();
    return std::nullopt;
  }
  for (int n = 1; n < 1000; ++n) {
    const std::filesystem::path path = folder / ScreenshotName(presentation, time, n);
    if (std::filesystem::exists(path, ec))
      continue;
    if (!WriteSurfacePng(frame, path, error))
      return std::nullopt;
    return path;
  }
  error = "too many screenshots of the same second in " + folder.string();
  return std::nullopt;
}

}  // namespace qlm
