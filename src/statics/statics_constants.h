// Step sizes and bounds of the fixed-step searches of the grasp statics
// solvers (the force limit they search within is in model/constants.h).
#pragma once

namespace gs {

constexpr int kNormTurnSteps = 20;       // general case: friction-direction steps per turn
constexpr double kTCZStep = 0.1;         // horizontal case: step of TCZ[1] (force units)
constexpr double kGripStep = 0.2;        // horizontal case: step of the grasp force FCZ0 (force)
constexpr double kNormalForceStep = 0.1; // vertical-plane case: step of FCZ[1] (force units)
constexpr double kNormalForceStartDiv = 5.0; // vertical-plane case: FCZ[1] starts at FEX[z] / 5
constexpr double kFrictionReserve = 2.0;     // collinear case: normal force / friction need
constexpr int kMaxStaticsPasses = 100000;    // bound on the passes of every statics search loop

} // namespace gs
