#include "graspstat/model.h"

#include <cmath>

#include "geom/vecmat.h"
#include <cstring>

namespace gs {

namespace {

constexpr const char *kLawNames[3] = {"soft", "point", "elliptic"};

} // namespace

const char *ExactModelError(const ExactModel *m, const char **fields) {
  const char *none = nullptr;
  const char **named = fields != nullptr ? fields : &none;
  if (!std::isfinite(m->mu) || m->mu < 0.0) {
    *named = "mu";
    return "friction coefficient mu must be finite and >= 0";
  }
  if (!std::isfinite(m->rm) || m->rm < 0.0) {
    *named = "rm";
    return "friction-moment radius rm must be finite and >= 0";
  }
  if (!std::isfinite(m->cap) || !(m->cap > 0.0)) {
    *named = "cap";
    return "force cap must be finite and > 0";
  }
  *named = "fex, mex";
  if (!Finite3(m->FEX) || !Finite3(m->MEX)) return "required force and moment must be finite";
  const bool noForce = m->FEX[0] == 0.0 && m->FEX[1] == 0.0 && m->FEX[2] == 0.0;
  const bool noMoment = m->MEX[0] == 0.0 && m->MEX[1] == 0.0 && m->MEX[2] == 0.0;
  if (noForce && noMoment)
    return "required force and moment are both zero (they must not both be zero)";
  *named = "contact";
  if (ContactLawName(m->law) == nullptr) return "contact law must be soft, point or elliptic";
  *named = nullptr;
  return nullptr;
}

const char *ContactLawName(int law) {
  return (law >= kContactSoft && law <= kContactElliptic) ? kLawNames[law] : nullptr;
}

int ContactLawFromName(const char *name) {
  for (int law = kContactSoft; law <= kContactElliptic; law++)
    if (std::strcmp(name, kLawNames[law]) == 0) return law;
  return -1;
}

} // namespace gs
