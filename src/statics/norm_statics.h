// Grasp statics of two contacts in a general configuration: the friction
// directions of both contacts are searched in fixed angle steps, and each
// pair fixes a 6 x 6 balance system for the normal forces, friction forces
// and friction moments.
#pragma once

#include "graspstat/state.h"

namespace gs {

// Searches the friction directions tc[1], tc[2] (up to 419 pairs, the
// upward tangents first) for forces that balance FEX and stay within the
// friction and moment limits; n[k] = nc[k] are the contact normals into the
// work. Writes FCZ, FC, tc, TCF, TC, MCZ, MC (the last candidate tried when
// none is accepted), s->StaticsStability, s->sgnStaticsEnd = 2 and
// s->normCandidate (1-based accepted candidate, else 0). Returns 1 when a
// stable grasp is found, else 0.
// Runs NormStaticsFast when NormFastApplies and the narration is off, else
// VeskNormStaticsLiteral; both give the same results bit for bit.
int VeskNormStatics(GraspState *s, const Vec3 *RC, const Vec3 *nc, const double *RW,
                    const double *FEX, double *FCZ, Vec3 *FC, Vec3 *tc, double *TCF, Vec3 *TC,
                    double *MCZ, Vec3 *MC);

// The same search done literally: every candidate's 6 x 6 system inverted
// with inv and multiplied with its right side, with the optional narration.
// Same results and return value as VeskNormStatics.
int VeskNormStaticsLiteral(GraspState *s, const Vec3 *RC, const Vec3 *nc, const double *RW,
                           const double *FEX, double *FCZ, Vec3 *FC, Vec3 *tc, double *TCF,
                           Vec3 *TC, double *MCZ, Vec3 *MC);

// Tangent basis of contact normal n: ext horizontal (eX for a normal within
// 1e-4 of +-Z), eyt = n x ext; returns atan2(eyt[z], ext[z]), the angle of
// the most upward tangent.
double TangentBasis(const double *n, double *ext, double *eyt);

// Writes t = ext cos th + eyt sin th.
void TangentAt(const double *ext, const double *eyt, double th, double *t);

// The four limits of one candidate, each true when it holds (equality
// passes): both normal forces not negative, both friction forces within
// mu FCZ, both friction moments within mu rm FCZ, both normal forces within
// kForceCap.
struct NormLimits {
  bool pushing;
  bool frictionOk;
  bool momentOk;
  bool notExcessive;
};

// Writes the unknowns X6 = (FCZ1, FCZ2, TCF1, TCF2, MCZ1, MCZ2) into
// FCZ, TCF, MCZ and composes FC, TC, MC from them with the normals nc.
void StoreNormSolution(const double *X6, const Vec3 *nc, double *FCZ, Vec3 *FC, const Vec3 *tc,
                       double *TCF, Vec3 *TC, double *MCZ, Vec3 *MC);

// Evaluates the four limits on entries 1 and 2 of FCZ, TCF, MCZ.
NormLimits NormCandidateLimits(const double *FCZ, const double *TCF, const double *MCZ);

// Writes the 6 x 6 balance matrix of one candidate, row-major into A6: rows
// 0..2 the forces (nc[1], nc[2], t1, t2, 0, 0) balancing FEX, rows 3..5 the
// moments about the work centre (RN[1], RN[2], RT1, RT2, nc[1], nc[2]), the
// columns the unknowns (FCZ1, FCZ2, TCF1, TCF2, MCZ1, MCZ2).
void BuildNormBalance(const Vec3 *nc, const Vec3 *RN, const double *t1, const double *t2,
                      const double *RT1, const double *RT2, double *A6);

// Stores the candidate's solution X6 (StoreNormSolution), evaluates its limits
// into *lim and returns NormCandidateAccepted of it (1 accepted, 0 not).
int AcceptNormCandidate(const double *X6, double det6, const Vec3 *nc, double *FCZ, Vec3 *FC,
                        const Vec3 *tc, double *TCF, Vec3 *TC, double *MCZ, Vec3 *MC,
                        NormLimits *lim);

// Returns 1 when a candidate is accepted: inv inverted its matrix (det6),
// all four limits hold and every result is finite; else 0.
int NormCandidateAccepted(const NormLimits &lim, double det6, const double *FCZ, const Vec3 *FC,
                          const Vec3 *tc, const double *TCF, const Vec3 *TC, const double *MCZ,
                          const Vec3 *MC);

} // namespace gs
