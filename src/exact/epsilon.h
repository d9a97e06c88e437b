// The Ferrari-Canny epsilon of two contacts on exact friction sets (disc,
// disc and moment interval, or ellipsoid per contact law; no linearised
// cones): the least, over all unit wrench directions of the scaled space
// (force, moment / torqueScale), of the support function of the grasp
// wrench set.
#pragma once

#include "graspstat/model.h"
#include "graspstat/pair.h"

namespace gs {

// Computes both forms of the epsilon of the contacts *g under the friction,
// moment radius, cap and law of *m, with the torque scale torqueScale
// (length; <= 0 takes the largest distance from g->c to a contact, 1 when
// that is 0), into *out. Returns 1, or 0 (out filled with NaN) when an input
// is not finite, a normal is not a unit vector, mu or rm is negative, cap is
// not positive or the law is unknown.
int PairEpsilon(const ContactPair *g, const ExactModel *m, double torqueScale, GraspEpsilon *out);

// PairEpsilon with at most proofBoxes boxes per form in the branch and bound
// of the lower bound (0: only the first covering of the sphere), which ends
// earlier when value - lower is below 1e-7 value. Returns as PairEpsilon.
int PairEpsilonBudget(const ContactPair *g, const ExactModel *m, double torqueScale, int proofBoxes,
                      GraspEpsilon *out);

// PairEpsilonBudget for the forms in the mask forms only (the others stay
// NaN). Returns as PairEpsilon.
int PairEpsilonForms(const ContactPair *g, const ExactModel *m, double torqueScale, int proofBoxes,
                     int forms, GraspEpsilon *out);

} // namespace gs
