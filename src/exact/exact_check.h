// Exact holding check of the two current contacts: whether any normal
// forces, friction forces free in their tangent planes and friction moments
// within the limits balance the required force, decided without a search
// lattice, beside the verdict of the case solvers.
//
// Model: per contact k a normal force FCZ_k along NF[k], a friction force T_k
// in the tangent plane and a friction moment MCZ_k about NF[k], with
// 0 <= FCZ_k <= 10 FEX[z], |T_k| <= mu FCZ_k (the disc), |MCZ_k| <= mu rm FCZ_k
// and the balance sum (FCZ_k NF[k] + T_k) = FEX, sum (RC[k] - rwG) x
// (FCZ_k NF[k] + T_k) + MCZ_k NF[k] = 0.
//
// Margin: 1 - u*, u* the least factor that, multiplying mu in the friction
// and the moment limits alike (the force bounds stay), still admits a
// balance. The verdict is "undecided" when u* lies within
// kExactDecisionTol of 1.
//
// A work radius below kExactMinRadius is a point work (the contact routines
// produce one for radius 0): with no lever arm the friction moments vanish
// and the friction forces are no longer tied together by the moment
// balance; it has its own search over the two normal forces, and without
// friction the normal forces alone must make up the load (a linear
// problem). Normals along one line (|n1 +- n2| below kExactParallelTol)
// have closed forms of their own (exact_parallel.h).
//
// Blocking limits of a "cannot hold" answer, each relaxed alone:
// friction: no bound on |T_k|; moment: no bound on |MCZ_k|; force cap: the
// cap raised kRelaxedCapFactor times; push only: a finger may also pull,
// the limits then bound by |FCZ_k| (|T_k| <= mu |FCZ_k|, |MCZ_k| <= mu rm
// |FCZ_k|, |FCZ_k| <= 10 FEX[z]).
#pragma once

#include "geom/vecmat.h"
#include "graspstat/exact.h"
#include "graspstat/model.h"
#include "graspstat/state.h"

namespace gs {

constexpr double kExactDecisionTol = 1e-9;  // band of u* about 1 left undecided (dimensionless)
constexpr double kExactResidualTol = 1e-9;  // balance residual of a reported solution (force,
                                            // moment units)
constexpr double kExactLimitSlack = 1e-12;  // rounding allowed on each limit at the re-check,
                                            // relative to the limit (at least 1 force unit)
constexpr double kExactPalmDepth = 1e-6;    // palm penetration deeper than this (length)
constexpr double kExactSurfaceTol = 1e-6;   // contact off a point work (length)
constexpr double kContactPointTol = 1e-3;   // contact point off the sphere, relative to aSph
constexpr double kContactNormalTol = 1e-3;  // contact normal off the surface normal (rad)
constexpr double kExactScaledMost = 1e12;   // cap and moment radius in units of the wrench and
                                            // the radius, and friction, taken at most this
constexpr double kExactUnitTol = 1e-6;      // |NF[k]| farther than this from 1: no normal
constexpr double kExactParallelTol = 1e-12; // |n1 +- n2| below this: opposite / equal normals
constexpr double kExactMinRadius = 1e-9;    // work radius below this: a point (length)
constexpr double kRelaxedCapFactor = 1e6;   // force cap when that limit is relaxed

// Returns 1 when the normal forces fcz, friction forces tf and friction
// moments mcz (entries 1, 2) of contacts at p with unit normals n keep every
// limit of *md up to rounding (kExactLimitSlack) and balance (FEX, MEX)
// about c within kExactResidualTol, else 0.
int ExactBalanceKept(const Vec3 *p, const Vec3 *n, const double *c, const double *fcz,
                     const Vec3 *tf, const double *mcz, const ExactModel *md);

// Reason of an "undecided" answer whose verdict turns on less than the
// decision tolerance.
constexpr const char *kExactNearLimit = "the answer turns on less than 1e-9 of a limit";

} // namespace gs
