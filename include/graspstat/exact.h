// The exact holding check of graspstat: whether any forces within the limits
// of a contact law balance the required wrench, decided without a search
// lattice, with its strength measures (margin, capacity, friction needed,
// force closure), for the hand's own contacts and for contacts given from
// elsewhere.
#pragma once

#include "graspstat/model.h"
#include "graspstat/state.h"

namespace gs {

// Decides whether the contacts RC, NF of s can hold the work (centre rwG)
// against FEX with 0 <= FCZ_k <= 10 FEX[z], |T_k| <= mu FCZ_k and
// |MCZ_k| <= mu rm FCZ_k; writes the answer, margin, least-force solution,
// joint torques or blocking limits into *out. Returns out->verdict (an
// ExactVerdict, never kExactNone).
int ExactGraspCheck(const GraspState *s, ExactCheck *out);

// The same check under the model *m (friction mu, moment radius rm, cap,
// required force FEX and moment MEX, contact law), with the strength
// measures capacity, muNeeded and forceClosure; a model that
// ExactModelError refuses gives "undecided" with its text as the reason and
// nothing computed. With kDefaultExactModel every answer equals the one of
// ExactGraspCheck. Returns out->verdict.
int ExactGraspCheckModel(const GraspState *s, const ExactModel *m, ExactCheck *out);
// The same check of contacts given without a hand pose (from another
// simulator, say) under the model *md: no palm test, everything else as
// ExactGraspCheckModel; the hand fields must still be finite, and the joint
// torques refer to them. A point within kContactPointTol of the radius off
// the sphere and a normal within kContactNormalTol of the surface normal
// are taken as the contact where that normal meets the sphere. Returns
// out->verdict (never kExactPalmInside).
int ExactContactsCheck(const GraspState *s, const ExactModel *md, ExactCheck *out);

// Returns how deep the work sphere reaches into the palm box (length; <= 0
// when they do not overlap).
double PalmPenetration(const GraspState *s);

// Returns 1 when the case solvers' reported FCZ, TCF, MCZ keep every
// limit (0 <= FCZ_k <= 10 FEX[z], |TCF_k| <= mu FCZ_k, |MCZ_k| <= mu rm FCZ_k)
// and are finite, else 0.
int StaticsLimitsKept(const GraspState *s);

// Returns the name of limit kind i (0 .. kExactLimitKinds - 1: "friction",
// "moment", "force cap", "push only") and writes its ExactLimit bit to *bit.
const char *ExactLimitName(int i, int *bit);
constexpr int kExactLimitKinds = 4; // kinds of limit a "cannot hold" answer can name

} // namespace gs
