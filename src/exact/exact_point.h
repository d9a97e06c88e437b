// Exact holding check of a point work (radius 0): both contacts lie at the
// centre, so the friction moments vanish and each contact force may take any
// direction in its friction cone; the work is held when the load is a sum of
// one force from each truncated cone.
#pragma once

#include "geom/vecmat.h"

#include "exact/exact_answer.h"

namespace gs {

// Decides for two contacts with unit normals n1, n2 at a point work under the
// load g, normal forces capped at cap, friction coefficient mu (> 0): the
// least friction scale, the least-force balance and the blocking limits;
// returns 1.
int PointWorkAnswer(const double *n1, const double *n2, const double *g, double cap, double mu,
                    ExactAnswer *ans);

// The least friction scale of PointWorkAnswer alone, without the balance
// and the blocking limits (what a search over the cap asks); returns it.
double PointWorkScale(const double *n1, const double *n2, const double *g, double cap, double mu);

} // namespace gs
