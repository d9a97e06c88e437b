// The answer of each solver family of the exact check to the one question
// they all answer: the least friction scale that holds, the least-force
// balance, the blocking limits and the largest load factor held.
#pragma once

#include "graspstat/types.h"

namespace gs {

// One balance: normal forces, friction force vectors, friction moments
// (per-contact arrays indexed 1, 2).
struct ExactForces {
  double f[3];
  Vec3 T[3];
  double m[3];
};

// Outcome of the force analysis of one contact geometry.
struct ExactAnswer {
  double u;          // least friction scale u* (need / mu), +inf when none holds, NaN when the
                     // answer turns on less than the decision tolerance
  double need;       // least friction coefficient that holds the load (+inf: none; NaN: not
                     // computed by this family)
  ExactForces least; // least-total-normal-force balance (when u <= 1)
  int blocking;      // ExactLimit bits (when u > 1)
  double capacity;   // largest load factor held (NaN: not computed by this family)
};

} // namespace gs
