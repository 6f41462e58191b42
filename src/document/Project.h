#pragma once

#include <cstdint>
#include <vector>

#include "document/CompressedBlock.h"
#include "document/ObjectRecord.h"
#include "document/PageRecord.h"
#include "document/ProjectSettings.h"

namespace qlm {

// One entry of the embedded-sound store. Entries of kind 10 or more are written to temporary
// files by the player once the project is in place.
struct EmbeddedSound {
  static constexpr uint32_t kFirstFileKind = 10;

  uint32_t kind = 0;
  CompressedBlock data;  // version 11 on; before that a plain length and bytes
  std::string name;

  bool operator==(const EmbeddedSound&) const = default;
};

// Everything a project document holds, as plain data.
struct Project {
  Project() {
    masterPage.name = "Master Page 000";
    masterLayer.name = "Master Layer 000";
  }

  int32_t version = 29;  // the format version it was read with
  ProjectSettings settings;

  // The page manager block.
  uint32_t storedPageCount = 0;
  std::vector<PageRecord> pages;
  std::vector<IntPoint> shapePolygon;
  PageRecord masterPage;
  PageRecord masterLayer;
  uint32_t hasMask = 0;
  uint32_t maskWidth = 0;
  uint32_t maskHeight = 0;
  std::vector<uint8_t> mask;  // window-shape mask, normally width x height bytes
  std::vector<EmbeddedSound> sounds;

  bool operator==(const Project&) const = default;
};

}  // namespace qlm
