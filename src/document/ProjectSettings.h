#pragma once

#include <cstdint>
#include <string>

#include "document/StoredImage.h"

namespace qlm {

// Project-level settings. The defaults are those of a player that has read no project; a
// project of a lower version keeps the values it does not store.
struct ProjectSettings {
  // Part A (version 8 on).
  uint32_t dragWindow = 1;
  uint32_t backdropImageMode = 0;  // 0 top-left, 1 tiled, 2 stretched
  uint32_t backdropEnabled = 0;
  uint32_t backdropColour = 0;
  uint32_t backdropWidth = 0;
  uint32_t backdropHeight = 0;
  uint32_t windowMode = 0;  // 0 normal, 1 always on top, 2 on the desktop (see onDesktop)
  uint32_t backdropExtra = 0;
  uint32_t disableTaskSwitching = 0;
  uint32_t hasBackdropImage = 0;
  StoredImage backdropImage;  // Raw or Encoded (JPEG); only with backdrop enabled

  // Part B.
  std::string title = "Untitled";
  uint32_t showTitleBar = 1;
  uint32_t shapedWindow = 0;
  uint32_t clientWidth = 100;
  uint32_t clientHeight = 100;
  uint32_t paletteDisplayAction = 0;
  std::string paletteProjectPath;
  std::string palettePageName;
  uint32_t rememberPosition = 0;
  std::string profileSection = "QLM";
  uint32_t keepRect = 0;
  uint32_t changeResolution = 0;  // 0 no, 1 only when the screen is wider
  uint32_t resolutionIndex = 0;
  uint32_t processPriority = 1;  // 0 high, 1 normal, 2 idle
  uint32_t allowMinimize = 1;
  uint32_t flashOption = 0;
  uint32_t flashExtra = 0;  // stored beside the Flash option; not used by the player

  bool onDesktop = false;     // a window mode of 2 in part A
  bool alwaysChange = false;  // a change-resolution value above 1: change whenever widths differ

  bool operator==(const ProjectSettings&) const = default;
};

}  // namespace qlm
