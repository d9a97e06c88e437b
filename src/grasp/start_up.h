// Start-up of the model and the reset of the calculation sequence: the steps
// that fill the record with its start values and run the kinematics on it.
#pragma once

#include "graspstat/grasp.h"
#include "graspstat/state.h"

namespace gs {

// Resets the calculation sequence after a pose or work change (the caller has
// run HandKinematics for a new pose): clears the flags and forces, puts both
// joints back to 0 and recomputes both link frames; returns the new
// sgnGraspExec (1 = the work can be grasped, 0 = it cannot).
int InitGraspState(GraspState *s);

} // namespace gs
