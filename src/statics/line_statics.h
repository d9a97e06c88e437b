// Grasp statics of two contacts whose points and normals lie on one line
// through the work centre: the fingers press against each other along the
// line and friction (or, on a vertical line, the normal forces) carries the
// load.
#pragma once

#include "graspstat/state.h"

namespace gs {

// Shares FEX[z] between the contacts by the lever rule along a horizontal
// (SP31) or inclined (SP32) line, with normal forces twice what friction
// needs, or carries it by the normal forces on a vertical line (SP33).
// n[k] = nc[k] are the contact normals into the work. Writes FCZ, FC, tc,
// TCF, TC, MC = 0 (MCZ only in SP31), s->StaticsStability, s->sgnStaticsEnd
// = 2 and s->staticsSubCase. Returns 1 (stable), or 0 when the normals are
// not opposite (within EPS4), the inclined line's plane system cannot be
// inverted or a result is not finite.
int VeskLineStatics(GraspState *s, const Vec3 *RC, const Vec3 *nc, const double *RW,
                    const double *FEX, double *FCZ, Vec3 *FC, Vec3 *tc, double *TCF, Vec3 *TC,
                    double *MCZ, Vec3 *MC);

// Shares of a load carried by two contacts at distances R1 and R2 from the
// work centre so that their moments cancel: w[0] = R2 / (R1 + R2) for contact
// 1 and w[1] = R1 / (R1 + R2) for contact 2; halves when both distances are 0.
void LeverShares(double R1, double R2, double *w);

} // namespace gs
