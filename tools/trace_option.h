// The batch tool's narration switch: --trace NAME[,NAME...] turns on the
// console narration of the named calculation routines for one run, written
// to standard error with every pause answered at once.
#pragma once

#include <functional>
#include <string>

#include "graspstat/grasp.h"
#include "graspstat/trace.h"

namespace gs {

// Returns the names --trace accepts, one line each: every routine that
// narrates, then "all".
std::string TraceNameList();

// Reads NAME[,NAME...] ("all": every routine; "help": none) into
// levels[kTraceCount], 1 for a named routine and 0 for the others. Names are
// matched without regard to case. Returns 1, or 0 with *error naming the
// unknown name.
int ParseTraceNames(const std::string &text, int *levels, std::string *error);

// With routines named in names: runs run once on a scratch record with those
// routines narrating and pauses answered at once, writes its console lines
// to standard error and sets every level back to 0; returns 1. Returns 0 and
// runs nothing when names is empty, "help" or not valid.
int NarrateOnStderr(const std::string &names, const std::function<void(BatchRun *)> &run);

} // namespace gs
