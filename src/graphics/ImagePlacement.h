#pragma once

namespace qlm {

// Where a picture is drawn when it is scaled and turned freely: its centre, its size once
// scaled (before turning) and the angle it is turned by around that centre, in degrees,
// positive clockwise on the screen. Drawing coordinates.
struct ImagePlacement {
  double centreX = 0;
  double centreY = 0;
  double width = 0;
  double height = 0;
  double angleDegrees = 0;
};

}  // namespace qlm
