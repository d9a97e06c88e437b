// The general-case friction-direction search at its floor: the same 419
// candidates in the same order as the literal search, with everything that
// does not change between candidates computed once, a closed-form solution
// that rejects the candidates that certainly fail without solving their 6 x 6
// system, and for the others only the one column of the inverse the right
// side needs, from the very factorisation inv does.
#pragma once

#include "graspstat/state.h"

namespace gs {

// Returns 1 when NormStaticsFast reproduces the literal search for these
// inputs: everything finite and within 1e6 in magnitude, FEX along z only;
// else 0.
int NormFastApplies(const Vec3 *RC, const Vec3 *nc, const double *RW, const double *FEX);

// The general-case search with the interface and, for inputs that
// NormFastApplies accepts, bit for bit the results, console lines and
// return value of VeskNormStaticsLiteral with its narration off.
int NormStaticsFast(GraspState *s, const Vec3 *RC, const Vec3 *nc, const double *RW,
                    const double *FEX, double *FCZ, Vec3 *FC, Vec3 *tc, double *TCF, Vec3 *TC,
                    double *MCZ, Vec3 *MC);

} // namespace gs
