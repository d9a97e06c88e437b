// Exact holding check of two contacts on a sphere (radius > 0) whose normals
// lie along one line, under any contact law and any required wrench.
//
// Opposite normals (n2 = -n1 = -n): the normal forces act along one line
// through the centre, so FCZ_1 - FCZ_2 = FEX.n, the friction forces are
// fixed by the tangential load and the moment across the line
// (T_1 + T_2 = FEX_t, T_1 - T_2 = n x MEX_t / a), and the twist about the
// line is shared by the two friction moments (MCZ_1 - MCZ_2 = MEX.n). The
// only freedom left is the squeeze FCZ_2 and the split of the twist.
//
// Equal normals (n2 = n1 = n): both contacts touch the same point and push
// the same way, so they act as one contact with the normal force
// FCZ_1 + FCZ_2 = FEX.n, the friction force FEX_t and the friction moment
// MEX.n; the moment across the normal must be the one of FEX_t about the
// centre (MEX_t = -a n x FEX_t), else nothing holds.
#pragma once

#include <cmath>

#include "exact/exact_answer.h"
#include "geom/vecmat.h"
#include "graspstat/model.h"

namespace gs {

// Decides for contacts with unit normals n1 and n2 = -n1 (opposite = 1) or
// n2 = n1 (opposite = 0) on a sphere of radius a > 0 under the model *md
// (mu >= 0, any law and wrench); returns 1.
int ParallelNormalsAnswer(const double *n1, int opposite, double a, const ExactModel *md,
                          ExactAnswer *ans);

constexpr int kCapacityHalvings = 200; // bound on the halvings of the load-factor search

// The largest load factor held, from held(c) telling whether the load holds
// with the normal-force cap c: a load lambda g with cap c holds exactly
// when g holds with cap c / lambda. cap is the model's cap, start the cap
// the search for the least one that holds starts from; NaN when the factor
// lies within tol of 1.
template <class Held> double LoadFactorByCap(Held held, double cap, double tol, double start) {
  // a cap lo that fails and a cap hi that holds
  double lo = start, hi = start;
  const bool heldAtStart = held(hi);
  bool last = heldAtStart;
  for (int i = 0; i < 64 && heldAtStart; i++) {
    lo *= 0.5;
    if (!held(lo)) break;
    hi = lo;
  }
  for (int i = 0; i < 64 && !heldAtStart; i++) {
    hi *= 2.0;
    last = held(hi);
    if (last) break;
    lo = hi;
  }
  if (!heldAtStart && !last) return 0.0;
  for (int i = 0; i < kCapacityHalvings && hi - lo > tol * 1e-3 * hi; i++) {
    const double mid = 0.5 * (lo + hi);
    (held(mid) ? hi : lo) = mid;
  }
  const double capacity = cap / hi;
  return std::fabs(capacity - 1.0) <= tol ? NAN : capacity;
}

} // namespace gs
