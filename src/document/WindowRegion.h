#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "document/ObjectRecord.h"

namespace qlm {

// Window shapes as the union of rectangles, in bands from top to bottom (no two overlap).

// Mask bytes within this distance of 255 are transparent.
inline constexpr int kMaskTolerance = 5;

// Every maximal run of opaque bytes in each row of a width x height mask becomes a one-row
// rectangle. Rows the byte array does not fully hold are read as far as it goes.
std::vector<IntRect> RegionFromMask(std::span<const uint8_t> mask, uint32_t width, uint32_t height);

// The polygon filled with the even-odd rule, united with its one-pixel outline.
// Polygons wider or taller than kMaxPolygonExtent give no rectangles.
inline constexpr int64_t kMaxPolygonExtent = 65536;
std::vector<IntRect> RegionFromPolygon(std::span<const IntPoint> points);

}  // namespace qlm
