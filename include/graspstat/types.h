// The numbers every record of graspstat is made of: fixed-size vectors and
// 3x3 matrices as plain arrays, and the infinity that stands for no bound.
#pragma once

#include <limits>

namespace gs {

using Vec3 = double[3];    // x, y, z at 0..2
using Mat3 = double[3][3]; // row-major, [row][column]

// +infinity: no bound, no solution (in the unit of whatever it stands for)
constexpr double kInf = std::numeric_limits<double>::infinity();

} // namespace gs
