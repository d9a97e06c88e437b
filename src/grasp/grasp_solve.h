// The whole grasp of one pose, the pipeline the keys H/W, A, s, s, S, s run:
//   SetPoseAndWork  kinematics of the hand, reset, reachability
//   ContactStep     finger 1: joint angle, contact point, normals
//   ContactStep     finger 2
//   StaticsStep     case solver's verdict, then the exact holding check
#pragma once

#include "model/model_state.h"

namespace gs {

// Sets the hand pose (al, bet; rad) and the work (centre rwG, radius aSph)
// of a started record, then runs both contact steps in mode A and the statics
// step in mode S, leaving the record as the keys A, s, s, S, s leave it.
// Returns the number of contacts found (0, 1 or 2).
int SolvePose(GraspState *s, double al, double bet, const double *rwG, double aSph);

// Runs the contact steps and the statics step on the pose and work already
// in the record (after a reset); returns the number of contacts found.
int SolveCurrentPose(GraspState *s);

} // namespace gs
