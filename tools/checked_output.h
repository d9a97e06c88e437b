// Writing the batch tool's output with every failure seen: a full device, a
// closed standard output or a reader gone away must not pass silently.
#pragma once

#include <iosfwd>
#include <string>

namespace gs {

// Writes text to out, then flushes out when flush is 1. Returns 0 when all
// of it went out, else the error number of the failed write (EIO when the
// system gave none); out stays failed from then on.
int WriteChecked(std::ostream &out, const std::string &text, int flush);

// The one line that reports a failed write: "<program>: cannot write
// <what>: <reason of errnum>". Returns the line, line feed included.
std::string WriteFailureLine(const char *program, const char *what, int errnum);

} // namespace gs
