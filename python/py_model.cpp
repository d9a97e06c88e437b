#include "python/py_model.h"

#include <cmath>

#include "geom/vecmat.h"

#include "model/constants.h"

namespace gs {

namespace {

constexpr const char *kLawNames[] = {"soft", "point", "elliptic"};

bool Zero3(const double *v) {
  return v[0] == 0.0 && v[1] == 0.0 && v[2] == 0.0;
}

bool Equal3(const double *a, const double *b) {
  return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

} // namespace

PyModel DefaultPyModel() {
  PyModel m{};
  m.mu = mu;
  m.rm = rm;
  m.cap = kForceCap;
  for (int i = 0; i < 3; i++) {
    m.fex[i] = FEX[i];
    m.mex[i] = 0.0;
  }
  m.contact = kLawSoft;
  return m;
}

int ParseContactLaw(const std::string &name, int *law) {
  for (int k = kLawSoft; k <= kLawElliptic; k++) {
    if (name == kLawNames[k]) {
      *law = k;
      return 1;
    }
  }
  return 0;
}

const char *ContactLawText(int law) {
  return (law >= kLawSoft && law <= kLawElliptic) ? kLawNames[law] : "?";
}

int CheckPyModel(const PyModel *m, std::string *error) {
  if (!std::isfinite(m->mu) || m->mu < 0.0) {
    *error = "mu: the friction coefficient must be a finite number >= 0";
    return 0;
  }
  if (!std::isfinite(m->rm) || m->rm < 0.0) {
    *error = "rm: the friction-moment radius must be a finite number >= 0";
    return 0;
  }
  if (!std::isfinite(m->cap) || m->cap <= 0.0) {
    *error = "cap: the normal-force cap must be a finite number > 0";
    return 0;
  }
  if (!Finite3(m->fex) || !Finite3(m->mex)) {
    *error = "fex, mex: the required force and moment must be finite";
    return 0;
  }
  if (Zero3(m->fex) && Zero3(m->mex)) {
    *error = "fex, mex: the required force and moment must not both be zero";
    return 0;
  }
  if (m->contact < kLawSoft || m->contact > kLawElliptic) {
    *error = "contact: the contact law must be soft, point or elliptic";
    return 0;
  }
  return 1;
}

int IsDefaultPyModel(const PyModel *m) {
  const PyModel d = DefaultPyModel();
  return (m->mu == d.mu && m->rm == d.rm && m->cap == d.cap && Equal3(m->fex, d.fex) &&
          Equal3(m->mex, d.mex) && m->contact == d.contact)
             ? 1
             : 0;
}

int ApplyModel(const PyModel *m, ExactModel *out, std::string *error) {
  if (CheckPyModel(m, error) == 0) return 0;
  ExactModel e = kDefaultExactModel;
  e.mu = m->mu;
  e.rm = m->rm;
  e.cap = m->cap;
  for (int i = 0; i < 3; i++) {
    e.FEX[i] = m->fex[i];
    e.MEX[i] = m->mex[i];
  }
  e.law = m->contact == kLawPoint      ? kContactPoint
          : m->contact == kLawElliptic ? kContactElliptic
                                       : kContactSoft;
  const char *bad = ExactModelError(&e);
  if (bad != nullptr) {
    *error = bad;
    return 0;
  }
  *out = e;
  return 1;
}

} // namespace gs
