// Two contacts given by their points and normals, from any source (a
// simulator, a grasp sampler, the hand's own contact calculation), and the
// records of their grasp quality. Per-contact arrays are indexed by the
// contact number 1 or 2, as the hand's fingers are; entry 0 carries no data.
#pragma once

#include <cstdint>

#include "graspstat/types.h"

namespace gs {

// The contacts of one two-contact grasp. Contact k supplies a normal force
// F_k along n[k], a friction force in the plane normal to n[k] and (soft and
// elliptic laws) a friction moment about n[k], all at p[k]; moments are
// taken about c.
struct ContactPair {
  Vec3 p[3]; // contact points (length)
  Vec3 n[3]; // unit normals into the work: the direction each finger pushes
  Vec3 c;    // reference point of the moments: the work centre or centre of mass
};

// Boxes per form the proof of an epsilon's lower bound examines at most: the
// full proof (it ends once value - lower is within 1e-7 of value, which
// random grasps reach well within it), and the most a caller may ask; 0
// keeps the first covering of the sphere only.
constexpr int kEpsilonProofBoxes = 200000;
constexpr long long kMaxEpsilonProofBoxes = 100000000;

// The forms of the epsilon a caller asks for, as bits of a mask; a form not
// asked stays NaN and costs nothing (0: no epsilon, only the exact check).
constexpr int kEpsilonFormInf = 1;                                  // each normal force up to cap
constexpr int kEpsilonFormOne = 2;                                  // the normal forces sharing cap
constexpr int kEpsilonFormBoth = kEpsilonFormInf | kEpsilonFormOne; // both forms

// One form of the Ferrari-Canny epsilon: the radius of the largest ball about
// the origin inside the grasp wrench set, in the scaled wrench space
// (force, moment / torqueScale).
struct EpsilonForm {
  double value;      // the radius (force units); 0 where the grasp is not force closure
  double lower;      // a lower bound on the radius proven by the computation
  double weakest[6]; // unit wrench (force, moment / torqueScale) where value is attained
};

// The epsilon of a grasp in both forms.
struct GraspEpsilon {
  double torqueScale; // length dividing the moments of the wrench space
  EpsilonForm inf;    // each normal force 0 <= F_k <= cap: sum of the two contacts' sets
  EpsilonForm one;    // F_1 + F_2 <= cap: convex hull of the union of their sets
};

// Perturbations of the robust measures: each sample moves the contact points
// by sigmaPoint (length; along the surface for a sphere), turns the normals
// by sigmaNormal (rad) and changes mu by sigmaMu (relative), normally
// distributed, from a generator seeded by seed.
struct RobustOptions {
  int samples;        // number of perturbed grasps (0: no robust measures)
  double sigmaPoint;  // standard deviation of the contact points (length)
  double sigmaNormal; // standard deviation of the normal directions (rad)
  double sigmaMu;     // standard deviation of the friction coefficient (dimensionless)
  std::uint64_t seed; // seed of the generator: equal seeds give equal samples
};

// Measures over the perturbed grasps (NaN where no sample was drawn).
struct RobustMeasures {
  double pHolds;         // share of samples that hold the load
  double pForceClosure;  // share of samples that are force closure
  double capacityP05;    // 5th percentile of the capacity
  double epsilonInfMean; // mean of epsilon (form inf)
  double epsilonInfP05;  // 5th percentile of epsilon (form inf)
};

} // namespace gs
