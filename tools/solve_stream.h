// Streaming solves: one hand pose and work per input line, one JSON object
// per output line, without a process start for each pose.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

#include "graspstat/model.h"

namespace gs {

// How a stream reads its poses and reports.
struct StreamRequest {
  int degrees;         // 1: hand angles are in degrees
  std::string trace;   // routines narrated on standard error for each pose ("": none)
  const char *program; // name heading each line on err
  ExactModel model = kDefaultExactModel; // the exact check's model for every pose
};

// Reads lines "AL BET X Y Z R" (hand angles, work centre, radius; blanks or
// commas between; blank lines and lines starting with '#' skipped; "\n",
// "\r\n" or "\r\r\n" end a line) from in and writes for each the object of
// a single solve on one line to out. A malformed line writes
// "<program>: line N: <what is wrong>" to err and {"line":N,"error":"<what
// is wrong>"} to out. out is flushed whenever in holds no more buffered
// input, so a co-process gets each answer before it sends the next line.
// Counts the malformed lines in *malformed. Returns 0, or the error number
// of the first failed write to out, where the stream stopped.
int SolveStream(std::istream &in, std::ostream &out, std::ostream &err, const StreamRequest &req,
                long *malformed);

// Answers one input line: appends its output line to *text and returns 1,
// or returns 0 with *error saying what is wrong with it.
using LineAnswer =
    std::function<int(const std::string &line, std::string *text, std::string *error)>;

// The stream of SolveStream with answer giving each line's output: blank
// and comment lines skipped, a malformed line reported on err and as
// {"line":N,"error":...} on out, out flushed when no more input waits.
// Counts the malformed lines in *malformed. Returns 0, or the error number
// of the first failed write to out.
int StreamLines(std::istream &in, std::ostream &out, std::ostream &err, const char *program,
                const LineAnswer &answer, long *malformed);

} // namespace gs
