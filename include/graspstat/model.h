// The model of the exact holding check as parameters: friction coefficient,
// friction-moment radius, normal-force cap, the wrench the contacts must
// supply and the contact law. The defaults are the fixed statics constants,
// with which every answer is the one of ExactGraspCheck.
#pragma once

#include "graspstat/constants.h"

namespace gs {

// How a contact may resist: per contact k with normal force FCZ_k, friction
// force T_k in the tangent plane and friction moment MCZ_k about the normal.
enum ContactLaw : int {
  kContactSoft = 0,     // |T_k| <= mu FCZ_k and |MCZ_k| <= mu rm FCZ_k independently
  kContactPoint = 1,    // hard finger: |T_k| <= mu FCZ_k, MCZ_k = 0
  kContactElliptic = 2, // (|T_k| / (mu FCZ_k))^2 + (MCZ_k / (mu rm FCZ_k))^2 <= 1
};

// Parameters of the exact holding check.
struct ExactModel {
  double mu;     // friction coefficient (dimensionless, >= 0)
  double rm;     // friction-moment radius (length, >= 0)
  double cap;    // normal-force cap: 0 <= FCZ_k <= cap (force units, > 0)
  double FEX[3]; // required force on the work (force units)
  double MEX[3]; // required moment about the work centre (force x length)
  int law;       // ContactLaw
};

// The model of the statics constants: mu 0.5, rm 10, cap 10 FEX[z], the
// load FEX, no moment, soft contacts.
constexpr ExactModel kDefaultExactModel = {
    kCaseMu,         kCaseRm,     kForceCap, {kCaseLoad[0], kCaseLoad[1], kCaseLoad[2]},
    {0.0, 0.0, 0.0}, kContactSoft};

// Returns nullptr when every value of *m is usable, else a static text
// saying which is not (negative or non-finite numbers, a zero cap, a zero
// wrench, an unknown law); then *fields (when fields is not nullptr) names
// the values it concerns as the callers' keywords do ("mu", "rm", "cap",
// "fex, mex", "contact").
const char *ExactModelError(const ExactModel *m, const char **fields = nullptr);

// Returns the name of a contact law ("soft", "point", "elliptic"), nullptr
// for an unknown one.
const char *ContactLawName(int law);

// Returns the ContactLaw named name, -1 for an unknown name.
int ContactLawFromName(const char *name);

} // namespace gs
