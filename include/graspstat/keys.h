// The key interpreter driven without a window: key sequences written with
// escapes turned into the raw key codes it receives, and a headless run of
// such a sequence.
#pragma once

#include <string>

#include "graspstat/grasp.h"

namespace gs {

// Turns text into key codes in *keys: "\e" is ESC (27), "\\" a backslash and
// "\xHH" the byte of two hex digits; every other character stands for itself.
// Returns 1 on success, 0 on a bad escape (then *error names it and where).
int ParseKeySequence(const std::string &text, std::string *keys, std::string *error);

// Starts up with *model as the exact check's model, then feeds keys to the
// key interpreter one by one, stopping at ESC in view mode. Returns 1 when
// ESC ended the run, else 0.
int RunKeys(BatchRun *run, const std::string &keys, const ExactModel *model = &kDefaultExactModel);

} // namespace gs
