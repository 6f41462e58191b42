#pragma once

#include <cmath>
#include <numbers>

namespace qlm {

// The width and height of the bounding box of a width x height rectangle turned by `degrees`
// around its centre.
struct TurnedExtent {
  double width = 0;
  double height = 0;

  TurnedExtent(double w, double h, double degrees) {
    const double radians = degrees * (std::numbers::pi / 180.0);
    const double c = std::abs(std::cos(radians)), s = std::abs(std::sin(radians));
    width = w * c + h * s;
    height = w * s + h * c;
  }
};

}  // namespace qlm
