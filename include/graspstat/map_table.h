// The map as a table: one CSV row per point, numbers written so that they
// read back to exactly the computed values.
#pragma once

#include <string>

#include "graspstat/map.h"

namespace gs {

// The values of one map row, in the header's order: NaN where the CSV
// leaves a number empty (no statics, not applicable, not finite).
struct MapRow {
  double x, y;         // the swept values, command units
  int cntContact;      // contacts found
  int staticsCase;     // StaticsCase (kCaseNone: the field is empty)
  int stability;       // StaticsStability; -1 where no statics ran
  int exact;           // ExactVerdict (kExactNone: the field is empty)
  double margin;       // exact margin where the exact check holds
  double FCZ[2];       // normal forces of fingers 1, 2 where the statics ran
  double TCF[2];       // friction forces where the statics ran
  double MCZ[2];       // friction moments where the statics ran
  double leastForce;   // total normal force of the exact least-force solution
  double capacity;     // largest load factor held, where the exact check looked at forces
  double muNeeded;     // least friction coefficient that holds (NaN where none or undecided)
  double forceClosure; // 1 or 0 where decided
  double limitsKept;   // 1 where the case solver's reported forces keep every limit, else 0
  double epsilonInf;   // Ferrari-Canny epsilon, each normal force up to the cap
  double epsilonOne;   // the same with the normal forces sharing the cap
};

// Fills *row with the values of point index from the model its solve left.
void MapRowOf(const MapRequest *req, long index, const GraspState *s, MapRow *row);

// Appends the header line: the two swept quantities, then cntContact,
// staticsCase, StaticsStability, exact, margin, FCZ1, FCZ2, TCF1, TCF2,
// MCZ1, MCZ2, leastForce, capacity, muNeeded, forceClosure, limitsKept (the column
// table in map_csv.cpp is the one list of them).
void AppendMapCsvHeader(const MapRequest *req, std::string *text);

// Appends the row of point index from the model its solve left: fields are
// empty where no statics ran, where the value does not apply or is not finite.
void AppendMapCsvRow(const MapRequest *req, long index, const GraspState *s, std::string *text);

} // namespace gs
