// The whole grasp of one pose, the pipeline the keys H/W, A, s, s, S, s run:
//   SetPoseAndWork  kinematics of the hand, reset, reachability
//   ContactStep     finger 1: joint angle, contact point, normals
//   ContactStep     finger 2
//   StaticsStep     case solver's verdict, then the exact holding check
#pragma once

#include "graspstat/grasp.h"
#include "graspstat/state.h"

namespace gs {

// Runs the contact steps and the statics step on the pose and work already
// in the record (after a reset); returns the number of contacts found.
int SolveCurrentPose(GraspState *s);

} // namespace gs
