// Comma-separated numbers of the batch tool's options (hand angles, work
// centre, radius), read strictly: a value that is not a whole finite decimal
// number is refused rather than read in part.
#pragma once

#include <string>

namespace gs {

// Reads exactly count comma-separated finite numbers from text into out[0..
// count-1]. Returns 1 on success, 0 otherwise (then *error says why).
int ParseNumberList(const std::string &text, int count, double *out, std::string *error);

// Reads exactly count finite numbers from one line of text into out[0..
// count-1]; they are separated by blanks (spaces, tabs) or by one comma with
// optional blanks around it, and blanks may lead and trail. Returns 1 on
// success, 0 otherwise (then *error says why).
int ParseNumberFields(const std::string &text, int count, double *out, std::string *error);

// Returns v[0..count-1] as an option's text: shortest decimals that read
// back to the same numbers, commas between.
std::string NumberListText(const double *v, int count);

} // namespace gs
