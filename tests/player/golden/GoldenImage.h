#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "graphics/ImageCodec.h"
#include "graphics/ImageCompare.h"
#include "graphics/Surface.h"

namespace qlm::test {

// Golden screenshots: tests/player/golden/<name>.png. A channel may differ by 64 and a few
// hundred pixels may differ further, so a change in font hinting passes while a missing or
// misplaced object fails. With QLM_UPDATE_GOLDEN=1 the expected images are written instead.
inline constexpr CompareTolerance kGoldenTolerance{64, 150};

inline std::filesystem::path GoldenDir() {
  return std::filesystem::path(QLM_SOURCE_DIR) / "tests" / "player" / "golden";
}

inline bool WritePng(const std::filesystem::path& path, const Surface& surface) {
  std::filesystem::create_directories(path.parent_path());
  const std::vector<uint8_t> png = EncodePng(surface.ToImage24());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  return static_cast<bool>(out);
}

inline ::testing::AssertionResult MatchesGolden(const Surface& actual, const std::string& name,
                                                CompareTolerance tolerance = kGoldenTolerance) {
  const std::filesystem::path expectedPath = GoldenDir() / (name + ".png");
  const char* update = std::getenv("QLM_UPDATE_GOLDEN");
  if (update && std::string(update) == "1") {
    if (!WritePng(expectedPath, actual))
      return ::testing::AssertionFailure() << "cannot write " << expectedPath;
    std::cout << "updated " << expectedPath.string() << "\n";
    return ::testing::AssertionSuccess();
  }

  const std::filesystem::path failures = std::filesystem::path(QLM_BINARY_DIR) / "golden-failures";
  const std::filesystem::path actualPath = failures / (name + ".actual.png");
  const std::filesystem::path diffPath = failures / (name + ".diff.png");
  std::ifstream in(expectedPath, std::ios::binary);
  const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
  const auto expectedImage = DecodePng(file);
  if (!expectedImage) {
    WritePng(actualPath, actual);
    return ::testing::AssertionFailure()
           << "no expected image " << expectedPath.string() << "; the actual one is "
           << actualPath.string() << " (QLM_UPDATE_GOLDEN=1 writes the expected images)";
  }
  const Surface expected = Surface::FromImage24(*expectedImage);
  const CompareResult result = CompareSurfaces(expected, actual, tolerance);
  if (result.matches)
    return ::testing::AssertionSuccess();
  WritePng(actualPath, actual);
  WritePng(diffPath, DifferenceImage(expected, actual, tolerance.tolerance));
  return ::testing::AssertionFailure()
         << name << ": " << result.Describe() << "\n  expected:   " << expectedPath.string()
         << "\n  actual:     " << actualPath.string() << "\n  difference: " << diffPath.string();
}

}  // namespace qlm::test
