// The contact step of the calculation sequence: the next finger (1, then 2)
// is bent until its link or fingertip touches the work.
#pragma once

#include "graspstat/state.h"

namespace gs {

// Computes the contact of the next finger when the sequence admits one (the
// work is graspable and finger 2 is not yet done): advances nFin, runs the
// two-finger contact driver, copies NW into nc, keeps the contact code,
// moves the link to its new joint angle and counts a touching finger in
// cntContact; sgnGraspEnd becomes 1 after finger 2. Narrates at the key
// interpreter's trace level. Returns 1 when a contact calculation ran, else 0.
int ContactStep(GraspState *s);

} // namespace gs
