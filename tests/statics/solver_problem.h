// Test helpers for the grasp-statics solvers: one standalone problem with
// its result arrays, and the balance residuals of a reported grasp.
#pragma once

#include <algorithm>
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "geom/vecmat.h"
#include "graspstat/constants.h"
#include "graspstat/state.h"
#include "statics/statics_result.h"

namespace gs::testing {

constexpr double kTol = 5e-5; // the four decimals of the worked examples

inline void ExpectVec(const double *v, double x, double y, double z, double tol = kTol) {
  EXPECT_NEAR(v[0], x, tol);
  EXPECT_NEAR(v[1], y, tol);
  EXPECT_NEAR(v[2], z, tol);
}

// Entries 1 and 2 of a per-contact array.
inline void ExpectPair(const double *a, double v1, double v2, double tol = kTol) {
  EXPECT_NEAR(a[1], v1, tol);
  EXPECT_NEAR(a[2], v2, tol);
}

// Returns true when text ends with end.
inline bool EndsWith(const std::string &text, const std::string &end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Returns true when text begins with start.
inline bool StartsWith(const std::string &text, const std::string &start) {
  return text.compare(0, start.size(), start) == 0;
}

// The eleven arrays of a solver call plus the record it writes its flags to.
struct SolverProblem {
  GraspState s{};
  Vec3 RC[3] = {};
  Vec3 nc[3] = {}; // normals into the work, as the solvers receive them
  Vec3 RW = {0.0, 0.0, 0.0};
  double FEXv[3] = {kCaseLoad[0], kCaseLoad[1], kCaseLoad[2]};
  double FCZ[3] = {}, TCF[3] = {}, MCZ[3] = {};
  Vec3 FC[3] = {}, tc[3] = {}, TC[3] = {}, MC[3] = {};

  // Contact k at RW + r u with the normal -u (u made unit first).
  void SetContact(int k, double r, double ux, double uy, double uz) {
    const double u[3] = {ux, uy, uz};
    Vec3 unit;
    UnitVec3(u, unit);
    for (int i = 0; i < 3; i++) {
      RC[k][i] = RW[i] + r * unit[i];
      nc[k][i] = -unit[i];
    }
  }
};

using SolverFn = int (*)(GraspState *, const Vec3 *, const Vec3 *, const double *, const double *,
                         double *, Vec3 *, Vec3 *, double *, Vec3 *, double *, Vec3 *);

inline int Solve(SolverFn f, SolverProblem *p) {
  return f(&p->s, p->RC, p->nc, p->RW, p->FEXv, p->FCZ, p->FC, p->tc, p->TCF, p->TC, p->MCZ, p->MC);
}

// Largest deviations of a reported grasp from balance and from the friction
// limits (0 when inside).
struct Residual {
  double force = 0.0;    // |sum FC + TC - FEX|
  double moment = 0.0;   // |sum RCW x (FC + TC) + MC| about the work centre
  double friction = 0.0; // max over k of |TC[k]| - mu FCZ[k], and FCZ[k] < 0
};

inline Residual BalanceResidual(const Vec3 *RC, const double *RW, const double *fex,
                                const double *FCZ, const Vec3 *FC, const Vec3 *TC, const Vec3 *MC) {
  Residual r;
  StaticsBalanceResidual(RC, RW, fex, FC, TC, MC, &r.force, &r.moment);
  for (int k = 1; k <= 2; k++) {
    r.friction = std::max(r.friction, NormVec3(TC[k]) - kCaseMu * FCZ[k]);
    r.friction = std::max(r.friction, -FCZ[k]);
  }
  return r;
}

inline Residual BalanceResidual(const SolverProblem &p) {
  return BalanceResidual(p.RC, p.RW, p.FEXv, p.FCZ, p.FC, p.TC, p.MC);
}

// Forces and moments of p balance to tol; friction within its limit.
inline void ExpectBalanced(const SolverProblem &p, double tol = 1e-9) {
  const Residual r = BalanceResidual(p);
  EXPECT_LT(r.force, tol);
  EXPECT_LT(r.moment, tol);
  EXPECT_LE(r.friction, 1e-12);
}

} // namespace gs::testing
