// Contact of one finger with the work sphere in the fixed frame: the link
// first, the fingertip sphere when the link would touch beyond its end.
#pragma once

#include "graspstat/state.h"

namespace gs {

// Computes where finger nFin (2 = finger 2, any other value finger 1) touches
// the work of radius aw centred at RwG (fixed frame), after HandKinematics:
// joint angle qc, distance L along the link (lFin for a fingertip contact),
// contact point RC and normals NF (into the work) and NW = -NF, all in the
// fixed frame; also stores the work centre in the finger frame in s->RWG.
// Returns 1 when the finger touches the work, 0 when it does not. With no
// link solution at all: qc = 0, L = 0, RC = the joint, NF = NW = 0. With a
// link solution but a fingertip out of reach: the link result stays.
int VeskSphereContanct(GraspState *s, int nFin, const double *RwG, double aw, double *qc, double *L,
                       double *RC, double *NF, double *NW);

} // namespace gs
