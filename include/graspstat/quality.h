// Grasp quality of two contacts given anywhere, one grasp or many: the exact
// holding check with its strength measures, the Ferrari-Canny epsilon on
// exact friction sets and, when asked, the robust measures under noise.
#pragma once

#include "graspstat/model.h"
#include "graspstat/pair.h"
#include "graspstat/state.h"

namespace gs {

// Everything known of one grasp's quality.
struct GraspQuality {
  ExactCheck check;      // verdict, margin, least-force solution, capacity, muNeeded,
                         // forceClosure and epsilon (jointTorque 0: no hand)
  RobustMeasures robust; // measures under noise (NaN where no samples were asked)
};

// Returns nullptr when the contacts *g can be answered, else a static text
// saying why not: a number that is not finite, or a normal farther than
// kPairUnitTol from unit length.
const char *ContactPairError(const ContactPair *g);
constexpr double kPairUnitTol = 1e-6; // |n_k| off 1 by more than this: no unit normal

// The mask of epsilon forms a name asks for: "both", "inf", "one" or
// "none" (the exact check alone); returns the mask, or -1 for any other name.
int EpsilonFormsFromName(const char *name);

// The reference point of contacts given without one: the midpoint of the
// two contact points, written into g->c; returns 1.
int MidpointReference(ContactPair *g);

// Answers the quality of the contacts *g under the model *m: the exact check,
// the epsilon with torque scale torqueScale (length; <= 0: the largest
// distance from g->c to a contact), its lower bound proven with at most
// proofBoxes boxes per form (kEpsilonProofBoxes: the full proof; 0: the first
// covering only, the search's value with a weak bound), 0 where the grasp
// is not force closure, in the forms of the mask forms (kEpsilonFormBoth;
// the others NaN), and the robust measures of o (nullptr or 0 samples:
// none; points perturbed along the sphere of radius sphereRadius about g->c
// when it is > 0, else in 3-D). Returns out->check.verdict.
int PairQuality(const ContactPair *g, const ExactModel *m, double torqueScale, int proofBoxes,
                int forms, double sphereRadius, const RobustOptions *o, GraspQuality *out);

// Asked from the calling thread while many grasps run: a nonzero answer
// stops the workers at their next grasp.
using QualityStopFn = int (*)(void *ctx);

// PairQuality of the n grasps g[0 .. n-1] into out[0 .. n-1] on `threads`
// threads (< 1: one); the answers do not depend on the thread count. stop
// (may be nullptr) is asked a few times a second. Returns 1 when every grasp
// was answered, 0 when stop ended it early.
int PairQualityMany(long n, const ContactPair *g, const ExactModel *m, double torqueScale,
                    int proofBoxes, int forms, const RobustOptions *o, int threads,
                    QualityStopFn stop, void *ctx, GraspQuality *out);

} // namespace gs
