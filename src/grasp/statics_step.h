// The statics step of the calculation sequence: the case solvers' verdict on
// the two contacts, then the exact holding check of the same contacts.
#pragma once

#include "graspstat/state.h"

namespace gs {

// Runs VeskStatics on the two contacts (with fewer than two, records "no
// stable grasp" without solving), then the exact check under s->exactModel into s->exact; sets
// StaticsStability and sgnStaticsEnd = 1. Narrates at the key interpreter's
// trace level. Returns StaticsStability (1 = stable grasp, 0 = none).
int StaticsStep(GraspState *s);

} // namespace gs
