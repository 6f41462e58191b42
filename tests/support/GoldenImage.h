#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "graphics/ImageCodec.h"
#include "graphics/ImageCompare.h"
#include "graphics/Surface.h"

namespace qlm::test {

// Golden screenshots. A channel may differ by 64 and a few hundred pixels may differ further,
// so a change in font hinting passes while a missing or misplaced object fails. With
// QLM_UPDATE_GOLDEN=1 the expected images are written instead of compared.
inline constexpr CompareTolerance kGoldenTolerance{64, 150};

// Where a failed comparison leaves the actual and the difference images.
inline std::filesystem::path GoldenFailureDir() {
  return std::filesystem::path(QLM_BINARY_DIR) / "golden-failures";
}

inline bool WritePng(const std::filesystem::path& path, const Surface& surface) {
  std::filesystem::create_directories(path.parent_path());
  const std::vector<uint8_t> png = EncodePng(surface.ToImage24());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  return static_cast<bool>(out);
}

// The picture of a PNG file; nullopt when it is missing or does not decode.
inline std::optional<Surface> ReadPng(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return std::nullopt;
  const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
  const auto image = DecodePng(file);
  if (!image)
    return std::nullopt;
  return Surface::FromImage24(*image);
}

// Compares `actual` with the PNG at `expectedPath`. `name` (which may hold folders) names the
// failure images: GoldenFailureDir()/<name>.actual.png and <name>.diff.png.
inline ::testing::AssertionResult MatchesGoldenFile(const Surface& actual,
                                                    const std::filesystem::path& expectedPath,
                                                    const std::string& name,
                                                    CompareTolerance tolerance = kGoldenTolerance) {
  const char* update = std::getenv("QLM_UPDATE_GOLDEN");
  if (update && std::string(update) == "1") {
    if (!WritePng(expectedPath, actual))
      return ::testing::AssertionFailure() << "cannot write " << expectedPath;
    std::cout << "updated " << expectedPath.string() << "\n";
    return ::testing::AssertionSuccess();
  }

  const std::filesystem::path actualPath = GoldenFailureDir() / (name + ".actual.png");
  const std::filesystem::path diffPath = GoldenFailureDir() / (name + ".diff.png");
  const std::optional<Surface> expected = ReadPng(expectedPath);
  if (!expected) {
    WritePng(actualPath, actual);
    return ::testing::AssertionFailure()
           << "no expected image " << expectedPath.string() << "; the actual one is "
           << actualPath.string() << " (QLM_UPDATE_GOLDEN=1 writes the expected images)";
  }
  const CompareResult result = CompareSurfaces(*expected, actual, tolerance);
  if (result.matches)
    return ::testing::AssertionSuccess();
  WritePng(actualPath, actual);
  WritePng(diffPath, DifferenceImage(*expected, actual, tolerance.tolerance));
  return ::testing::AssertionFailure()
         << name << ": " << result.Describe() << "\n  expected:   " << expectedPath.string()
         << "\n  actual:     " << actualPath.string() << "\n  difference: " << diffPath.string();
}

}  // namespace qlm::test
