// Results of the calculations as Python objects: the batch tool's JSON
// object with the same names and values, as attributes of a Result.
// Vectors and per-finger arrays are float64 numpy arrays (a null element
// of the JSON is NaN there), a null value is None, nested objects (residual,
// exact) are Results too.
#pragma once

#include <pybind11/pybind11.h>

#include "graspstat/grasp.h"
#include "graspstat/report.h"
#include "graspstat/state.h"

namespace gs {

// Registers the Result class in module m; returns 1.
int DefineResult(pybind11::module_ &m);

// The Result of a run: the fields of the batch tool's JSON object in its
// order, with each finger's contact result code when withContacts is 1.
pybind11::object RunResult(const BatchRun *run, int withContacts);

// The Result of the object of table t read from src, its fields in table
// order; a field read as null is None.
pybind11::object ResultOf(const ReportTable &t, const ReportSource *src);

// The value of one reported quantity as a Python object.
pybind11::object ValueOf(const ReportField &f, const ReportValue &v);

// The Result of an exact holding check (the JSON's "exact" object); with
// torques 0 the joint torques are None (no hand pose they refer to).
pybind11::object ExactResult(const ExactCheck &e, const ExactModel &m, int torques);

} // namespace gs
