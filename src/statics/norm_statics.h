// Grasp statics of two contacts in a general configuration: the friction
// directions of both contacts are searched in fixed angle steps, and each
// pair fixes a 6 x 6 balance system for the normal forces, friction forces
// and friction moments.
#pragma once

#include "app/model_state.h"

namespace gs {

// Searches the friction directions tc[1], tc[2] (up to 419 pairs, the
// upward tangents first) for forces that balance FEX and stay within the
// friction and moment limits; n[k] = nc[k] are the contact normals into the
// work. Writes FCZ, FC, tc, TCF, TC, MCZ, MC (the last candidate tried when
// none is accepted), s->StaticsStability, s->sgnStaticsEnd = 2 and
// s->normCandidate (1-based accepted candidate, else 0). Returns 1 when a
// stable grasp is found, else 0.
int VeskNormStatics(GraspState *s, const Vec3 *RC, const Vec3 *nc, const double *RW,
                    const double *FEX, double *FCZ, Vec3 *FC, Vec3 *tc, double *TCF, Vec3 *TC,
                    double *MCZ, Vec3 *MC);

} // namespace gs
