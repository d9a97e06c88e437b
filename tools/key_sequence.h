// Key sequences for the batch tool: the text given on the command line with
// its escapes turned into the raw key codes the key interpreter receives.
#pragma once

#include <string>

namespace gs {

// Turns text into key codes in *keys: "\e" is ESC (27), "\\" a backslash and
// "\xHH" the byte of two hex digits; every other character stands for itself.
// Returns 1 on success, 0 on a bad escape (then *error names it and where).
int ParseKeySequence(const std::string &text, std::string *keys, std::string *error);

} // namespace gs
