// Grasp statics of the two current contacts: derives the contact geometry
// about the work centre, sorts it into the collinear, horizontal, vertical or
// general case and hands it to that case's solver.
#pragma once

#include "graspstat/state.h"

namespace gs {

// Sets nc[k] = NW[k], classifies the contacts RC[1], RC[2] about rwG (SP3
// collinear, SP1 horizontal, SP2 vertical plane, else Norm) and runs the
// case's solver with the finger normals NF; records staticsCase,
// staticsSubCase and normCandidate (all reset first). Returns the solver's
// verdict: 1 = stable grasp, 0 = none.
int VeskStatics(GraspState *s);

// Case of two contacts about the work centre RW with work normals nc[1],
// nc[2], by the tests of VeskStatics; returns a StaticsCase (never
// kCaseNone).
int ClassifyStatics(const Vec3 *RC, const Vec3 *nc, const double *RW);

} // namespace gs
