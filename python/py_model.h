// The model record of the exact holding check as Python hands it over:
// friction coefficient, friction-moment radius, normal-force cap, required
// force and moment on the work, contact law. Checked here, and brought to
// the calculation in one place (ApplyModel).
#pragma once

#include <string>

#include "model/exact_model.h"

namespace gs {

// Contact laws a model may name.
enum PyContactLaw : int {
  kLawSoft = 0,     // normal force, friction force and friction moment
  kLawPoint = 1,    // normal force and friction force, no friction moment
  kLawElliptic = 2, // friction force and moment bounded together
};

// One model of the exact analysis, in the units of the record.
struct PyModel {
  double mu;     // Coulomb friction coefficient (dimensionless, >= 0)
  double rm;     // friction-moment radius (length, >= 0)
  double cap;    // largest normal force per contact (force units, > 0)
  double fex[3]; // required force on the work (force units)
  double mex[3]; // required moment on the work about its centre (force x length)
  int contact;   // PyContactLaw
};

// The model the analysis uses when none is given: mu, rm, the force cap,
// FEX of model/constants.h, no required moment, soft contacts.
PyModel DefaultPyModel();

// Reads a contact law name ("soft", "point", "elliptic") into *law. Returns
// 1, or 0 for any other name.
int ParseContactLaw(const std::string &name, int *law);

// Name of a contact law (PyContactLaw) as the Python side spells it.
const char *ContactLawText(int law);

// Checks a model: every number finite, mu >= 0, rm >= 0, cap > 0, fex and
// mex not both zero. Returns 1 when valid, 0 otherwise (then *error says why).
int CheckPyModel(const PyModel *m, std::string *error);

// Returns 1 when every field of *m equals the default model's.
int IsDefaultPyModel(const PyModel *m);

// The one place where a model reaches the calculation: checks *m and writes
// the exact check's model record of it into *out. Returns 1, or 0 when *m is
// refused (then *error says why).
int ApplyModel(const PyModel *m, ExactModel *out, std::string *error);

} // namespace gs
