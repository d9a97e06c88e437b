// Pieces shared by the four grasp-statics solvers: the force vectors of a
// contact, the sign rule for friction forces, the verdict flags, and the
// checks that keep a singular balance system or a non-finite force from ever
// counting as a stable grasp.
#pragma once

#include "graspstat/state.h"

namespace gs {

// Returns sqrt(v[x]^2 + v[y]^2), the length of the horizontal part of v.
double HorizontalLength(const double *v);

// FC[k] = FCZ[k] n[k], TC[k] = TCF[k] tc[k], MC[k] = MCZ[k] n[k] for k = 1, 2.
void ComposeContactForces(const Vec3 *n, const double *FCZ, Vec3 *FC, const Vec3 *tc,
                          const double *TCF, Vec3 *TC, const double *MCZ, Vec3 *MC);

// Reports friction forces as sizes: for k = 1, 2 a negative TCF[k] becomes
// positive and tc[k] is reversed (TC is left as it is).
void ReportFrictionPositive(double *TCF, Vec3 *tc);

// Returns 1 when every force, moment and direction of contacts 1 and 2 is
// finite, else 0.
int StaticsResultsFinite(const double *FCZ, const Vec3 *FC, const Vec3 *tc, const double *TCF,
                         const Vec3 *TC, const double *MCZ, const Vec3 *MC);

// Returns 1 when inv left its matrix uninverted (|det| at or below the
// inverse floor, a negligible pivot, or NaN), else 0.
int InverseFailed(double det);

// Norms of the balance of the reported contact forces about the work centre
// RW: *force = |sum (FC + TC) - FEX|, *moment = |sum RCW x (FC + TC) + MC|
// with RCW = RC - RW, over contacts 1 and 2.
void StaticsBalanceResidual(const Vec3 *RC, const double *RW, const double *FEX, const Vec3 *FC,
                            const Vec3 *TC, const Vec3 *MC, double *force, double *moment);

// Trace helper: prints label (a format with at most one %d, filled with k)
// and then the vector v.
void TraceVec(const char *label, int k, const double *v);

// Trace helper: prints nc, tc, FC and TC of both contacts, two per line.
void TraceContactVectors(const Vec3 *nc, const Vec3 *tc, const Vec3 *FC, const Vec3 *TC);

// Records a solver's verdict: StaticsStability = stable, sgnStaticsEnd = 2;
// returns stable.
int SetStaticsVerdict(GraspState *s, int stable);

} // namespace gs
