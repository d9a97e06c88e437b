// Grasp statics of two contacts whose points, normals and the work centre lie
// in the horizontal plane: the vertical load is carried by vertical friction
// and friction moments, the grasp force acts along the line of the contacts.
#pragma once

#include "graspstat/state.h"

namespace gs {

// Splits FEX[z] into vertical friction forces TCZ[1], TCZ[2] balanced in
// moment by MCZ[1], MCZ[2] (opposite normals: one 3 x 3 solve; otherwise
// TCZ[1] is raised from the lever-rule share until |MCZ| <= 10 mu rm FEX[z]),
// then raises the grasp force along the contact line in steps of 0.2 until
// the combined friction lies within mu times the normal force at both
// contacts. n[k] = nc[k] are the contact normals into the work. Writes FCZ,
// FC, tc, TCF, TC (combined friction), MCZ, MC, s->StaticsStability,
// s->sgnStaticsEnd = 2 and s->staticsSubCase. Returns 1 when a stable grasp
// is found, else 0; equal normals, a vertical share that turns negative or a
// moment balance that cannot be solved return 0 at once with both flags left
// as they were.
int VeskXYStatics(GraspState *s, const Vec3 *RC, const Vec3 *nc, const double *RW,
                  const double *FEX, double *FCZ, Vec3 *FC, Vec3 *tc, double *TCF, Vec3 *TC,
                  double *MCZ, Vec3 *MC);

} // namespace gs
