#include "platform/sdl/ScreenshotFile.h"

#include <cstdio>
#include <system_error>

#include "platform/host/SurfacePng.h"

namespace qlm {

std::filesystem::path ScreenshotFolder(const std::filesystem::path& picturesDir,
                                       const std::filesystem::path& currentFolder) {
  return picturesDir.empty() ? currentFolder : picturesDir / "qlmplayer";
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
