// The map as a table: one CSV row per point, numbers written so that they
// read back to exactly the computed values.
#pragma once

#include <string>

#include "tools/map_sweep.h"

namespace gs {

// Appends the header line: the two swept quantities, then cntContact,
// staticsCase, StaticsStability, exact, margin, FCZ1, FCZ2, TCF1, TCF2,
// MCZ1, MCZ2, leastForce, capacity, muNeeded, forceClosure (the column
// table in map_csv.cpp is the one list of them).
void AppendMapCsvHeader(const MapRequest *req, std::string *text);

// Appends the row of point index from the model its solve left: fields are
// empty where no statics ran, where the value does not apply or is not finite.
void AppendMapCsvRow(const MapRequest *req, long index, const GraspState *s, std::string *text);

} // namespace gs
