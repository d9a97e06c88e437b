// Exact holding check of the two current contacts: whether any normal
// forces, friction forces free in their tangent planes and friction moments
// within the limits balance the required force, decided without a search
// lattice, beside the verdict of the case solvers.
#pragma once

#include "app/model_state.h"

namespace gs {

// Decides whether the contacts RC, NF of s can hold the work (centre rwG)
// against FEX with 0 <= FCZ_k <= 10 FEX[z], |T_k| <= mu FCZ_k and
// |MCZ_k| <= mu rm FCZ_k; writes the answer, margin, least-force solution,
// joint torques or blocking limits into *out. Returns out->verdict (an
// ExactVerdict, never kExactNone).
int ExactGraspCheck(const GraspState *s, ExactCheck *out);

} // namespace gs
