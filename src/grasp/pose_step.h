// Setting the hand pose and the work: every change of either runs the hand
// kinematics where the pose changed and resets the calculation sequence,
// which also decides whether the work can be grasped at all.
#pragma once

#include "graspstat/state.h"

namespace gs {

// Sets the hand angles (al about X, bet about Y; rad), runs HandKinematics
// and InitGraspState; returns the new sgnGraspExec (1 = graspable, 0 = not).
int SetHandPose(GraspState *s, double al, double bet);

// Sets the work centre rwG and radius aSph (length) and runs InitGraspState;
// returns the new sgnGraspExec (1 = graspable, 0 = not).
int SetWork(GraspState *s, const double *rwG, double aSph);

// Sets the hand pose and the work together and runs HandKinematics and
// InitGraspState once; returns the new sgnGraspExec (1 = graspable, 0 = not).
int SetPoseAndWork(GraspState *s, double al, double bet, const double *rwG, double aSph);

} // namespace gs
