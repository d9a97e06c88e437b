// The texts of the window overlay: the key-help block and the banner lines of
// each key mode, chosen from the model state without drawing anything.
#pragma once

#include "graspstat/state.h"

namespace gs {

// One text line of the overlay: its height, its '\n'-terminated text, and
// whether it is a line of this program's own beside the mode's banner (the
// exact check), drawn over the scene on a light backing rather than under it.
struct BannerLine {
  float y;
  const char *text;
  bool onTop;
};

constexpr int kMaxBannerLines = 5;
constexpr int kHelpRows = 9;       // rows of the help block
constexpr int kHelpRowChars = 100; // characters per help row
extern const char kHelpLines[kHelpRows][kHelpRowChars];

// Lists the banner lines of the current key mode, the exact check's line
// last (marked onTop); returns how many (0 for a mode outside I, H, W, A, S).
int ModeBanner(const GraspState *s, BannerLine *out);

// Returns the exact-check line of the statics banner, '\n'-terminated:
// "Exact check: holds (margin NN%, load xC)" (NN the margin in whole
// percent, rounded down; C the capacity, the largest multiple of the load
// that can be held, to two decimals), "... cannot hold (load xC)",
// "... undecided" or "... palm inside work"; without a capacity the
// "load" part is left out. The text of a holding or cannot-hold answer
// lives in one static buffer until the next call.
const char *ExactBannerText(const ExactCheck *e);

// Returns the number of characters of text before its terminating '\n' (or
// NUL), at most limit.
int TextLength(const char *text, int limit);

} // namespace gs
