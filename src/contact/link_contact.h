// Contact of a finger's link with the work sphere, in the finger frame, where
// the link turns in the XY plane about the z axis through the joint.
#pragma once

#include "graspstat/state.h"

namespace gs {

// Link classes: where along the link axis the touching point lies.
enum LinkClass : int {
  kLinkNone = 0,      // no angle makes the link axis touch the inflated work
  kLinkOnLink = 1,    // 0 <= L <= lFin: contact on the link itself
  kLinkNearTip = 2,   // lFin < L <= lFin + aF
  kLinkBeyond = 3,    // lFin + aF < L <= 2 lFin
  kLinkFarNear = 4,   // 2 lFin < L <= 2 lFin + aF
  kLinkFarBeyond = 5, // L > 2 lFin + aF
};

// Finds the joint angle qc at which the link axis (a half line of radius aF)
// touches the work of radius aw centred at RWG (finger frame), the distance L
// of the foot point along the axis, the contact point RC and the normals NF
// (toward the work centre) and NW = -NF. Returns the LinkClass; 0 = no
// solution, with qc = 0 and RC = 0 and L, NF, NW left as they were. s is read
// only for the narration.
int VeskLinkSphereContact(const GraspState *s, const double *RWG, double aw, double *qc, double *L,
                          double *RC, double *NF, double *NW);

} // namespace gs
