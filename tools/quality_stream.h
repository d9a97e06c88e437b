// The quality of many two-contact grasps, one per input line, one JSON
// object per output line: contacts from anywhere answered in one process.
#pragma once

#include <iosfwd>

#include "graspstat/model.h"
#include "graspstat/pair.h"

namespace gs {

// How a quality stream answers its grasps.
struct QualityRequest {
  const char *program;                   // name heading each line on err
  ExactModel model = kDefaultExactModel; // the model of every grasp
  double torqueScale = 0.0;              // length dividing the moments (<= 0: per grasp)
  RobustOptions robust{};                // robust measures (0 samples: none)
  int proofBoxes = kEpsilonProofBoxes;   // boxes per form proving each epsilon's bound
  int forms = kEpsilonFormBoth;          // epsilon forms answered (the others null)
};

// Reads lines "P1 N1 P2 N2 [C]" (12 or 15 numbers: the contact points, the
// unit normals into the work and the reference point, the midpoint of the
// contacts when left out; blanks or commas between) from in and writes for
// each the exact check's object with its epsilon (and robust measures when
// asked) on one line to out; malformed lines as the solve stream answers
// them. Counts them in *malformed. Returns 0, or the error number of the
// first failed write to out.
int QualityStream(std::istream &in, std::ostream &out, std::ostream &err, const QualityRequest &req,
                  long *malformed);

} // namespace gs
