#include "player/CursorTable.h"

#include <iterator>

#include "document/ObjectFields.h"
#include "expr/PathMacros.h"
#include "platform/Display.h"
#include "platform/FileSystem.h"

namespace qlm {
namespace {

constexpr int kMaxSide = 256;
constexpr size_t kMaxFileSize = 1 << 20;

uint16_t U16(std::span<const uint8_t> b, size_t at) {
  return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
uint32_t U32(std::span<const uint8_t> b, size_t at) {
  return uint32_t{b[at]} | (uint32_t{b[at + 1]} << 8) | (uint32_t{b[at + 2]} << 16) |
         (uint32_t{b[at + 3]} << 24);
}

}  // namespace

std::optional<CursorImage> DecodeCursorFile(std::span<const uint8_t> bytes) {
  if (bytes.size() < 6 + 16 || U16(bytes, 0) != 0)
    return std::nullopt;
  const uint16_t type = U16(bytes, 2);
  if ((type != 1 && type != 2) || U16(bytes, 4) == 0)
    return std::nullopt;
  CursorImage image;
  // Icons carry planes and bit count where cursors carry the hot spot.
  image.hotX = type == 2 ? U16(bytes, 6 + 4) : 0;
  image.hotY = type == 2 ? U16(bytes, 6 + 6) : 0;
  const uint64_t size = U32(bytes, 6 + 8);
  const uint64_t offset = U32(bytes, 6 + 12);
  if (offset + size > bytes.size() || size < 40)
    return std::nullopt;
  const std::span<const uint8_t> dib = bytes.subspan(offset, size);
  const uint32_t headerSize = U32(dib, 0);
  if (headerSize < 40 || headerSize > dib.size())
    return std::nullopt;
  const int32_t width = static_cast<int32_t>(U32(dib, 4));
  const int32_t doubledHeight = static_cast<int32_t>(U32(dib, 8));
  const uint16_t bits = U16(dib, 14);
  const uint32_t compression = U32(dib, 16);
  const uint32_t colorsUsed = U32(dib, 32);
  if (width <= 0 || width > kMaxSide || doubledHeight <= 0 || doubledHeight / 2 > kMaxSide ||
      doubledHeight / 2 == 0 || compression != 0)
    return std::nullopt;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
    return std::nullopt;
  const int height = doubledHeight / 2;
  const size_t paletteCount = bits <= 8 ? (colorsUsed ? colorsUsed : (1u << bits)) : 0;
  if (paletteCount > 256)
    return std::nullopt;
  const size_t paletteAt = headerSize;
  const size_t xorAt = paletteAt + paletteCount * 4;
  const size_t xorStride = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
  const size_t andAt = xorAt + xorStride * static_cast<size_t>(height);
  const size_t andStride = ((static_cast<size_t>(width) + 31) / 32) * 4;
  const bool hasAndMask = andAt + andStride * static_cast<size_t>(height) <= dib.size();
  if (xorAt + xorStride * static_cast<size_t>(height) > dib.size())
    return std::nullopt;

  image.width = width;
  image.height = height;
  image.argb.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  bool anyAlpha = false;
  for (int y = 0; y < height; ++y) {
    const size_t row = xorAt + xorStride * static_cast<size_t>(height - 1 - y);
    for (int x = 0; x < width; ++x) {
      uint32_t bgra = 0;
      if (bits <= 8) {
        const size_t bit = static_cast<size_t>(x) * bits;
        const uint8_t byte = dib[row + bit / 8];
        const size_t index = (byte >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
        if (index < paletteCount)
          bgra = U32(dib, paletteAt + index * 4) & 0xFFFFFF;
      } else {
        const size_t at = row + static_cast<size_t>(x) * (bits / 8);
        bgra = uint32_t{dib[at]} | (uint32_t{dib[at + 1]} << 8) | (uint32_t{dib[at + 2]} << 16);
        if (bits == 32) {
          bgra |= uint32_t{dib[at + 3]} << 24;
          anyAlpha = anyAlpha || dib[at + 3] != 0;
        }
      }
      image.argb[static_cast<size_t>(y) * width + x] = bgra;
    }
  }
  // Stored as B, G, R(, A) little-endian words: that is 0xAARRGGBB already.
  for (int y = 0; y < height; ++y) {
    const size_t maskRow = andAt + andStride * static_cast<size_t>(height - 1 - y);
    for (int x = 0; x < width; ++x) {
      uint32_t& p = image.argb[static_cast<size_t>(y) * width + x];
      if (anyAlpha)
        continue;
      const bool transparent =
          hasAndMask && ((dib[maskRow + static_cast<size_t>(x) / 8] >> (7 - x % 8)) & 1);
      // A masked pixel with colour inverts the screen; black shows it best.
      if (transparent)
        p = (p & 0xFFFFFF) ? 0xFF000000 : 0;
      else
        p |= 0xFF000000;
    }
  }
  return image;
}

void CursorTable::LoadProjectCursors(PathMacros& macros, const FileSystem& files,
                                     Display& display) {
  for (int n = 1; n <= kProjectCursors; ++n) {
    const int entry = kFirstProjectEntry + n - 1;
    std::optional<CursorImage> image;
    const std::string path = macros.Expand("<Embedded>\\CURSOR_" + std::to_string(n) + ".CUR");
    const std::optional<std::string> bytes = files.ReadFile(path, kMaxFileSize + 1);
    if (bytes && bytes->size() <= kMaxFileSize) {
      image = DecodeCursorFile(
          std::span(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size()));
    }
    project_[static_cast<size_t>(n - 1)] = image.has_value();
    if (image)
      display.SetCursorImage(entry, image->width, image->height, image->argb, image->hotX,
                             image->hotY);
    else
      display.SetCursorImage(entry, 0, 0, {}, 0, 0);
  }
}

bool CursorTable::Has(int index) const {
  if (index < 0 || index >= kSize)
    return false;
  if (index >= kFirstProjectEntry && index < kFirstProjectEntry + kProjectCursors)
    return project_[static_cast<size_t>(index - kFirstProjectEntry)];
  return true;
}

std::optional<int> CursorTable::EntryOf(const ObjectRecord& object) {
  const uint32_t n = CursorNumber(object);
  if (n == 0 || n > static_cast<uint32_t>(kSize))
    return std::nullopt;
  switch (object.typeCode) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
    case 7:
    case 11:
    case 13:
    case 19:
    case 22:
    case 30:
      return static_cast<int>(n) - 1;
    default:
      return std::nullopt;
  }
}

}  // namespace qlm
