// Streaming solves: one hand pose and work per input line, one JSON object
// per output line, without a process start for each pose.
#pragma once

#include <iosfwd>

namespace gs {

// Reads lines "AL BET X Y Z R" (hand angles, work centre, radius; blanks or
// commas between; blank lines and lines starting with '#' skipped) from in
// and writes for each the object of a single solve on one line to out,
// flushed per line; hand angles are in degrees when degrees is 1. A
// malformed line writes "<program>: line N: <what is wrong>" to err and
// nothing to out. Returns the number of malformed lines.
int SolveStream(std::istream &in, std::ostream &out, std::ostream &err, int degrees,
                const char *program);

} // namespace gs
