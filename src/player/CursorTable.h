#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "document/ObjectRecord.h"

namespace qlm {

class Display;
class FileSystem;
class PathMacros;

// A cursor image read from a Windows cursor file.
struct CursorImage {
  int width = 0;
  int height = 0;
  int hotX = 0;
  int hotY = 0;
  std::vector<uint32_t> argb;  // 0xAARRGGBB, rows from the top
};

// Reads the first image of a cursor (.CUR) or icon file: 1-, 4-, 8-, 24- and 32-bit bitmaps
// with their AND mask. nullopt for anything damaged, compressed or larger than 256 pixels.
std::optional<CursorImage> DecodeCursorFile(std::span<const uint8_t> bytes);

// The table of 17 cursors that objects and pages choose by number. Entries 0 to 10 and 16 are
// the player's own; entries 11 to 15 are the project's cursors, the embedded files
// "CURSOR_1.CUR" to "CURSOR_5.CUR", and stay empty when the project has none.
class CursorTable {
 public:
  static constexpr int kSize = 17;
  static constexpr int kFirstProjectEntry = 11;
  static constexpr int kProjectCursors = 5;

  // Reads the project's cursors from their "<Embedded>\CURSOR_n.CUR" paths and hands them to
  // the display; entries of cursors the project lacks are emptied.
  void LoadProjectCursors(PathMacros& macros, const FileSystem& files, Display& display);

  bool Has(int index) const;

  // The table entry an object's cursor number (object value 18) selects while the pointer is
  // over it: n - 1 for n above 0, for the kinds that have a cursor of their own.
  static std::optional<int> EntryOf(const ObjectRecord& object);

 private:
  std::array<bool, kProjectCursors> project_{};
};

}  // namespace qlm
