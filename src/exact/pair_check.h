// The exact holding check of two contacts given anywhere: points, unit
// normals into the work and a reference point for the moments, no sphere.
// The balance is sum (F_k n_k + T_k) = FEX and sum (p_k - c) x (F_k n_k +
// T_k) + M_k n_k = MEX under the limits of the contact law of the model.
#pragma once

#include "graspstat/model.h"
#include "graspstat/pair.h"
#include "graspstat/state.h"

namespace gs {

// Decides whether the contacts *g can supply the wrench of *m within its
// limits and writes verdict, margin, least-force solution (FCZ, T, MCZ),
// capacity, muNeeded and forceClosure into *out (jointTorque 0: no hand).
// Returns out->verdict (an ExactVerdict: holds, cannot hold or undecided).
int PairExactCheck(const ContactPair *g, const ExactModel *m, ExactCheck *out);

// Whether the contacts *g resist every wrench under *m once the cap is
// removed (the line through them strictly inside both friction cones, a
// friction moment at each): returns 1, 0, or -1 within the decision band.
int PairForceClosure(const ContactPair *g, const ExactModel *m);

} // namespace gs
