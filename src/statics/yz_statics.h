// Grasp statics of two contacts whose points, normals and the work centre lie
// in one vertical plane: a planar balance of two forces and one moment,
// searched over the normal force of contact 1.
#pragma once

#include "graspstat/state.h"

namespace gs {

// Raises FCZ[1] from FEX[z]/5 in steps of 0.1 and solves the in-plane
// balance for TCF[1], FCZ[2], TCF[2] until FCZ[2] >= 0 and both friction
// forces lie within mu times their normal forces, or FCZ[1] passes
// 10 FEX[z]. n[k] = nc[k] are the contact normals into the work; each
// friction direction lies in the plane of the contacts (upwards, or along the
// plane's horizontal for a vertical normal).
// Writes FCZ, FC, tc, TCF, TC, MCZ = 0, MC = 0, s->StaticsStability and
// s->sgnStaticsEnd = 2. Returns 1 when a stable grasp is found, else 0.
int VeskYZStatics(GraspState *s, const Vec3 *RC, const Vec3 *nc, const double *RW,
                  const double *FEX, double *FCZ, Vec3 *FC, Vec3 *tc, double *TCF, Vec3 *TC,
                  double *MCZ, Vec3 *MC);

// Unit normal p of the plane through the work centre that holds the contact
// lever arms RCW[1], RCW[2] and normals nc[1], nc[2]: the longer of the
// cross products of the unit lever arms and of the normals when it exceeds
// EPS4; when everything lies on one line, the vertical plane through it (the
// first of nc[1], nc[2], RCW[1], RCW[2] with a horizontal part of relative
// length at least EPS4; eX when all are vertical). Oriented along
// nc[1] x eZ. Returns 1 (lever arms), 2 (normals), 3 (line) or 0 (eX).
int ContactPlaneNormal(const Vec3 *nc, const Vec3 *RCW, double *p);

// Unit friction direction t of the contact normal n within the plane of unit
// normal p: perpendicular to n, pointing upwards; for a normal whose
// horizontal part is below EPS4, along ey (the plane's horizontal).
void PlaneTangent(const double *p, const double *n, const double *ey, double *t);

} // namespace gs
