// Study maps for Python: the map's table as numpy columns.
#pragma once

#include <pybind11/pybind11.h>

#include "tools/map_sweep.h"

namespace gs {

// Computes the map of req on `threads` threads with the GIL released and
// returns a dict of numpy arrays shaped (y count, x count), one per column
// of the map's CSV under its header name: the two swept values and
// leastForce..margin as float64 (NaN where the CSV field is empty),
// cntContact and StaticsStability as int32, staticsCase and exact as str
// ("" where the field is empty).
pybind11::dict SweepColumns(const MapRequest *req, int threads);

} // namespace gs
