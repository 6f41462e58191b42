#pragma once

#include <filesystem>
#include <string>

#include "support/GoldenImage.h"

namespace qlm::test {

// The renderer's golden screenshots: tests/player/golden/<name>.png.
inline std::filesystem::path GoldenDir() {
  return std::filesystem::path(QLM_SOURCE_DIR) / "tests" / "player" / "golden";
}

inline ::testing::AssertionResult MatchesGolden(const Surface& actual, const std::string& name,
                                                CompareTolerance tolerance = kGoldenTolerance) {
  return MatchesGoldenFile(actual, GoldenDir() / (name + ".png"), name, tolerance);
}

}  // namespace qlm::test
