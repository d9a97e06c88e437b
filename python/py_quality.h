// Grasp quality of many two-contact grasps for Python: numpy arrays in,
// a dict of numpy arrays out.
#pragma once

#include <pybind11/pybind11.h>

#include "graspstat/model.h"
#include "graspstat/pair.h"

namespace gs {

// The quality of the grasps of points and normals, each shaped (N, 2, 3) or
// (2, 3) (one grasp), with reference points shaped (N, 3) or (3,) (None:
// the midpoints of the contacts), under *m, each epsilon's bound proven with
// at most proofBoxes boxes per form in the forms of the mask forms (the
// others NaN), on `threads` threads with the
// GIL released (Ctrl-C stops them and raises). Refuses bad shapes and
// values with ValueError before any work. Returns a dict of numpy arrays:
// verdict (str), margin, capacity, muNeeded, forceClosure, epsilonInf,
// epsilonInfLower, weakestInf (..., 6), epsilonOne, epsilonOneLower,
// weakestOne, torqueScale, and with samples the robust measures; NaN where
// the exact check's object has null.
pybind11::dict QualityColumns(pybind11::handle points, pybind11::handle normals,
                              pybind11::handle reference, const ExactModel *m, double torqueScale,
                              int proofBoxes, int forms, const RobustOptions *o, int threads);

} // namespace gs
