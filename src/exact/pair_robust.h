// Robust measures of a two-contact grasp: holding, force closure, capacity
// and epsilon over grasps perturbed in their contact points, normals and
// friction.
#pragma once

#include "graspstat/model.h"
#include "graspstat/pair.h"

namespace gs {

// Draws o->samples perturbed copies of *g (points moved along the sphere of
// radius sphereRadius about g->c when sphereRadius > 0, else in 3-D) and
// writes the shares, percentiles and mean of their answers under *m into
// *out, each sample's epsilon proven with at most proofBoxes boxes (the
// epsilon measures NaN and not computed when forms lacks kEpsilonFormInf).
// Returns the number of samples drawn (0: none asked, out NaN).
int PairRobust(const ContactPair *g, const ExactModel *m, double sphereRadius, double torqueScale,
               int proofBoxes, int forms, const RobustOptions *o, RobustMeasures *out);

} // namespace gs
