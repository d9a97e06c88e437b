// Study maps for Python: the map's table as numpy columns.
#pragma once

#include <pybind11/pybind11.h>

#include "graspstat/map.h"

namespace gs {

// Computes the map of req on `threads` threads with the GIL released and
// returns a dict of numpy arrays shaped (y count, x count), one per column
// of the map's CSV under its header name: cntContact as int32, staticsCase
// and exact as str ("" where the field is empty), every other column as
// float64 (NaN where the CSV field is empty). A Python signal handler that raises while
// the points are computed (Ctrl-C) stops them and its exception is raised.
pybind11::dict SweepColumns(const MapRequest *req, int threads);

} // namespace gs
