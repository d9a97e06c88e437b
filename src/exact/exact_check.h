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
#include "model/exact_model.h"
#include "model/model_state.h"

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

// Returns 1 when the normal forces fcz, friction forces tf and friction
// moments mcz (entries 1, 2) of contacts at p with unit normals n keep every
// limit of *md up to rounding (kExactLimitSlack) and balance (FEX, MEX)
// about c within kExactResidualTol, else 0.
int ExactBalanceKept(const Vec3 *p, const Vec3 *n, const double *c, const double *fcz,
                     const Vec3 *tf, const double *mcz, const ExactModel *md);

// Reason of an "undecided" answer whose verdict turns on less than the
// decision tolerance.
constexpr const char *kExactNearLimit = "the answer turns on less than 1e-9 of a limit";

// Returns how deep the work sphere reaches into the palm box (length; <= 0
// when they do not overlap).
double PalmPenetration(const GraspState *s);

// Returns 1 when the specified solver's reported FCZ, TCF, MCZ keep every
// limit (0 <= FCZ_k <= 10 FEX[z], |TCF_k| <= mu FCZ_k, |MCZ_k| <= mu rm FCZ_k)
// and are finite, else 0.
int StaticsLimitsKept(const GraspState *s);

// Returns the name of limit kind i (0 .. kExactLimitKinds - 1: "friction",
// "moment", "force cap", "push only") and writes its ExactLimit bit to *bit.
const char *ExactLimitName(int i, int *bit);
constexpr int kExactLimitKinds = 4; // kinds of limit a "cannot hold" answer can name

} // namespace gs
